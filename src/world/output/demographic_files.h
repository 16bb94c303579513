#pragma once
// The demographic outputs (this folder): rasters, bitmaps, legends, arrows, times of arrival.
//
// The demographic output files written after a successful run, in their order: times of arrival,
// density bitmaps per population, the occupation bitmaps, migration bitmaps per population, and
// the ASCII rasters per population.

#include <filesystem>

#include "world/database/time_sto.h"
#include "world/output/ascii.h"
#include "world/output/drawing.h"

namespace orvantis {

class World;

// What the user asked for; the window or the command line fills it.
struct TDemographicOutputRequest {
  bool arrivalTimes = true;  // false when the maps are written again after the run
  int step = 50;             // generations between two maps of a list
  TMapDrawing drawing;
  bool bitmapDensity = false;
  bool bitmapOccupation = false;
  bool bitmapMigration = false;
  TAsciiMapChoice ascii;
  // Folder that receives "ascii" and "bmp"; empty for the working directory. The arrival-cell
  // output goes beside its input file.
  std::filesystem::path root;
};

// Runs every writer in order, each after the earlier ones whatever their result, so one failure
// does not cost the other files. seaLevel: the world's sea-level series when the sea level
// varies, else null. Returns 1 when everything was written, else 0 (each failure logged or
// shown).
int writeDemographicOutputs(World& world, const TDemographicOutputRequest& request,
                            const TimeStoInt<float>* seaLevel = nullptr);

}  // namespace orvantis
