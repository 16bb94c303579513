#pragma once
// Legends of the bitmap lists the command wrote: each list's legend is saved beside its maps as
// "bmp/legend_<list>.bmp", and "bmp/legend.bmp" holds the legend of the last list, as the
// result viewer's "Save Legend" would.

#include "world/output/demographic_files.h"

namespace orvantis {

class World;

// 1 when every legend was saved, else 0 (each failure logged).
int saveListLegends(World& world, const TDemographicOutputRequest& request);

}  // namespace orvantis
