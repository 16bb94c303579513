#pragma once
// The demographic database (this folder): what the forward simulation stores and the backward
// simulation reads. It knows the grid's cells and directions but none of the demographic models.
//
// The demographic database: for every cell, population and generation 0..EndTime, the size, the
// arrivals from each neighbour, the long-distance arrivals and the flows between populations.
//
// The values form generation-major rows (see layout.h) of 32-bit values, or 16-bit values when
// AllowShortIntForNumberOfIndividuals is 1. The rows live either in one plain block, where every
// query is one array index, or compressed (compressed_rows.h): the forward loop then writes each
// generation into an uncompressed row that is packed with the block of generations it belongs
// to, and a query of a packed row decodes its block into a cache (block_cache.h). The
// database's own queries share one such cache and serve the window's thread; the backward walk
// reads through a TDemographyReader of its own. A compressed database may also be served,
// read-only, from a saved demography. StateOfDemes (one per cell), StatesOfCell (one population
// of a cell) and TimeStoFull (one series) are views.
//
// Writing: the forward loop takes a TGenerationRow for the generation it computes and writes
// sizes, arrivals (recordMigrants uses the neighbour table given by setNeighbours) and flows,
// then commits the generation. A compressed database takes the generations in ascending order;
// writing a generation already committed is refused (logged) and lost.
// Views and long-distance lists must not be kept across AllocateStateDBMemory.

#include <cassert>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/arrays.h"
#include "foundation/run_context.h"
#include "world/database/block_cache.h"
#include "world/database/compressed_rows.h"
#include "world/database/database_storage.h"
#include "world/database/generation_view.h"
#include "world/database/layout.h"
#include "world/database/ldd_lists.h"
#include "world/database/time_sto.h"
#include "world/database/zeroed_block.h"

namespace orvantis {

class World;
class cell;
class TSettings;
class StateDB;

// One population of one cell: its size and arrival series and its long-distance lists.
class StatesOfCell {
 public:
  StatesOfCell(const StateDB& db, int cellIndex, int population)
      : db_(&db), cell_(cellIndex), population_(population) {}

  TimeStoFull size() const;
  TimeStoFull arrivals(FromSide side) const;
  TimeStoFull fromNorth() const { return arrivals(FromSide::North); }
  TimeStoFull fromSouth() const { return arrivals(FromSide::South); }
  TimeStoFull fromEast() const { return arrivals(FromSide::East); }
  TimeStoFull fromWest() const { return arrivals(FromSide::West); }
  TLDDList lddMigrants(int t) const;

  int cellIndex() const { return cell_; }
  int population() const { return population_; }

 private:
  const StateDB* db_;
  int cell_;
  int population_;
};

// The database entry of one cell. Reached from the cell or from the StateDB by cell index.
class StateOfDemes {
 public:
  StateOfDemes(StateDB& db, int cellIndex, cell* owner)
      : db_(db), cellIndex_(cellIndex), cell_(owner) {}
  virtual ~StateOfDemes() = default;
  StateOfDemes(const StateOfDemes&) = delete;
  StateOfDemes& operator=(const StateOfDemes&) = delete;

  int cellIndex() const { return cellIndex_; }
  cell* getCell() const { return cell_; }
  const StateDB& database() const { return db_; }
  // Column and row, −1 until the entry is initialised at generation 0.
  int column() const { return column_; }
  int row() const { return row_; }
  void setPosition(int column, int row) {
    column_ = column;
    row_ = row;
  }

  int numberOfPopulations() const;
  StatesOfCell population(int p) const { return StatesOfCell(db_, cellIndex_, p); }
  // The flow series in slot `slot` (see flowSlot).
  TimeStoFull flow(int slot) const;

  int get_N(int p, int t) const;
  void set_N(int p, int t, int n);
  int get_migrFromNeighbour(int p, FromSide side, int t) const;
  int get_migrFromNeighbour(int p, TDirection from, int t) const {
    return get_migrFromNeighbour(p, fromSide(from), t);
  }
  TLDDList get_LDDMigrants(int p, int t) const;
  // Individuals of population i that became members of population j here during generation t.
  // i = j is logged and ignored (get returns 0).
  void set_migrBetweenDemes(int i, int j, int value, int t);
  int get_migrBetweenDemes(int i, int j, int t) const;

  // Start of a run: sets the position, writes the size of `population` at generation 0,
  // optionally zero arrivals from this cell into its neighbours at generation 0, and zero flows.
  void initialiseGenerationZero(int column, int row, int population, int size,
                                bool writeZeroArrivals);

 private:
  StateDB& db_;
  int cellIndex_;
  int column_ = -1;
  int row_ = -1;
  cell* cell_;
};

// Writer of one generation for the forward loop; indexes are not tested.
class TGenerationRow {
 public:
  int generation() const { return t_; }
  void set_N(int cellIndex, int p, int n);
  void setArrival(int cellIndex, int p, FromSide side, int n);
  // The numbers sent from `cellIndex` to each neighbour, written into the neighbours' arrival
  // series (sent north = the north neighbour's arrivals from the south); a missing neighbour is
  // skipped.
  void recordMigrants(int cellIndex, int p, int toNorth, int toSouth, int toEast, int toWest);
  void recordZeroMigrants(int cellIndex, int p) { recordMigrants(cellIndex, p, 0, 0, 0, 0); }
  void set_migrBetweenDemes(int cellIndex, int i, int j, int value);

 private:
  friend class StateDB;
  TGenerationRow(StateDB& db, int t, void* row) : db_(&db), row_(row), t_(t) {}
  void store(int cellIndex, int slot, int value);
  StateDB* db_;
  void* row_;  // the first value of generation t
  int t_;
};

class StateDB {
 public:
  StateDB(TRunContext& context, int nrows, int ncols, World* world = nullptr);
  virtual ~StateDB();
  StateDB(const StateDB&) = delete;
  StateDB& operator=(const StateDB&) = delete;

  // --- Entries and neighbours (world construction) ---

  // Appends the entry of a cell when cellIndex equals the number of entries and the series are
  // not yet allocated; nullptr otherwise.
  StateOfDemes* addEntry(int cellIndex, cell* owner);
  // Room for `count` entries in one step, before they are added one by one.
  bool reserveEntries(int count);
  int numEntries() const { return entries_.count(); }
  StateOfDemes* entry(int cellIndex) const { return entries_[cellIndex]; }
  StateOfDemes* operator[](int cellIndex) const { return entries_[cellIndex]; }
  // The cell indexes of the four neighbours of a cell, −1 where there is none; false (nothing
  // changed) when an index is not an entry.
  bool setNeighbours(int cellIndex, int north, int south, int east, int west);
  int neighbour(int cellIndex, FromSide side) const {
    return neighbours_[static_cast<std::size_t>(cellIndex) * kSidesPerCell +
                       static_cast<std::size_t>(side)];
  }

  // --- Allocation ---

  // True when the key AllowShortIntForNumberOfIndividuals is defined and equals 1.
  static bool shortIntRequested(TSettings& settings);
  // Bytes of the series for that shape; false when they do not fit in 64 bits.
  static bool requiredBytes(int cells, int endTime, int populations, bool shortInt,
                            std::uint64_t& bytes);
  // An upper bound on the database's memory, below whatever the system allows.
  void setMemoryCeiling(std::uint64_t bytes) { ceiling_ = bytes; }
  std::uint64_t memoryCeiling() const { return ceiling_; }
  // Where the next allocation keeps the rows (default: auto).
  void setStorage(TDatabaseStorage storage) { requestedStorage_ = storage; }
  TDatabaseStorage requestedStorage() const { return requestedStorage_; }
  // True when another storage was requested since the rows were allocated.
  bool storageChanged() const { return allocatedStorage_ != requestedStorage_; }
  // Without a thread of their own, compressed blocks are packed in the forward loop's thread.
  void setBackgroundPacking(bool background) { backgroundPacking_ = background; }
  // Allocates generations 0..endTime of every entry, all 0, replacing any earlier allocation,
  // plainly or compressed as requested (auto: compressed when the plain rows would not fit,
  // which one log line says). Refuses (logs, shows a box, returns 0) when the plain rows, or the
  // compressed database's buffers, exceed the memory available to the process; 1 on success.
  int AllocateStateDBMemory(int endTime, int populations, bool shortInt);
  bool isAllocated() const { return layout_.endTime >= 0; }
  int endTime() const { return layout_.endTime; }
  int numberOfPopulations() const { return layout_.numPopulations; }
  bool isShortInt() const { return layout_.shortInt; }
  const TDbLayout& layout() const { return layout_; }
  // Changes with every allocation, so that readers made for earlier rows start afresh.
  std::uint64_t allocationStamp() const { return allocationStamp_; }
  // Whether the rows are kept compressed, and whether they are served from a saved file.
  bool isCompressed() const { return packed_ != nullptr; }
  bool isReadOnly() const { return packed_ != nullptr && packed_->readOnly(); }
  // The compressed rows (null for plain rows).
  const TCompressedRows* compressedRows() const { return packed_.get(); }
  // Bytes of the plain series plus the long-distance index and pool: what the database takes
  // uncompressed.
  std::uint64_t rawSizeBytes() const;
  // Bytes the database holds now: the plain series, or the packed blocks and the buffers of the
  // compressed rows, plus the long-distance lists.
  std::uint64_t heldBytes() const;

  // Serves a saved demography, read-only: generations 0..endTime packed in `blocks` of
  // `rowsPerBlock` rows and sealed long-distance lists (when `ldd` is given), all in memory that
  // `owner` keeps alive. The entries and neighbours must be set; 0 after logging when the shape
  // does not fit them.
  int adoptSaved(int endTime, int populations, bool shortInt, int rowsPerBlock,
                 std::vector<TBlockRef> blocks, const TLDDSealedLists* ldd,
                 std::shared_ptr<const void> owner);

  // --- A run of the demographic simulation ---

  // Call at the start of every run: empties the long-distance lists of an earlier run, re-arms
  // the 16-bit overflow warning and, for long-distance dispersal, allocates the index of the
  // lists (0 after logging when memory is refused).
  int beginRun(bool longDistanceDispersal);
  // Values clamped to the 16-bit range since the start of the run.
  long saturatedValues() const { return saturated_; }

  // The writer of generation t. Compressed: a later generation than the one being written
  // commits the earlier ones; an earlier one is refused (logged once, writes lost, the next
  // commit fails).
  TGenerationRow generationRow(int t) {
    assert(isAllocated() && t >= 0 && t <= layout_.endTime);
    if (packed_ == nullptr) [[likely]] {
      return TGenerationRow(*this, t, rawRow(t));
    }
    return TGenerationRow(*this, t, packedRowForWriting(t));
  }
  // Generation t is complete: a compressed database stores it (packing full blocks). 0 after
  // logging (and a box) when the compressed database no longer fits in memory, or after a
  // refused write; always 1 for plain rows.
  [[nodiscard]] int commitGeneration(int t);
  // Every generation written: the compressed database packs its last block and logs its size.
  // 0 as for commitGeneration.
  [[nodiscard]] int finishRun();
  // True after finishRun succeeded, until the next run or allocation (and for a saved
  // demography).
  bool runFinished() const { return runFinished_; }
  void set_N(int cellIndex, int p, int t, int n) { generationRow(t).set_N(cellIndex, p, n); }
  void recordMigrants(int t, int cellIndex, int p, int toNorth, int toSouth, int toEast,
                      int toWest) {
    generationRow(t).recordMigrants(cellIndex, p, toNorth, toSouth, toEast, toWest);
  }
  // Appends (source, count) to the long-distance list of the target at generation t; 0 after
  // logging when an index is invalid, count < 1, or memory is refused.
  int add_LDDMigrants(int targetCell, int p, int t, int sourceCell, int count);

  // --- Queries (t = 0..EndTime) ---

  int get_N(int cellIndex, int p, int t) const {
    return valueAt(t, cellIndex, TDbLayout::seriesSlot(p, kSizeSeries));
  }
  int get_migrFromNeighbour(int cellIndex, int p, FromSide side, int t) const {
    return valueAt(t, cellIndex, TDbLayout::seriesSlot(p, arrivalSeries(side)));
  }
  int get_migrFromNeighbour(int cellIndex, int p, TDirection from, int t) const {
    return get_migrFromNeighbour(cellIndex, p, fromSide(from), t);
  }
  TLDDList get_LDDMigrants(int cellIndex, int p, int t) const {
    assert(isAllocated() && t >= 0 && t <= layout_.endTime);
    return ldd_.list(t, cellIndex, p);
  }
  int get_migrBetweenDemes(int cellIndex, int i, int j, int t) const;

  // Generation t of every cell, read-only (the backward walk reads through TDemographyReader).
  // Compressed: valid until the database's next query or write.
  TGenerationView view(int t) const {
    assert(isAllocated() && t >= 0 && t <= layout_.endTime);
    return TGenerationView(packed_ == nullptr ? rawRow(t) : ownPackedRow(t), &layout_, &ldd_, t);
  }
  // The long-distance lists, for the views of readers.
  const TLDDStore& lddLists() const { return ldd_; }
  // Plain rows t, t + 1, ... follow one another from here; null for compressed rows.
  const void* plainRows(int t) const { return packed_ == nullptr ? rawRow(t) : nullptr; }

  // The series in record slot `slot` of a cell, over all generations.
  TimeStoFull series(int cellIndex, int slot) const;
  // One value of record slot `slot` (any series or flow).
  int valueAt(int t, int cellIndex, int slot) const {
    assert(isAllocated() && t >= 0 && t <= layout_.endTime);
    assert(cellIndex >= 0 && cellIndex < layout_.numCells);
    assert(slot >= 0 && slot < layout_.slots);
    const void* row = packed_ == nullptr ? rawRow(t) : ownPackedRow(t);
    return load(row, static_cast<std::ptrdiff_t>(cellIndex) * layout_.slots + slot);
  }

  // --- Checks ---

  // Internal consistency: entries numbered in order, a symmetric neighbour table, no negative
  // value, no arrival from a missing neighbour, well-formed long-distance lists. On failure the
  // first problem is described in `problem`.
  bool verify(std::string* problem = nullptr) const;

  int nrows() const { return nrows_; }
  int ncols() const { return ncols_; }
  World* world() const { return world_; }
  std::ostream& log() const { return context_.log; }

 private:
  friend class TGenerationRow;
  friend class StateOfDemes;

  // The first value of plain row t.
  void* rawRow(int t) const {
    const std::ptrdiff_t start = static_cast<std::ptrdiff_t>(t) * layout_.stride;
    return layout_.shortInt ? static_cast<void*>(shorts_ + start)
                            : static_cast<void*>(ints_ + start);
  }
  int load(const void* row, std::ptrdiff_t i) const {
    return layout_.shortInt ? static_cast<const std::int16_t*>(row)[i]
                            : static_cast<const std::int32_t*>(row)[i];
  }
  void store(void* row, std::ptrdiff_t i, int value, int t, int cellIndex, int slot) {
    if (layout_.shortInt) {
      if (value > INT16_MAX || value < INT16_MIN) [[unlikely]] {
        value = saturate(value, t, cellIndex, slot);
      }
      static_cast<std::int16_t*>(row)[i] = static_cast<std::int16_t>(value);
    } else {
      static_cast<std::int32_t*>(row)[i] = value;
    }
  }
  // Compressed rows: the row to write generation t into, and the row of generation t as the
  // database's own queries read it (zeros, logged once, when its block cannot be decoded).
  void* packedRowForWriting(int t);
  const void* ownPackedRow(int t) const;
  int allocatePacked(int endTime, int populations, bool shortInt, std::uint64_t available);
  int reportPackFailure(TCompressedRows::Status status, int t);
  bool roomForPackedRows(int t);
  // Clamps to the 16-bit range; the first clamp of a run is logged with its place.
  int saturate(int value, int t, int cellIndex, int slot);
  std::string describeSlot(int slot) const;
  // Record slot of the flow i→j, or −1 after logging the misuse ("set" or "get").
  int flowRecordSlotOrLog(int i, int j, bool set) const;
  void releaseSeries();
  void reportAllocationFailure(std::uint64_t bytes, bool overflow, std::uint64_t available,
                               int endTime, int populations, bool shortInt);
  int reserveLDDLists();
  bool verifyValues(std::string& problem) const;

  TRunContext& context_;
  World* world_;
  int nrows_;
  int ncols_;
  MY_TIArrayAsVector<StateOfDemes> entries_{999, 500};
  std::vector<std::int32_t> neighbours_;  // 4 per cell in FromSide order, −1 = none

  TDbLayout layout_;
  TDatabaseStorage requestedStorage_ = TDatabaseStorage::Auto;
  TDatabaseStorage allocatedStorage_ = TDatabaseStorage::Auto;  // requested at the allocation
  bool backgroundPacking_ = true;
  std::unique_ptr<TCompressedRows> packed_;           // compressed rows; null for the plain block
  mutable std::unique_ptr<TRowBlockCache> ownCache_;  // decoded blocks of the own queries
  mutable bool decodeFailureLogged_ = false;
  std::shared_ptr<const void> savedOwner_;  // keeps a saved demography's memory alive
  std::uint64_t nextRoomCheck_ = 0;         // compressed bytes at which to ask the system again
  bool writeRefused_ = false;
  bool runFinished_ = false;
  std::uint64_t allocationStamp_ =
      0;  // a write was refused since the run began: the next commit fails
  TZeroedBlock block_;
  std::uint64_t blockBytes_ = 0;
  std::int32_t* ints_ = nullptr;
  std::int16_t* shorts_ = nullptr;
  TLDDStore ldd_;
  std::uint64_t ceiling_ = UINT64_MAX;

  long saturated_ = 0;
  bool saturationWarned_ = false;
  bool lddFailureLogged_ = false;
  bool lddReserveFailed_ = false;  // refused once this run: later migrations fail silently
};

// ---- inline definitions ----

inline TimeStoFull StatesOfCell::size() const {
  return db_->series(cell_, TDbLayout::seriesSlot(population_, kSizeSeries));
}
inline TimeStoFull StatesOfCell::arrivals(FromSide side) const {
  return db_->series(cell_, TDbLayout::seriesSlot(population_, arrivalSeries(side)));
}
inline TLDDList StatesOfCell::lddMigrants(int t) const {
  return db_->get_LDDMigrants(cell_, population_, t);
}

inline int StateOfDemes::numberOfPopulations() const {
  return db_.numberOfPopulations();
}
inline TimeStoFull StateOfDemes::flow(int slot) const {
  return db_.series(cellIndex_, db_.layout().flowRecordSlot(slot));
}
inline int StateOfDemes::get_N(int p, int t) const {
  return db_.get_N(cellIndex_, p, t);
}
inline void StateOfDemes::set_N(int p, int t, int n) {
  db_.set_N(cellIndex_, p, t, n);
}
inline int StateOfDemes::get_migrFromNeighbour(int p, FromSide side, int t) const {
  return db_.get_migrFromNeighbour(cellIndex_, p, side, t);
}
inline TLDDList StateOfDemes::get_LDDMigrants(int p, int t) const {
  return db_.get_LDDMigrants(cellIndex_, p, t);
}
inline int StateOfDemes::get_migrBetweenDemes(int i, int j, int t) const {
  return db_.get_migrBetweenDemes(cellIndex_, i, j, t);
}
inline void StateOfDemes::set_migrBetweenDemes(int i, int j, int value, int t) {
  db_.generationRow(t).set_migrBetweenDemes(cellIndex_, i, j, value);
}

inline void TGenerationRow::store(int cellIndex, int slot, int value) {
  db_->store(row_, static_cast<std::ptrdiff_t>(cellIndex) * db_->layout_.slots + slot, value, t_,
             cellIndex, slot);
}
inline void TGenerationRow::set_N(int cellIndex, int p, int n) {
  store(cellIndex, TDbLayout::seriesSlot(p, kSizeSeries), n);
}
inline void TGenerationRow::setArrival(int cellIndex, int p, FromSide side, int n) {
  store(cellIndex, TDbLayout::seriesSlot(p, arrivalSeries(side)), n);
}
inline void TGenerationRow::recordMigrants(int cellIndex, int p, int toNorth, int toSouth,
                                           int toEast, int toWest) {
  const std::int32_t* side = &db_->neighbours_[static_cast<std::size_t>(cellIndex) * kSidesPerCell];
  if (side[0] >= 0) setArrival(side[0], p, FromSide::South, toNorth);
  if (side[1] >= 0) setArrival(side[1], p, FromSide::North, toSouth);
  if (side[2] >= 0) setArrival(side[2], p, FromSide::West, toEast);
  if (side[3] >= 0) setArrival(side[3], p, FromSide::East, toWest);
}
inline void TGenerationRow::set_migrBetweenDemes(int cellIndex, int i, int j, int value) {
  const int slot = db_->flowRecordSlotOrLog(i, j, true);
  if (slot < 0) return;
  store(cellIndex, slot, value);
}

}  // namespace orvantis

namespace orvantis {

inline TGenerationView TDemographyReader::row(int t) {
  if (!db_->isCompressed()) return db_->view(t);
  return packedRow(t);
}

}  // namespace orvantis
