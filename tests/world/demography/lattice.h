#pragma once
// A small lattice of land cells for the tests of the demographic step, built without input
// files: cells linked to their neighbours, one State per population and cell, and a database
// for generations 0..endTime.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/distribution_settings.h"
#include "foundation/run_context.h"
#include "settings/conversion_tables.h"
#include "support/recording_window.h"
#include "world/database/state_db.h"
#include "world/demography/engine.h"
#include "world/landscape/cell.h"
#include "world/landscape/state.h"

namespace orvantis::testing {

class DemographyLattice {
 public:
  // `land` gives one string per row; '.' is water, any other character a land cell. Every land
  // cell gets K and F for every population.
  DemographyLattice(const std::vector<std::string>& land, int endTime, int populations = 1,
                    int K = 100, float F = 0.5f)
      : populations_(populations),
        rows_(static_cast<int>(land.size())),
        cols_(static_cast<int>(land.front().size())) {
    indexAt_.assign(static_cast<std::size_t>(rows_ * cols_), -1);
    for (int r = 0; r < rows_; ++r) {
      for (int c = 0; c < cols_; ++c) {
        if (land[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] == '.') continue;
        indexAt_[static_cast<std::size_t>(r * cols_ + c)] = static_cast<int>(cells.size());
        cell& x = cells.emplace_back();
        x.row = r;
        x.column = c;
        x.index = static_cast<int>(cells.size()) - 1;
      }
    }
    for (cell& x : cells) {
      x.neighbours[Neighbour::North] = cellPtr(x.row - 1, x.column);
      x.neighbours[Neighbour::West] = cellPtr(x.row, x.column - 1);
      x.neighbours[Neighbour::South] = cellPtr(x.row + 1, x.column);
      x.neighbours[Neighbour::East] = cellPtr(x.row, x.column + 1);
    }
    State initial;
    initial.K = K;
    initial.F = F;
    for (int p = 0; p < populations; ++p) states[p].assign(cells.size(), initial);
    db = std::make_unique<StateDB>(context, rows_, cols_);
    const auto indexOf = [](const cell* x) { return x == nullptr ? -1 : x->index; };
    for (cell& x : cells) EXPECT_NE(db->addEntry(x.index, &x), nullptr);
    for (cell& x : cells) {
      EXPECT_TRUE(db->setNeighbours(x.index, indexOf(x.north()), indexOf(x.south()),
                                    indexOf(x.east()), indexOf(x.west())));
    }
    EXPECT_EQ(db->AllocateStateDBMemory(endTime, populations, false), 1);
  }

  int index(int r, int c) const {
    if (r < 0 || c < 0 || r >= rows_ || c >= cols_) return -1;
    return indexAt_[static_cast<std::size_t>(r * cols_ + c)];
  }
  State& at(int r, int c, int p = 0) { return states[p][static_cast<std::size_t>(index(r, c))]; }
  int dbN(int r, int c, int t, int p = 0) const { return db->get_N(index(r, c), p, t); }
  int arrivals(int r, int c, FromSide side, int t, int p = 0) const {
    return db->get_migrFromNeighbour(index(r, c), p, side, t);
  }

  TDemeSpace space() {
    TDemeSpace s;
    s.cells = &cells;
    s.populations = populations_;
    for (int p = 0; p < populations_; ++p) s.states[p] = &states[p];
    s.database = db.get();
    s.context = &context;
    s.tables = &tables;
    return s;
  }

  TDemographicParameters parameters(int model, float r, float m) const {
    TDemographicParameters p;
    p.modelId = model;
    p.endTime = db->endTime();
    p.growthRate = r;
    p.migrationRate = m;
    return p;
  }

  // A long-distance model with a gamma kernel (shape, rate) and the share of jumpers; the
  // database's long-distance lists are made ready for the run.
  TDemographicParameters lddParameters(int model, float r, float m, double shape, double rate,
                                       double proportion) {
    TDemographicParameters p = parameters(model, r, m);
    p.ldd.kernel.set_type(TDistributionSettings::kGamma2P);
    p.ldd.kernel.add_parameter(shape);
    p.ldd.kernel.add_parameter(rate);
    p.ldd.proportion = proportion;
    EXPECT_EQ(db->beginRun(true), 1);
    return p;
  }

  // A two-population model with the growth, migration and exchange rates of both populations.
  TDemographicParameters twoPopulationParameters(int model, float r1, float r2, double m1,
                                                 double m2, float toP2, float toP1) {
    TDemographicParameters p = parameters(model, r1, static_cast<float>(m1));
    auto& two = p.twoPopulations;
    two.growthRate[0] = r1;
    two.growthRate[1] = r2;
    two.migrationRate[0] = m1;
    two.migrationRate[1] = m2;
    two.exchangeRate[0] = toP2;
    two.exchangeRate[1] = toP1;
    return p;
  }

  // Writes the current sizes as generation 0, as a run does after placing its sources.
  void writeGenerationZero() {
    for (int p = 0; p < populations_; ++p) {
      for (const cell& x : cells) {
        db->entry(x.index)->initialiseGenerationZero(
            x.column, x.row, p, states[p][static_cast<std::size_t>(x.index)]._N_POP, true);
      }
    }
  }

  std::ostringstream log;
  RecordingWindow window;
  TRunContext context{log, window};
  std::vector<cell> cells;
  std::vector<State> states[kMaxCellPopulations];
  std::unique_ptr<StateDB> db;
  TConversionTables tables{2};

 private:
  cell* cellPtr(int r, int c) {
    const int i = index(r, c);
    return i < 0 ? nullptr : &cells[static_cast<std::size_t>(i)];
  }

  int populations_;
  int rows_;
  int cols_;
  std::vector<int> indexAt_;
};

// Runs `generations` generations on the engine, advancing the context's counter first.
inline int runGenerations(DemographyLattice& lattice, TDemographicEngine& engine, int generations) {
  for (int g = 0; g < generations; ++g) {
    ++lattice.context.generation;
    if (!engine.iterateCells()) return 0;
  }
  return 1;
}

}  // namespace orvantis::testing
