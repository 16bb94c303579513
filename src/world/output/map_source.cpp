#include "world/output/map_source.h"

namespace orvantis {

int landArrivals(const TDemographyMap& map, int row, int col, int population, int t) {
  long long total = 0;
  for (int d = 0; d < kDirectionCount; ++d) {
    const auto direction = static_cast<TDirection>(d);
    if (map.neighbourIsLand(row, col, direction)) {
      total += map.arrivalsFrom(row, col, population, direction, t);
    }
  }
  return static_cast<int>(total);
}

bool checkMapRequest(std::ostream& log, const TDemographyMap& map, int population) {
  if (map.endTime() < 0) {
    log << "Cannot draw the maps: no demographic simulation is stored" << std::endl;
    return false;
  }
  if (population >= 0 && population < map.numberOfPopulations()) return true;
  log << "Cannot draw the maps of population " << population + 1 << ": the run has "
      << map.numberOfPopulations() << " population(s)" << std::endl;
  return false;
}

}  // namespace orvantis
