#pragma once
// The simulated landscape: the grid of land cells with their environment, carrying capacity and
// friction per population, neighbour links, coasts and rivers, and the containers the
// simulation fills. BuildWorld turns the settings and the input maps into that grid; it may run
// again with other settings.

#include <memory>
#include <vector>

#include "foundation/my_string.h"
#include "foundation/run_context.h"
#include "settings/cell_input.h"
#include "settings/conversion_tables.h"
#include "settings/dynamic_tables.h"
#include "settings/grid_header.h"
#include "settings/population_sources.h"
#include "settings/settings.h"
#include "world/cell.h"
#include "world/state.h"
#include "world/state_db.h"

namespace orvantis {

class World {
 public:
  // Creates the empty world and seeds the run's random generator (which writes the log header).
  explicit World(TRunContext& context);
  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // Builds the world from the settings (reset, loaded and filled by the caller): 1 on success,
  // 0 after a box or log line. May throw TException (missing files, settings and tables).
  int BuildWorld();

  // Steps of BuildWorld, in its order; each that returns int gives 1 or 0.
  void DesAllocateCells();  // releases the cells, the grid and the roughness matrix
  int AllocateCells();      // one input record per grid position
  int readInputMaps();      // every map the settings name, in the reading order
  int removeWaterCells();   // keeps the land positions as the active cells
  int numberDemes();        // cell indexes and database records
  void linkNeighbours();
  void computeCoast();
  void closeInland();  // start of coast adaptation: only coast cells accept migrants
  void openAll();      // end of coast adaptation
  void computeInitialFNonStochastic(int population);  // may throw TException
  void computeK(int population);
  void applyCoastFactors(int population);
  void applyRiverFactors(int population);
  void checkSpecialModel35();  // throws TException when no cell has class 777

  // The cell at the coordinates of a source, or null (logged) when they lie outside the world or
  // on water.
  cell* readGeoPopDensity(const my_string& name, float longitude, float latitude);

  // Access.
  TRunContext& context() { return context_; }
  TExtendedSettings& settings() { return settings_; }
  const TExtendedSettings& settings() const { return settings_; }
  const TGridHeader& header() const { return settings_.gridHeader(); }
  int nrows() const { return nrows_; }
  int ncols() const { return ncols_; }
  int numberOfPopulations() const { return settings_.numberOfPopulations(); }
  // True after a BuildWorld that succeeded, until the next one starts.
  bool isBuilt() const { return built_; }

  // The cell at a grid position, null for water, no-data or a position outside the grid.
  cell* cellAt(int row, int col) const {
    if (row < 0 || col < 0 || row >= nrows_ || col >= ncols_) return nullptr;
    return grid_[static_cast<std::size_t>(row) * static_cast<std::size_t>(ncols_) +
                 static_cast<std::size_t>(col)];
  }
  // Active cells in list order (row-major, row 0 first); cell.index is the position here.
  std::vector<cell>& cells() { return cells_; }
  const std::vector<cell>& cells() const { return cells_; }
  int numberOfCells() const { return static_cast<int>(cells_.size()); }
  // Grid positions removed as water or no-data.
  int numberOfRemovedCells() const { return removedCells_; }

  // Demographic state of a population, one entry per active cell in list order.
  std::vector<State>& states(int population) {
    return states_[static_cast<std::size_t>(population)];
  }
  State& state(int population, int cellIndex) {
    return states_[static_cast<std::size_t>(population)][static_cast<std::size_t>(cellIndex)];
  }
  const State& state(int population, int cellIndex) const {
    return states_[static_cast<std::size_t>(population)][static_cast<std::size_t>(cellIndex)];
  }

  // The vegetation class that selects a cell's K and F: the LGM class when an LGM map is in
  // use, else the present class.
  int vegetationClass(const cell& c) const {
    return lgmInUse() ? c.lgmVegetation : c.presentVegetation;
  }
  bool lgmInUse() const { return settings_.lgmVegetationPresent(); }

  TConversionTables& tables() { return tables_; }
  const TConversionTables& tables() const { return tables_; }
  TDynamicTables& dynamicTables() { return dynamicTables_; }
  // The demographic database: replaced by every construction, one entry per active cell.
  StateDB& database() { return *database_; }
  const StateDB& database() const { return *database_; }
  PopulationVector& sources() { return sources_; }
  int numberOfSources() const { return numberOfSources_; }
  void setNumberOfSources(int n) { numberOfSources_ = n; }

  // |roughness| per grid position (row-major), kept while an LGM map is in use; else empty.
  const std::vector<float>& roughnessMatrix() const { return roughnessMatrix_; }
  // Cells whose present or LGM vegetation class is 777 (special model 35).
  const std::vector<cell*>& presentClass777() const { return presentClass777_; }
  const std::vector<cell*>& lgmClass777() const { return lgmClass777_; }

  // Start date in years (RealBPTime as BuildWorld computed it).
  int realBPTime() const { return realBPTime_; }
  // Set by BuildWorld, cleared by the end of a demographic simulation.
  bool freshlyBuilt() const { return freshlyBuilt_; }
  void setFreshlyBuilt(bool fresh) { freshlyBuilt_ = fresh; }

 private:
  int readWorldHeader();      // geometry from the present vegetation map
  int storeStartTime();       // RealBPTime := -(GenerationTime x EndTime)
  void replaceDatabase();     // a new, empty demographic database for the grid
  int registerDemes();        // one database entry per cell, then series for 0..EndTime
  void registerNeighbours();  // the cells' four neighbours, for the database's arrivals
  int loadClimateData();      // climate and sea-level series when an LGM map is in use
  void releaseModel35Lists();

  TRunContext& context_;
  TExtendedSettings settings_;
  int nrows_ = 0;
  int ncols_ = 0;

  TInputGrid inputs_;        // the maps' values, while the world is being built
  std::vector<cell*> grid_;  // nrows x ncols, null for water and no-data
  std::vector<cell> cells_;  // the active cells, contiguous, in list order
  std::vector<State> states_[kMaxCellPopulations];
  int removedCells_ = 0;

  TConversionTables tables_;
  TDynamicTables dynamicTables_;
  std::unique_ptr<StateDB> database_;
  PopulationVector sources_;
  int numberOfSources_ = 0;

  std::vector<float> roughnessMatrix_;
  std::vector<cell*> presentClass777_;
  std::vector<cell*> lgmClass777_;

  int realBPTime_ = 0;
  bool freshlyBuilt_ = false;
  bool built_ = false;
};

}  // namespace orvantis
