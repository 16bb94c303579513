#include "world/database/state_db.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <new>

#include "world/database/memory_budget.h"

namespace orvantis {

namespace {

const char* const kSideNames[kSidesPerCell] = {"north", "south", "east", "west"};

}  // namespace

StateDB::StateDB(TRunContext& context, int nrows, int ncols, World* world)
    : context_(context), world_(world), nrows_(nrows), ncols_(ncols) {}

StateDB::~StateDB() = default;

bool StateDB::reserveEntries(int count) {
  if (count <= 0) return true;
  try {
    neighbours_.reserve(static_cast<std::size_t>(count) * kSidesPerCell);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return entries_.Reserve(count);
}

StateOfDemes* StateDB::addEntry(int cellIndex, cell* owner) {
  if (cellIndex != entries_.count()) return nullptr;
  if (isAllocated()) {
    context_.log << "ERROR{StateDB::addEntry}: [cell " << cellIndex
                 << " added after the database was allocated]" << std::endl;
    return nullptr;
  }
  auto* entry = new (std::nothrow) StateOfDemes(*this, cellIndex, owner);
  if (entry == nullptr) return nullptr;
  try {
    neighbours_.insert(neighbours_.end(), kSidesPerCell, -1);
  } catch (const std::bad_alloc&) {
    delete entry;
    return nullptr;
  }
  if (entries_.Add(entry) == 0) {
    neighbours_.resize(neighbours_.size() - kSidesPerCell);
    delete entry;
    return nullptr;
  }
  return entry;
}

bool StateDB::setNeighbours(int cellIndex, int north, int south, int east, int west) {
  const int n = entries_.count();
  const int given[kSidesPerCell] = {north, south, east, west};
  if (cellIndex < 0 || cellIndex >= n) return false;
  for (int other : given) {
    if (other < -1 || other >= n || other == cellIndex) return false;
  }
  std::copy(given, given + kSidesPerCell,
            neighbours_.begin() + static_cast<std::ptrdiff_t>(cellIndex) * kSidesPerCell);
  return true;
}

bool StateDB::requiredBytes(int cells, int endTime, int populations, bool shortInt,
                            std::uint64_t& bytes) {
  if (cells < 0 || endTime < 0 || populations < 1) return false;
  // In 64 bits throughout: the shape comes from the settings and may be absurd.
  const auto n = static_cast<std::uint64_t>(populations);
  const std::uint64_t valuesPerRecord = n * kSeriesPerPopulation + n * (n - 1);
  const std::uint64_t generations = static_cast<std::uint64_t>(endTime) + 1;
  std::uint64_t perGeneration = 0;
  return multiplyBytes(static_cast<std::uint64_t>(cells), valuesPerRecord * (shortInt ? 2 : 4),
                       perGeneration) &&
         multiplyBytes(perGeneration, generations, bytes);
}

void StateDB::releaseSeries() {
  block_.release();
  blockBytes_ = 0;
  ints_ = nullptr;
  shorts_ = nullptr;
  layout_ = TDbLayout();
  ldd_.reset(0, 0, 1);
  ownCache_.reset();
  packed_.reset();
  savedOwner_.reset();
  decodeFailureLogged_ = false;
  writeRefused_ = false;
  runFinished_ = false;
  nextRoomCheck_ = 0;
  ++allocationStamp_;
}

int StateDB::AllocateStateDBMemory(int endTime, int populations, bool shortInt) {
  releaseSeries();
  saturated_ = 0;
  saturationWarned_ = false;
  lddFailureLogged_ = false;
  lddReserveFailed_ = false;
  // Generations are counted in int, so EndTime + 1 must be one.
  if (endTime < 0 || endTime == INT_MAX || populations < 1 || populations > kMaxPopulations) {
    context_.log << "ERROR{StateDB::AllocateStateDBMemory}: [cannot store generations 0 to "
                 << endTime << " of " << populations << " population(s)]" << std::endl;
    return 0;
  }
  allocatedStorage_ = requestedStorage_;
  const int cells = entries_.count();
  std::uint64_t bytes = 0;
  const bool fits = requiredBytes(cells, endTime, populations, shortInt, bytes);
  const std::uint64_t available = std::min(availableMemoryBytes(), ceiling_);
  const bool plainFits =
      fits && bytes <= available && bytes <= std::numeric_limits<std::size_t>::max();
  if (requestedStorage_ == TDatabaseStorage::Compressed ||
      (requestedStorage_ == TDatabaseStorage::Auto && !plainFits)) {
    if (requestedStorage_ == TDatabaseStorage::Auto) {
      context_.log << "The demographic database would need "
                   << (fits ? std::to_string(bytes) : std::string("more than 18446744073709551615"))
                   << " bytes uncompressed but only " << available
                   << " bytes are available: it is kept compressed" << std::endl;
    }
    return allocatePacked(endTime, populations, shortInt, available);
  }
  if (!plainFits) {
    reportAllocationFailure(bytes, !fits, available, endTime, populations, shortInt);
    return 0;
  }
  // Refused memory comes back as a failure, never as an exception or a later kill; the block's
  // zero pages are the all-0 initial series and are only backed once written.
  if (!block_.allocate(static_cast<std::size_t>(bytes))) {
    reportAllocationFailure(bytes, false, available, endTime, populations, shortInt);
    return 0;
  }
  void* block = block_.data();
  blockBytes_ = bytes;
  layout_ = TDbLayout::make(cells, populations, endTime, shortInt);
  if (shortInt) {
    shorts_ = static_cast<std::int16_t*>(block);
  } else {
    ints_ = static_cast<std::int32_t*>(block);
  }
  ldd_.reset(layout_.generations(), cells, populations);
  return 1;
}

void StateDB::reportAllocationFailure(std::uint64_t bytes, bool overflow, std::uint64_t available,
                                      int endTime, int populations, bool shortInt) {
  const std::string needed =
      overflow ? std::string("more than 18446744073709551615") : std::to_string(bytes);
  const std::string hint = shortInt ? "use the compressed database or shorten the run (EndTime)"
                                    : "set AllowShortIntForNumberOfIndividuals=1, use the "
                                      "compressed database or shorten the run (EndTime)";
  context_.log << "ERROR{TimeStoFull::AllocateTimeStoFullMemory}: Cannot allocate memory!"
               << std::endl;
  context_.log << "\tThe demographic database needs " << needed << " bytes (" << entries_.count()
               << " cells, " << populations << " population(s), generations 0 to " << endTime
               << ", " << (shortInt ? 16 : 32) << "-bit values)";
  if (available != kUnlimitedBytes) {
    context_.log << " but only " << available << " bytes are available";
  }
  context_.log << ": " << hint << "." << std::endl;
  context_.window.messageBox("Not enough memory for the demographic database: " + needed +
                                 " bytes are needed. Please " + hint + ".",
                             "ERROR: memory allocation");
}

std::uint64_t StateDB::rawSizeBytes() const {
  std::uint64_t bytes = blockBytes_;
  if (packed_ != nullptr) {
    requiredBytes(layout_.numCells, layout_.endTime, layout_.numPopulations, layout_.shortInt,
                  bytes);
  }
  return bytes + ldd_.bytesHeld();
}

std::uint64_t StateDB::heldBytes() const {
  if (packed_ == nullptr) return blockBytes_ + ldd_.bytesHeld();
  // The database's own cache counts from the start: the report and the outputs need it.
  return packed_->heldBytes() + ldd_.bytesHeld() +
         TRowBlockCache::bytesFor(packed_->shape(), packed_->rowsPerBlock());
}

int StateDB::beginRun(bool longDistanceDispersal) {
  saturated_ = 0;
  saturationWarned_ = false;
  lddFailureLogged_ = false;
  lddReserveFailed_ = false;
  runFinished_ = false;
  if (isReadOnly()) {
    context_.log << "ERROR{StateDB::beginRun}: [the demographic database was loaded from a saved "
                    "demography and cannot be written: please build the world again]"
                 << std::endl;
    return 0;
  }
  // Lists left by an earlier run would add their migrants to this run's.
  ldd_.clear();
  if (packed_ != nullptr) {
    packed_->clear();
    writeRefused_ = false;
    nextRoomCheck_ = 0;
  }
  if (longDistanceDispersal && isAllocated()) return reserveLDDLists();
  return 1;
}

int StateDB::reserveLDDLists() {
  if (ldd_.hasIndex()) return 1;
  std::uint64_t bytes = 0;
  const bool fits = ldd_.indexBytes(bytes);
  std::uint64_t available = availableMemoryBytes();
  if (ceiling_ != kUnlimitedBytes) {
    const std::uint64_t held = heldBytes();
    available = std::min(available, ceiling_ > held ? ceiling_ - held : 0);
  }
  if (fits && bytes <= available && ldd_.allocateIndex()) return 1;
  lddReserveFailed_ = true;
  const std::string needed =
      fits ? std::to_string(bytes) : std::string("more than 18446744073709551615");
  context_.log << "ERROR{StateDB::reserveLDDLists}: [the long-distance arrival lists need "
               << needed << " bytes";
  if (available != kUnlimitedBytes) context_.log << " but only " << available << " are available";
  context_.log << ": shorten the run (EndTime)]" << std::endl;
  context_.window.messageBox("Not enough memory for the long-distance arrival lists: " + needed +
                                 " bytes are needed. Please shorten the run (EndTime).",
                             "ERROR: memory allocation");
  return 0;
}

int StateDB::add_LDDMigrants(int targetCell, int p, int t, int sourceCell, int count) {
  const int cells = layout_.numCells;
  if (!isAllocated() || t < 0 || t > layout_.endTime || targetCell < 0 || targetCell >= cells ||
      sourceCell < 0 || sourceCell >= cells || p < 0 || p >= layout_.numPopulations || count < 1) {
    context_.log << "ERROR{StateDB::add_LDDMigrants}: [invalid long-distance migration of " << count
                 << " from cell " << sourceCell << " to cell " << targetCell << ", population " << p
                 << ", generation " << t << "]" << std::endl;
    return 0;
  }
  if (!ldd_.hasIndex() && (lddReserveFailed_ || reserveLDDLists() == 0)) return 0;
  const TLDDStore::AddResult added = ldd_.add(t, targetCell, p, sourceCell, count);
  if (added == TLDDStore::AddResult::Added) return 1;
  if (added == TLDDStore::AddResult::OutOfOrder || isReadOnly()) {
    context_.log << "ERROR{StateDB::add_LDDMigrants}: [generation " << t
                 << " of the compressed demographic database is already stored: its "
                    "long-distance arrivals cannot change]"
                 << std::endl;
    return 0;
  }
  if (!lddFailureLogged_) {
    lddFailureLogged_ = true;
    context_.log << "ERROR{StateDB::add_LDDMigrants}: [unable to allocate memory for the "
                    "long-distance arrivals of generation "
                 << t << "]" << std::endl;
  }
  return 0;
}

int StateDB::flowRecordSlotOrLog(int i, int j, bool set) const {
  const int n = layout_.numPopulations;
  const int slot = flowSlot(i, j, n);
  if (slot >= 0) return layout_.flowRecordSlot(slot);
  const char* operation = set ? "set" : "get";
  if (i == j) {
    context_.log << "StateOfDemes::" << operation
                 << "_migrBetweenDemes(const int& i, const int& j): Try to " << operation
                 << " a migration between the same deme (i=j!!!)" << std::endl;
  } else {
    context_.log << "StateOfDemes::" << operation
                 << "_migrBetweenDemes(const int& i, const int& j): no such population (i=" << i
                 << ", j=" << j << ", " << n << " population(s))" << std::endl;
  }
  return -1;
}

int StateDB::get_migrBetweenDemes(int cellIndex, int i, int j, int t) const {
  const int slot = flowRecordSlotOrLog(i, j, false);
  if (slot < 0) return 0;
  return valueAt(t, cellIndex, slot);
}

TimeStoFull StateDB::series(int cellIndex, int slot) const {
  if (!isAllocated() || layout_.numCells == 0) return TimeStoFull();
  assert(cellIndex >= 0 && cellIndex < layout_.numCells && slot >= 0 && slot < layout_.slots);
  if (packed_ != nullptr) {
    return TimeStoFull(*this, cellIndex, slot, layout_.generations(), layout_.shortInt);
  }
  const std::ptrdiff_t first = layout_.recordStart(0, cellIndex) + slot;
  const void* base = layout_.shortInt ? static_cast<const void*>(shorts_ + first)
                                      : static_cast<const void*>(ints_ + first);
  return TimeStoFull(base, layout_.stride, layout_.generations(), layout_.shortInt);
}

std::string StateDB::describeSlot(int slot) const {
  const int seriesSlots = layout_.numPopulations * kSeriesPerPopulation;
  if (slot < seriesSlots) {
    const int p = slot / kSeriesPerPopulation;
    const int series = slot % kSeriesPerPopulation;
    const std::string what = series == kSizeSeries
                                 ? std::string("size")
                                 : std::string("arrivals from the ") + kSideNames[series - 1];
    return what + " of population " + std::to_string(p);
  }
  const int n = layout_.numPopulations;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      if (flowSlot(i, j, n) == slot - seriesSlots) {
        return "flow from population " + std::to_string(i) + " to population " + std::to_string(j);
      }
    }
  }
  return "slot " + std::to_string(slot);
}

int StateDB::saturate(int value, int t, int cellIndex, int slot) {
  const int clamped = value > INT16_MAX ? INT16_MAX : INT16_MIN;
  ++saturated_;
  if (!saturationWarned_) {
    saturationWarned_ = true;
    const StateOfDemes* e = entries_[cellIndex];
    context_.log << "WARNING{StateDB::store}: [cell " << cellIndex;
    if (e->column() >= 0) {
      context_.log << " (column " << e->column() << ", row " << e->row() << ")";
    }
    context_.log << ", " << describeSlot(slot) << ", generation " << t << ": value " << value
                 << " does not fit in 16 bits (AllowShortIntForNumberOfIndividuals=1) and is "
                    "stored as "
                 << clamped << "; later values out of range are clamped without warning]"
                 << std::endl;
  }
  return clamped;
}

void StateOfDemes::initialiseGenerationZero(int column, int row, int population, int size,
                                            bool writeZeroArrivals) {
  setPosition(column, row);
  TGenerationRow zero = db_.generationRow(0);
  zero.set_N(cellIndex_, population, size);
  if (writeZeroArrivals) zero.recordZeroMigrants(cellIndex_, population);
  const int n = db_.numberOfPopulations();
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      if (i != j) zero.set_migrBetweenDemes(cellIndex_, i, j, 0);
    }
  }
}

}  // namespace orvantis
