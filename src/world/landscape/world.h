#pragma once
// The landscape and its construction (this folder): the world as a grid of land cells.
//
// The simulated landscape: the grid of land cells with their environment, carrying capacity and
// friction per population, neighbour links, coasts and rivers, and the containers the
// simulation fills. BuildWorld turns the settings and the input maps into that grid; it may run
// again with other settings.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/my_string.h"
#include "foundation/run_context.h"
#include "settings/cell_input.h"
#include "settings/conversion_tables.h"
#include "settings/dynamic_tables.h"
#include "settings/grid_header.h"
#include "settings/population_sources.h"
#include "settings/settings.h"
#include "world/database/state_db.h"
#include "world/database/time_sto.h"
#include "world/landscape/cell.h"
#include "world/landscape/state.h"

namespace orvantis {

class TDemeCollection;
class TEnvironmentDynamics;
class TWorldEnvironment;
class TSavedDemography;

// Which quantities the coast and river factors adjust: both after a fresh computation of K and
// F, only the one recomputed after a table switch (so that factors already applied to the other
// do not compound).
enum class TFactorTarget { Both, CarryingCapacity, Friction };

// Reference time of the temperature series: the climate of the last glacial maximum.
inline constexpr int kVostokReferenceTime = -66600;
// Largest number of pairs the temperature series may hold.
inline constexpr int kMaxVostokPairs = 30000;

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
  void DesAllocateCells();  // releases the cells, the grid, the matrices and climate series
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
  void applyCoastFactors(int population, TFactorTarget target = TFactorTarget::Both);
  void applyRiverFactors(int population, TFactorTarget target = TFactorTarget::Both);
  void checkSpecialModel35();  // throws TException when no cell has class 777

  // Climate interpolation while an LGM vegetation map is in use (environment_climate*.cpp).
  // For a population: sizes its K and F matrices (one entry per active cell), fills the K matrix
  // from the present vegetation (the LGM class where the present class is no-data) and loads the
  // temperature series. 1 or 0 (logged).
  int AllocateAndLoadAllVostokData(int population);
  // Reads VostokFile into the temperature series and the chart arrays, replacing what an earlier
  // load stored. 1 or 0 (logged with the file and line at fault).
  int load_VostokTimeData();
  // Reads SeaLevelFile into the sea-level series, replacing an earlier one. 1 or 0 (logged).
  int loadSeaLevelData();
  // The K and F matrices of a population at date `time`, between the present and the LGM
  // values in proportion to V(time) / V(-66600). 1, or 0 (logged) without loaded series.
  int GenerateVostok(int time, int population);
  // Copy the matrices into the cells' K or friction: 1, or 0 (logged) when the matrices were not
  // prepared for the cells.
  int ChangeGlobalK(int population);
  int ChangeGlobalF(int population);
  // Emerged := altitude >= sea level at `time`, then the coasts again.
  void updateSeaLevel(int time);

  // After a switch of the population's K table: K from the table at the present vegetation
  // class (the LGM class where the present class is no-data), then the coast and river factors
  // of K only. After a switch of its F table: the friction afresh, then the friction factors.
  void recomputeKAfterTableSwitch(int population);
  void recomputeFAfterTableSwitch(int population);

  // The temperature series and its pairs as read (times truncated to years, values), for the
  // chart of the desktop program; empty without an LGM map.
  const TimeStoInt<float>& temperatureSeries() const { return temperature_; }
  const std::vector<int>& vostokTimes() const { return vostokTimes_; }
  const std::vector<double>& vostokValues() const { return vostokValues_; }
  // The sea-level series when the world follows one, else null (for the maps that draw the
  // cells under the sea).
  const TimeStoInt<float>* seaLevelSeries() const {
    return seaLevel_.count() > 0 ? &seaLevel_ : nullptr;
  }
  // True when the climate series of an LGM map were loaded by the last construction.
  bool climateLoaded() const { return climateLoaded_; }
  // K and F matrices of a population after the last GenerateVostok, by cell index.
  const std::vector<int>& climateK(int population) const {
    return climateK_[static_cast<std::size_t>(population)];
  }
  const std::vector<float>& climateF(int population) const {
    return climateF_[static_cast<std::size_t>(population)];
  }

  // The changes through time that the settings call for (climate series, dynamic tables), as the
  // generation loop applies them; null when the world is static.
  TEnvironmentDynamics* environmentDynamics();

  // The deme collection of the window's and the command's genetic simulations, created on first
  // use; a construction of the world discards it (its demes refer to the cells).
  TDemeCollection& demeCollection();
  // The number of chromosomes on the first line of the genetic parameters file (GeneticFile);
  // 0 after logging when the file cannot be read.
  int readNumChromosomes() const;

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
  const TDynamicTables& dynamicTables() const { return dynamicTables_; }
  // The demographic database: replaced by every construction, one entry per active cell.
  StateDB& database() { return *database_; }
  const StateDB& database() const { return *database_; }
  // Where the database keeps its rows (default auto: compressed only when the plain rows would
  // not fit in the memory available) and the most memory it may take (0: what the system
  // allows). Not settings: the choice holds for the next construction and the next run.
  void setDatabaseStorage(TDatabaseStorage storage);
  TDatabaseStorage databaseStorage() const { return storage_; }
  void setDatabaseMemoryLimit(std::uint64_t bytes);
  std::uint64_t databaseMemoryLimit() const { return memoryLimit_; }

  // Saved demographies (saved_world.cpp). After a finished run, writes the world's geometry,
  // cells and sources, the database (compressed) and the manifest of the settings and input
  // files that built it (read from the current directory, as building did): 1, or 0 after a
  // log line and a box.
  int saveDemography(const std::string& path);
  // Replaces the world by a saved demography whose database is served from the mapped file;
  // the settings are left as they are. 1, or 0 after a log line and a box (the world is then
  // empty, as after a failed construction). Such a world can be read but not run: build it
  // again to run the demography.
  int loadSavedDemography(const std::string& path);
  bool holdsSavedDemography() const { return saved_ != nullptr; }
  // 1 when the settings (loaded and filled) describe the world of the loaded demography; 0
  // after a log line and a box that say how they differ. Throws TException when an index file
  // of the tables cannot be read.
  int checkSettingsMatchSavedDemography();
  // The random generator's state at the end of the last demographic simulation, or of the one
  // that made the loaded saved demography; none before. A whole run's genetic simulations start
  // from it, so restoring it makes those over a saved demography draw what the run drew.
  const std::optional<TRandomState>& randomStateAfterDemography() const {
    return randomAfterDemography_;
  }
  void setRandomStateAfterDemography(std::optional<TRandomState> state) {
    randomAfterDemography_ = state;
  }
  // Puts the run's generator in that state (saved_world.cpp): 1 after a log line naming the
  // seed, 0 after a log line when there is no such state.
  int resumeRandomSequenceAfterDemography();
  PopulationVector& sources() { return sources_; }
  const PopulationVector& sources() const { return sources_; }
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
  void releaseClimateData();
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
  TDatabaseStorage storage_ = TDatabaseStorage::Auto;
  std::uint64_t memoryLimit_ = 0;
  std::shared_ptr<const TSavedDemography> saved_;  // the loaded saved demography, if any
  std::optional<TRandomState> randomAfterDemography_;
  PopulationVector sources_;
  int numberOfSources_ = 0;

  std::vector<float> roughnessMatrix_;
  std::vector<cell*> presentClass777_;
  std::vector<cell*> lgmClass777_;

  // Climate series and matrices (see the climate interpolation above).
  TimeStoInt<float> temperature_;
  TimeStoInt<float> seaLevel_;
  std::vector<int> vostokTimes_;
  std::vector<double> vostokValues_;
  float vostokReference_ = 0.0f;  // V(-66600), never 0 once loaded
  bool climateLoaded_ = false;
  std::vector<int> climateK_[kMaxCellPopulations];
  std::vector<float> climateF_[kMaxCellPopulations];
  std::unique_ptr<TWorldEnvironment> environment_;
  std::unique_ptr<TDemeCollection> demeCollection_;

  int realBPTime_ = 0;
  bool freshlyBuilt_ = false;
  bool built_ = false;
};

}  // namespace orvantis
