// The compressed rows of the demographic database: allocation, the forward loop's commits, the
// size check against the memory actually taken, and the database's own reads.

#include <algorithm>
#include <new>
#include <string>

#include "world/database/memory_budget.h"
#include "world/database/state_db.h"

namespace orvantis {

namespace {

// The compressed database is refused when less than this is left to the rest of the program.
constexpr std::uint64_t kReserveBytes = std::uint64_t{256} << 20;
// The system is asked again for its available memory once the database has grown by a
// fraction of what was available last time, and at least by this much.
constexpr std::uint64_t kMinRoomCheckStep = std::uint64_t{16} << 20;

std::string shrinkHint(bool shortInt) {
  return shortInt ? "shorten the run (EndTime)"
                  : "set AllowShortIntForNumberOfIndividuals=1 or shorten the run (EndTime)";
}

}  // namespace

int StateDB::allocatePacked(int endTime, int populations, bool shortInt, std::uint64_t available) {
  const int cells = entries_.count();
  const TDbLayout layout = TDbLayout::make(cells, populations, endTime, shortInt);
  const TRowShape shape{static_cast<std::size_t>(layout.stride), layout.valueBytes()};
  const int perBlock = TCompressedRows::rowsPerBlockFor(shape.rowBytes());
  const std::uint64_t working =
      TCompressedRows::writingBytes(shape, perBlock) + TRowBlockCache::bytesFor(shape, perBlock);
  bool allocated = false;
  if (working <= available) {
    packed_.reset(new (std::nothrow) TCompressedRows());
    allocated = packed_ && packed_->allocate(shape, layout.generations(), backgroundPacking_);
  }
  if (!allocated) {
    packed_.reset();
    context_.log << "ERROR{TimeStoFull::AllocateTimeStoFullMemory}: Cannot allocate memory!"
                 << std::endl;
    context_.log << "\tThe compressed demographic database needs " << working
                 << " bytes of buffers (" << cells << " cells, " << populations
                 << " population(s), " << (shortInt ? 16 : 32) << "-bit values)";
    if (available != kUnlimitedBytes) {
      context_.log << " but only " << available << " bytes are available";
    }
    context_.log << "." << std::endl;
    context_.window.messageBox("Not enough memory for the compressed demographic database: " +
                                   std::to_string(working) + " bytes of buffers are needed.",
                               "ERROR: memory allocation");
    return 0;
  }
  layout_ = layout;
  ldd_.reset(layout_.generations(), cells, populations, TLDDStore::Form::Sealed);
  nextRoomCheck_ = 0;
  return 1;
}

int StateDB::adoptSaved(int endTime, int populations, bool shortInt, int rowsPerBlock,
                        std::vector<TBlockRef> blocks, const TLDDSealedLists* ldd,
                        std::shared_ptr<const void> owner) {
  releaseSeries();
  const int cells = entries_.count();
  const long long generations = static_cast<long long>(endTime) + 1;
  if (endTime < 0 || generations > INT32_MAX || populations < 1 || populations > kMaxPopulations ||
      rowsPerBlock < 1 ||
      static_cast<long long>(blocks.size()) != (generations + rowsPerBlock - 1) / rowsPerBlock ||
      (ldd != nullptr && ldd->generations != generations)) {
    context_.log << "ERROR{StateDB::adoptSaved}: [the saved rows do not fit " << cells << " cells, "
                 << populations << " population(s) and generations 0 to " << endTime << "]"
                 << std::endl;
    return 0;
  }
  layout_ = TDbLayout::make(cells, populations, endTime, shortInt);
  packed_.reset(new (std::nothrow) TCompressedRows());
  if (!packed_) {
    layout_ = TDbLayout();
    return 0;
  }
  packed_->adopt(TRowShape{static_cast<std::size_t>(layout_.stride), layout_.valueBytes()},
                 layout_.generations(), rowsPerBlock, std::move(blocks));
  ldd_.reset(layout_.generations(), cells, populations, TLDDStore::Form::Sealed);
  if (ldd != nullptr) ldd_.adoptSealed(*ldd);
  savedOwner_ = std::move(owner);
  runFinished_ = true;
  return 1;
}

void* StateDB::packedRowForWriting(int t) {
  TCompressedRows::Status status = TCompressedRows::Status::Ok;
  void* row = packed_->rowForWriting(t, status);
  if (status == TCompressedRows::Status::Ok || writeRefused_) return row;
  writeRefused_ = true;
  if (status == TCompressedRows::Status::OutOfOrder) {
    context_.log << "ERROR{StateDB::generationRow}: [generation " << t
                 << " of the compressed demographic database is already stored: its values "
                    "cannot change]"
                 << std::endl;
  } else if (status == TCompressedRows::Status::ReadOnly) {
    context_.log << "ERROR{StateDB::generationRow}: [the demographic database was loaded from a "
                    "saved demography and cannot be written]"
                 << std::endl;
  }
  return row;
}

const void* StateDB::ownPackedRow(int t) const {
  if (const void* held = packed_->uncompressedRow(t)) return held;
  if (!ownCache_) ownCache_.reset(new (std::nothrow) TRowBlockCache(*packed_));
  const void* row = ownCache_ ? ownCache_->row(t) : nullptr;
  if (row != nullptr) return row;
  if (!decodeFailureLogged_) {
    decodeFailureLogged_ = true;
    context_.log << "ERROR{StateDB::get_N}: [generation " << t
                 << " of the compressed demographic database cannot be decoded (damaged saved "
                    "demography or memory refused): its values read as 0]"
                 << std::endl;
  }
  return packed_->zeroRow();
}

int StateDB::reportPackFailure(TCompressedRows::Status status, int t) {
  // Refused writes were logged when they happened.
  if (status != TCompressedRows::Status::NoMemory) return 0;
  context_.log << "ERROR{StateDB::commitGeneration}: [unable to allocate memory to store "
                  "generation "
               << t << " of the compressed demographic database]" << std::endl;
  context_.window.messageBox(
      "Not enough memory for the compressed demographic database at "
      "generation " +
          std::to_string(t) + ". Please " + shrinkHint(layout_.shortInt) + ".",
      "ERROR: memory allocation");
  return 0;
}

bool StateDB::roomForPackedRows(int t) {
  const std::uint64_t held = heldBytes();
  std::uint64_t limit = ceiling_;
  if (held <= limit && held >= nextRoomCheck_) {
    const std::uint64_t available = availableMemoryBytes();
    if (available != kUnlimitedBytes) {
      // Room for what is held, what is still available, less a reserve for the rest of the run.
      const std::uint64_t room = available > kReserveBytes ? available - kReserveBytes : 0;
      limit = std::min(limit, held + room);
      nextRoomCheck_ = held + std::max(kMinRoomCheckStep, room / 8);
    } else {
      nextRoomCheck_ = UINT64_MAX;
    }
  }
  if (held <= limit) return true;
  const std::string hint = shrinkHint(layout_.shortInt);
  context_.log << "ERROR{StateDB::commitGeneration}: [the compressed demographic database holds "
               << held << " bytes at generation " << t << ", more than the " << limit
               << " bytes it may take: " << hint << "]" << std::endl;
  context_.window.messageBox(
      "Not enough memory for the compressed demographic database: it holds " +
          std::to_string(held) + " bytes at generation " + std::to_string(t) + ", more than the " +
          std::to_string(limit) + " bytes it may take. Please " + hint + ".",
      "ERROR: memory allocation");
  return false;
}

int StateDB::commitGeneration(int t) {
  if (packed_ == nullptr) return 1;
  if (writeRefused_) return 0;
  const TCompressedRows::Status status = packed_->commitThrough(t);
  if (status != TCompressedRows::Status::Ok) return reportPackFailure(status, t);
  if (!ldd_.sealThrough(t)) {
    context_.log << "ERROR{StateDB::commitGeneration}: [unable to allocate memory for the "
                    "long-distance arrivals of generation "
                 << t << "]" << std::endl;
    return 0;
  }
  return roomForPackedRows(t) ? 1 : 0;
}

int StateDB::finishRun() {
  if (packed_ == nullptr || packed_->readOnly()) {
    runFinished_ = true;
    return 1;
  }
  if (writeRefused_) return 0;
  const TCompressedRows::Status status = packed_->finish();
  if (status != TCompressedRows::Status::Ok) return reportPackFailure(status, layout_.endTime);
  if (!ldd_.sealThrough(layout_.endTime)) {
    context_.log << "ERROR{StateDB::finishRun}: [unable to allocate memory for the "
                    "long-distance arrivals of generation "
                 << layout_.endTime << "]" << std::endl;
    return 0;
  }
  if (!roomForPackedRows(layout_.endTime)) return 0;
  std::uint64_t raw = 0;
  requiredBytes(layout_.numCells, layout_.endTime, layout_.numPopulations, layout_.shortInt, raw);
  const std::uint64_t packed = packed_->compressedBytes();
  context_.log << "\tDemographic database: " << packed << " bytes compressed from " << raw
               << " bytes (ratio "
               << (packed > 0 ? static_cast<double>(raw) / static_cast<double>(packed) : 0.0) << ")"
               << std::endl;
  runFinished_ = true;
  return 1;
}

int storedValue(const StateDB& db, int t, int cellIndex, int slot) {
  return db.valueAt(t, cellIndex, slot);
}

}  // namespace orvantis
