#include "demography_dump.h"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <vector>

#include "world/database/state_db.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

constexpr FromSide kSides[4] = {FromSide::North, FromSide::South, FromSide::East, FromSide::West};

void put(std::vector<std::int32_t>& out, long long value) {
  out.push_back(static_cast<std::int32_t>(value));
}

}  // namespace

int dumpDemography(const World& world, const std::string& path) {
  const StateDB& db = world.database();
  const int cells = world.numberOfCells();
  const int endTime = db.endTime();
  std::vector<std::int32_t> values;
  values.reserve(4 + static_cast<std::size_t>(cells) * (4 + 5 * (endTime + 1)));
  put(values, endTime);
  put(values, cells);
  put(values, world.nrows());
  put(values, world.ncols());
  for (int c = 0; c < cells; ++c) {
    for (const FromSide side : kSides) put(values, db.neighbour(c, side));
  }
  for (int t = 0; t <= endTime; ++t) {
    for (int c = 0; c < cells; ++c) {
      put(values, db.get_N(c, 0, t));
      for (const FromSide side : kSides) put(values, db.get_migrFromNeighbour(c, 0, side, t));
    }
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(values.data()),
             static_cast<std::streamsize>(values.size() * sizeof(std::int32_t)));
  file.close();
  if (!file) {
    std::cerr << "cannot write the demography to " << path << "\n";
    return 0;
  }
  return 1;
}

}  // namespace orvantis
