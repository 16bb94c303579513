#include "gui/qt_image.h"

namespace orvantis {

QImage toQImage(const TRgbImage& image) {
  if (image.isEmpty()) return {};
  QImage out(image.width(), image.height(), QImage::Format_RGB888);
  for (int y = 0; y < image.height(); ++y) {
    uchar* line = out.scanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      const TRgbColour c = image.pixel(x, y);
      *line++ = c.red;
      *line++ = c.green;
      *line++ = c.blue;
    }
  }
  return out;
}

}  // namespace orvantis
