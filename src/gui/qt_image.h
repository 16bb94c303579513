#pragma once
// The maps are drawn once, as in-memory pictures that the bitmap files also save; the window
// shows them as Qt images.

#include <QImage>

#include "world/output/image.h"

namespace orvantis {

QImage toQImage(const TRgbImage& image);

}  // namespace orvantis
