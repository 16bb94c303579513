#include "world/output/immigrants_file.h"

#include <fstream>

#include "foundation/paths.h"
#include "world/database/state_db.h"

namespace orvantis {

std::string immigrantsFileName(const std::string& baseName, int cellIndex, int population) {
  return baseName + "_Immigrants_" + std::to_string(cellIndex) +
         (population == 0 ? "_P1.nm" : "_P2.nm");
}

int writeImmigrantsFile(TDemographyReader& reader, const std::string& baseName, int cellIndex,
                        int population, int endTime, std::ostream& log) {
  const std::string name = immigrantsFileName(baseName, cellIndex, population);
  const StateDB& db = reader.database();
  if (!db.isAllocated() || cellIndex < 0 || cellIndex >= db.numEntries() || population < 0 ||
      population >= db.numberOfPopulations()) {
    log << " ERROR: {writeImmigrantsFile()} [no stored demography for cell " << cellIndex
        << ", population " << population << "]" << std::endl;
    return 0;
  }
  std::ofstream out(nativePath(name), std::ios::binary | std::ios::trunc);
  if (!out) {
    log << " ERROR: {writeImmigrantsFile()} [cannot create the immigrants file '" << name << "']"
        << std::endl;
    return 0;
  }
  out << "Generation Immigrants\n";
  const int last = endTime < db.endTime() ? endTime : db.endTime();
  for (int t = 1; t <= last; ++t) {
    const TGenerationView view = reader.row(t);
    const long arrivals =
        static_cast<long>(view.get_migrFromNeighbour(cellIndex, population, FromSide::North)) +
        view.get_migrFromNeighbour(cellIndex, population, FromSide::South) +
        view.get_migrFromNeighbour(cellIndex, population, FromSide::East) +
        view.get_migrFromNeighbour(cellIndex, population, FromSide::West);
    out << t << " " << arrivals << "\n";
  }
  out.flush();
  if (!out) {
    log << " ERROR: {writeImmigrantsFile()} [cannot write the immigrants file '" << name << "']"
        << std::endl;
    return 0;
  }
  return 1;
}

}  // namespace orvantis
