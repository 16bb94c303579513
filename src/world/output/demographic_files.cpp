#include "world/output/demographic_files.h"

#include "world/landscape/world.h"
#include "world/output/arrival_cells.h"
#include "world/output/bitmaps.h"
#include "world/output/world_map.h"

namespace orvantis {

int writeDemographicOutputs(World& world, const TDemographicOutputRequest& request,
                            const TimeStoInt<float>* seaLevel) {
  TRunContext& context = world.context();
  const TWorldDemographyMap map(world, seaLevel);
  const int populations = map.numberOfPopulations();
  bool ok = true;
  if (request.arrivalTimes) {
    ok = ReadAndWriteArrivalCell(context, map,
                                 world.settings().fileParameter(FileParam::ArrivalCellFile)) == 1;
  }
  if (request.bitmapDensity) {
    for (int p = 0; p < populations; ++p) {
      ok &= writeBitmapList(context, map, TMapKind::Density, p, request.step, request.drawing,
                            request.root) == 1;
    }
  }
  if (request.bitmapOccupation) {
    ok &= writeOccupationList(context, map, request.step, request.drawing, request.root) == 1;
  }
  if (request.bitmapMigration) {
    for (int p = 0; p < populations; ++p) {
      ok &= writeBitmapList(context, map, TMapKind::Migration, p, request.step, request.drawing,
                            request.root) == 1;
    }
  }
  for (int p = 0; p < populations; ++p) {
    ok &= writeAsciiMaps(context, map, request.ascii, request.step, p, request.root) == 1;
  }
  return ok ? 1 : 0;
}

}  // namespace orvantis
