#pragma once
// Worlds whose environment changes through a run: the construction fixture plus a source, the
// rates of a run, and a probe that records what the environment looks like after each
// generation's changes, just before the cells are iterated.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "world/simulate_world.h"
#include "world_build_fixture.h"

namespace orvantis::testing {

// What a cell held after the environmental changes of one generation.
struct TEnvironmentRecord {
  int generation = 0;
  double date = 0.0;
  int K = 0;
  float F = 0.0f;
  bool changed = false;
};

class EnvironmentProbe : public TEnvironmentDynamics {
 public:
  EnvironmentProbe(TEnvironmentDynamics& inner, int row, int col)
      : inner_(inner), row_(row), col_(col) {}

  int atRunStart(World& world) override {
    records.clear();
    return inner_.atRunStart(world);
  }
  int atGeneration(World& world, bool& changed) override {
    const int result = inner_.atGeneration(world, changed);
    const State& s = world.state(0, world.cellAt(row_, col_)->index);
    records.push_back({world.context().generation, world.context().date, s.K, s.F, changed});
    return result;
  }

  // The record of generation g (the first generation is 1).
  const TEnvironmentRecord& at(int g) const { return records.at(static_cast<std::size_t>(g - 1)); }

  std::vector<TEnvironmentRecord> records;

 private:
  TEnvironmentDynamics& inner_;
  int row_;
  int col_;
};

class EnvironmentRunTest : public WorldBuildTest {
 protected:
  EnvironmentRunTest() {
    keys["GrowthRate"] = "0.5";
    keys["MigrationRate"] = "0.2";
  }

  // A source of `size` individuals at generation 0 on the cell (row, col) of a grid of `nrows`
  // rows with the fixture's geometry (cell size 1, lower-left corner at 0, 0).
  void source(int nrows, int row, int col, int size) {
    std::ostringstream text;
    text << "1\nfounders " << size << " " << (nrows - row - 0.5) << " " << (col + 0.5)
         << " 0 0 0 0 0 0\n";
    keys["PopDensityFile"] = dir.write("sources.txt", text.str());
  }
  // An index file of (generation, table content) entries under `key`.
  void dynamicTable(const char* key, const std::vector<std::pair<int, std::string>>& entries) {
    std::ostringstream index;
    index << entries.size() << "\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::string name = std::string(key) + "_" + std::to_string(i) + ".txt";
      index << entries[i].first << " " << dir.write(name, entries[i].second) << "\n";
    }
    keys[key] = dir.write(std::string(key) + "_index.txt", index.str());
  }

  // Runs with the world's own dynamics, or through a probe of the cell (row, col).
  int run() {
    float seconds = 0.0f;
    return SimulateWorld(*world, seconds);
  }
  int runProbed(EnvironmentProbe& probe) {
    float seconds = 0.0f;
    return SimulateWorld(*world, seconds, &probe);
  }

  int dbN(int row, int col, int t) {
    return world->database().get_N(world->cellAt(row, col)->index, 0, t);
  }
  std::vector<int> sizes() {
    std::vector<int> values;
    const StateDB& db = world->database();
    for (int t = 0; t <= db.endTime(); ++t) {
      for (int i = 0; i < db.numEntries(); ++i) values.push_back(db.get_N(i, 0, t));
    }
    return values;
  }
};

}  // namespace orvantis::testing
