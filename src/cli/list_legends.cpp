#include "cli/list_legends.h"

#include <string>
#include <vector>

#include "world/landscape/world.h"
#include "world/output/bitmaps.h"
#include "world/output/directory.h"
#include "world/output/legend.h"
#include "world/output/world_map.h"

namespace orvantis {

namespace {
struct LegendToSave {
  std::string name;
  TRgbImage image;
};
}  // namespace

int saveListLegends(World& world, const TDemographicOutputRequest& request) {
  TRunContext& context = world.context();
  const TWorldDemographyMap map(world);
  const int populations = map.numberOfPopulations();
  const TColourStyle style = request.drawing.style;
  std::vector<LegendToSave> legends;
  auto countLists = [&](TMapKind kind, const char* label) {
    for (int p = 0; p < populations; ++p) {
      // drawLegend takes the list's scale maximum M and labels its scale from M + 1 itself.
      const long long maximum = scaleMaximum(map, kind, p);
      std::string name = std::string("bmp/legend_") + label;
      if (populations > 1) name += "_P" + std::to_string(p + 1);
      legends.push_back({name + ".bmp", drawLegend(kind, maximum, populations, style)});
    }
  };
  if (request.bitmapDensity) countLists(TMapKind::Density, "density");
  if (request.bitmapOccupation) {
    legends.push_back(
        {"bmp/legend_occupation.bmp", drawLegend(TMapKind::Occupation, 0, populations, style)});
  }
  if (request.bitmapMigration) countLists(TMapKind::Migration, "migration");
  if (legends.empty()) return 1;

  int ok = saveLegend(context, legends.back().image, request.root);
  for (const LegendToSave& legend : legends) {
    if (!saveBitmap(context, legend.image, outputPath(request.root, legend.name))) ok = 0;
  }
  return ok;
}

}  // namespace orvantis
