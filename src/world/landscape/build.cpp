// The construction sequence of the world.

#include <chrono>
#include <climits>
#include <fstream>

#include "foundation/paths.h"
#include "settings/grid_header_reader.h"
#include "settings/grid_layers.h"
#include "world/landscape/world.h"

namespace orvantis {

int World::BuildWorld() {
  built_ = false;
  freshlyBuilt_ = true;
  const auto start = std::chrono::steady_clock::now();
  numberOfSources_ = 0;
  DesAllocateCells();

  const bool model35 = settings_.intParameter(IntParam::ChosenDemographicModel, true) == 35;
  if (model35) releaseModel35Lists();

  if (!readWorldHeader() || !storeStartTime()) return 0;

  nrows_ = header().nrows;
  ncols_ = header().ncols;
  const int populations = numberOfPopulations();
  tables_ = TConversionTables(populations);
  dynamicTables_.clear();

  replaceDatabase();

  if (!AllocateCells() || !readInputMaps()) return 0;
  initDynamicTables(settings_, dynamicTables_);
  if (!readAllTables(populations, dynamicTables_, tables_, context_.log)) return 0;
  if (!removeWaterCells() || !numberDemes()) return 0;
  linkNeighbours();
  computeCoast();
  if (settings_.hasKey("CoastAdaptationDuration")) closeInland();

  for (int p = 0; p < populations; ++p) {
    computeInitialFNonStochastic(p);
    computeK(p);
    applyCoastFactors(p);
    applyRiverFactors(p);
  }
  if (model35) checkSpecialModel35();
  if (lgmInUse() && !loadClimateData()) return 0;

  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  context_.log << "... Done ! (duration of BuildWorld function: "
               << static_cast<double>(elapsed.count()) * 0.001 << " sec.)\n\n";
  context_.log.flush();
  built_ = true;
  return 1;
}

int World::readWorldHeader() {
  const my_string file = settings_.fileParameter(FileParam::PresVegetationFile, true);
  std::ifstream in(nativePath(file), std::ios::in | std::ios::binary);
  if (!in) {
    context_.log << "      ERROR: {World::BuildWorld()} [cannot open the present vegetation map '"
                 << file << "']" << std::endl;
    context_.window.messageBox("Cannot read the input vegetation map", kReadingMapsCaption);
    return 0;
  }
  if (!readHeader(settings_.gridHeader(), in, true, context_, file.view())) {
    context_.window.messageBox(kReadingMapsBox, kReadingMapsCaption);
    return 0;
  }
  return 1;
}

int World::storeStartTime() {
  const long long generationTime = settings_.intParameter(IntParam::GenerationTime, true);
  const long long endTime = settings_.intParameter(IntParam::EndTime, true);
  if (endTime < 0) {
    context_.log << "      ERROR: {World::BuildWorld()} [EndTime is " << endTime
                 << "; the number of generations to simulate cannot be negative]" << std::endl;
    return 0;
  }
  const long long start = -(generationTime * endTime);
  if (start < INT_MIN || start > INT_MAX) {
    context_.log << "      ERROR: {World::BuildWorld()} [GenerationTime x EndTime = "
                 << generationTime << " x " << endTime
                 << " years lies beyond the dates this system can count]" << std::endl;
    return 0;
  }
  realBPTime_ = static_cast<int>(start);
  settings_.setValue("RealBPTime", realBPTime_);
  return 1;
}

}  // namespace orvantis
