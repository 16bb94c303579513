#include "world/database/saved_demography.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "world/database/row_codec.h"
#include "world/database/state_db.h"

namespace orvantis {

namespace {

constexpr char kMagic[8] = {'O', 'R', 'V', 'D', 'E', 'M', 'O', '\x1a'};
constexpr std::uint32_t kByteOrderMark = 0x01020304;
constexpr std::int32_t kCodecZstdDeltaPlanes = 1;
constexpr char kProgram[16] = "ORVANTIS 3.0";
constexpr int kMaxRowsPerBlock = 64;

// The sections in file order.
enum Section : int {
  kCells = 0,
  kSources,
  kManifest,
  kLddGenerationStart,
  kLddKeys,
  kLddListStart,
  kLddMigrants,
  kBlocks,
  kBlockIndex,
  kRandomState,
  kSectionCount
};

struct TSavedRange {
  std::uint64_t offset;
  std::uint64_t bytes;
};

struct TSavedHeader {
  char magic[8];
  std::uint32_t formatVersion;
  std::uint32_t byteOrder;
  std::uint64_t fileBytes;
  std::uint8_t settingsDigest[32];
  // SHA-256 of this header (with this field zeroed) and of the SHA-256 of every section but the
  // packed rows, in file order.
  std::uint8_t tablesDigest[32];
  char program[16];
  double cellsize;
  double xllcorner;
  double yllcorner;
  std::int32_t nrows;
  std::int32_t ncols;
  std::int32_t numCells;
  std::int32_t populations;
  std::int32_t endTime;
  std::int32_t shortInt;
  std::int32_t rowsPerBlock;
  std::int32_t blockCount;
  std::int32_t realBPTime;
  std::int32_t numberOfSources;
  std::int32_t sourceCount;
  std::int32_t hasLdd;
  std::int32_t codec;
  std::int32_t reserved;
  TSavedRange sections[kSectionCount];
};
static_assert(sizeof(TSavedHeader) == 344);

TSha256Digest headerDigest(TSavedHeader header, const TSha256Digest& sections) {
  std::memset(header.tablesDigest, 0, sizeof header.tablesDigest);
  TSha256 hash;
  hash.update(&header, sizeof header);
  hash.update(sections.data(), sections.size());
  return hash.finish();
}

// Writes the sections one after the other, 8-byte aligned, hashing all but the packed rows.
class TSectionWriter {
 public:
  explicit TSectionWriter(const std::string& path)
      : out_(path, std::ios::binary | std::ios::trunc) {}
  bool good() const { return static_cast<bool>(out_); }

  void begin(int section) {
    static constexpr char kZeros[8] = {};
    if (position_ % 8 != 0) put(kZeros, 8 - position_ % 8, false);
    current_ = section;
    header.sections[section].offset = position_;
  }
  void write(const void* data, std::uint64_t bytes) { put(data, bytes, current_ != kBlocks); }
  // Room for the header, written by finish().
  void reserveHeader() { put(&header, sizeof header, false); }
  void end() { header.sections[current_].bytes = position_ - header.sections[current_].offset; }
  std::uint64_t position() const { return position_; }
  // Writes the header at the start and closes the file.
  bool finish() {
    header.fileBytes = position_;
    const TSha256Digest inner = tables_.finish();
    const TSha256Digest digest = headerDigest(header, inner);
    std::memcpy(header.tablesDigest, digest.data(), digest.size());
    out_.seekp(0);
    out_.write(reinterpret_cast<const char*>(&header), sizeof header);
    out_.close();
    return !out_.fail();
  }

  TSavedHeader header{};

 private:
  void put(const void* data, std::uint64_t bytes, bool hashed) {
    if (bytes == 0) return;
    out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
    if (hashed) tables_.update(data, static_cast<std::size_t>(bytes));
    position_ += bytes;
  }

  std::ofstream out_;
  std::uint64_t position_ = 0;
  int current_ = 0;
  TSha256 tables_;
};

template <class T>
void writeAll(TSectionWriter& w, int section, const T* data, std::uint64_t count) {
  w.begin(section);
  w.write(data, count * sizeof(T));
  w.end();
}

// The sealed lists of a database whose lists are indexed (plain rows).
struct TSealedCopy {
  std::vector<std::uint64_t> generationStart{0};
  std::vector<std::int32_t> keys;
  std::vector<std::uint64_t> listStart{0};
  std::vector<TLDDMigrant> migrants;
};

TSealedCopy sealedCopy(const StateDB& db) {
  TSealedCopy copy;
  const int populations = db.numberOfPopulations();
  for (int t = 0; t <= db.endTime(); ++t) {
    for (int c = 0; c < db.numEntries(); ++c) {
      for (int p = 0; p < populations; ++p) {
        const TLDDList list = db.get_LDDMigrants(c, p, t);
        if (list.empty()) continue;
        for (const TLDDMigrant& m : list) copy.migrants.push_back(m);
        copy.keys.push_back(c * populations + p);
        copy.listStart.push_back(copy.migrants.size());
      }
    }
    copy.generationStart.push_back(copy.keys.size());
  }
  return copy;
}

TSavedRandomState savedRandomState(const TRandomState& state) {
  TSavedRandomState record{};
  record.seed = state.seed;
  std::copy(std::begin(state.table), std::end(state.table), record.table);
  record.next = state.next;
  record.nextp = state.nextp;
  std::copy(std::begin(state.wichmannHill), std::end(state.wichmannHill), record.wichmannHill);
  return record;
}

TRandomState loadedRandomState(const TSavedRandomState& record) {
  TRandomState state;
  state.seed = record.seed;
  std::copy(std::begin(record.table), std::end(record.table), state.table);
  state.next = record.next;
  state.nextp = record.nextp;
  std::copy(std::begin(record.wichmannHill), std::end(record.wichmannHill), state.wichmannHill);
  return state;
}

void refuseSave(TRunContext& context, const std::string& path, const std::string& why) {
  context.log << "ERROR: {World::saveDemography()} [cannot save the demography to '" << path
              << "': " << why << "]" << std::endl;
  context.window.messageBox("The demography cannot be saved to " + path + ": " + why + ".",
                            "ERROR: saved demography");
}

bool writeBlocks(TSectionWriter& w, const StateDB& db, std::vector<std::uint64_t>& index,
                 int& rowsPerBlock) {
  const TCompressedRows* packed = db.compressedRows();
  w.begin(kBlocks);
  const std::uint64_t start = w.position();
  if (packed != nullptr) {
    rowsPerBlock = packed->rowsPerBlock();
    for (int b = 0; b < packed->blockCount(); ++b) {
      const TBlockRef block = packed->block(b);
      index.push_back(w.position() - start);
      index.push_back(block.bytes);
      w.write(block.data, block.bytes);
    }
  } else {
    // Plain rows are packed here, block after block, as the compressed database would.
    const TRowShape shape{static_cast<std::size_t>(db.layout().stride), db.layout().valueBytes()};
    rowsPerBlock = TCompressedRows::rowsPerBlockFor(shape.rowBytes());
    TRowBlockEncoder encoder;
    const int generations = db.layout().generations();
    for (int first = 0; first < generations; first += rowsPerBlock) {
      const int rows = std::min(rowsPerBlock, generations - first);
      if (!encoder.encode(db.plainRows(first), rows, shape)) return false;
      index.push_back(w.position() - start);
      index.push_back(encoder.frameBytes());
      w.write(encoder.frame(), encoder.frameBytes());
    }
  }
  w.end();
  return true;
}

}  // namespace

int writeSavedDemography(const std::string& path, const TSavedWorld& world, const StateDB& db,
                         TRunContext& context) {
  if (!db.isAllocated() || !db.runFinished()) {
    refuseSave(context, path, "no demographic simulation has finished");
    return 0;
  }
  if (static_cast<int>(world.cells.size()) != db.numEntries()) {
    refuseSave(context, path, "the cells do not match the demographic database");
    return 0;
  }
  const std::string partial = path + ".part";
  bool written = false;
  try {
    TSectionWriter w(partial);
    if (!w.good()) {
      refuseSave(context, path,
                 std::string("the file cannot be created (") + std::strerror(errno) + ")");
      return 0;
    }
    TSavedHeader& h = w.header;
    std::memcpy(h.magic, kMagic, sizeof kMagic);
    h.formatVersion = kSavedDemographyFormat;
    h.byteOrder = kByteOrderMark;
    const TSha256Digest settings = TSha256::of(world.manifest);
    std::memcpy(h.settingsDigest, settings.data(), settings.size());
    std::memcpy(h.program, kProgram, sizeof kProgram);
    h.cellsize = world.grid.cellsize;
    h.xllcorner = world.grid.xllcorner;
    h.yllcorner = world.grid.yllcorner;
    h.nrows = world.grid.nrows;
    h.ncols = world.grid.ncols;
    h.numCells = db.numEntries();
    h.populations = db.numberOfPopulations();
    h.endTime = db.endTime();
    h.shortInt = db.isShortInt() ? 1 : 0;
    h.realBPTime = world.realBPTime;
    h.numberOfSources = world.numberOfSources;
    h.sourceCount = static_cast<std::int32_t>(world.sources.size());
    h.codec = kCodecZstdDeltaPlanes;
    w.reserveHeader();

    writeAll(w, kCells, world.cells.data(), world.cells.size());
    writeAll(w, kSources, world.sources.data(), world.sources.size());
    writeAll(w, kManifest, world.manifest.data(), world.manifest.size());

    const TLDDStore& ldd = db.lddLists();
    h.hasLdd = ldd.hasIndex() ? 1 : 0;
    if (ldd.form() == TLDDStore::Form::Sealed) {
      const TLDDSealedLists& s = ldd.sealed();
      const bool any = h.hasLdd != 0 && s.generations == db.layout().generations();
      h.hasLdd = any ? 1 : 0;
      writeAll(w, kLddGenerationStart, s.generationStart,
               any ? static_cast<std::uint64_t>(s.generations) + 1 : 0);
      writeAll(w, kLddKeys, s.keys, any ? s.lists : 0);
      writeAll(w, kLddListStart, s.listStart, any ? s.lists + 1 : 0);
      writeAll(w, kLddMigrants, s.migrants, any ? s.migrantCount : 0);
    } else {
      TSealedCopy copy;
      if (h.hasLdd) copy = sealedCopy(db);
      const bool any = h.hasLdd != 0;
      writeAll(w, kLddGenerationStart, copy.generationStart.data(),
               any ? copy.generationStart.size() : 0);
      writeAll(w, kLddKeys, copy.keys.data(), copy.keys.size());
      writeAll(w, kLddListStart, copy.listStart.data(), any ? copy.listStart.size() : 0);
      writeAll(w, kLddMigrants, copy.migrants.data(), copy.migrants.size());
    }

    std::vector<std::uint64_t> index;
    int rowsPerBlock = 1;
    if (!writeBlocks(w, db, index, rowsPerBlock)) {
      refuseSave(context, path, "memory is lacking to pack the rows");
      std::filesystem::remove(partial);
      return 0;
    }
    h.rowsPerBlock = rowsPerBlock;
    h.blockCount = static_cast<std::int32_t>(index.size() / 2);
    writeAll(w, kBlockIndex, index.data(), index.size());
    const TSavedRandomState random =
        world.random ? savedRandomState(*world.random) : TSavedRandomState{};
    writeAll(w, kRandomState, &random, world.random ? 1 : 0);
    written = w.good() && w.finish();
  } catch (const std::bad_alloc&) {
    written = false;
  }
  std::error_code error;
  if (written) std::filesystem::rename(partial, path, error);
  if (!written || error) {
    std::filesystem::remove(partial, error);
    refuseSave(context, path, "writing the file failed (disk full or not writable?)");
    return 0;
  }
  return 1;
}

// ---- Reading ----

std::shared_ptr<const TSavedDemography> TSavedDemography::open(const std::string& path,
                                                               TRunContext& context) {
  const auto refuse = [&](const std::string& why) -> std::shared_ptr<const TSavedDemography> {
    context.log << "ERROR: {World::loadSavedDemography()} [the saved demography '" << path << "' "
                << why << "]" << std::endl;
    context.window.messageBox("The saved demography " + path + " cannot be used: it " + why + ".",
                              "ERROR: saved demography");
    return nullptr;
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return refuse(std::string("cannot be opened (") + std::strerror(errno) + ")");
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return refuse("is not a regular file");
  }
  std::shared_ptr<TSavedDemography> saved(new TSavedDemography());
  saved->path_ = path;
  saved->bytes_ = static_cast<std::uint64_t>(info.st_size);
  if (saved->bytes_ > 0) {
    void* map =
        mmap(nullptr, static_cast<std::size_t>(saved->bytes_), PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
      ::close(fd);
      return refuse(std::string("cannot be mapped into memory (") + std::strerror(errno) + ")");
    }
    saved->map_ = static_cast<const std::uint8_t*>(map);
  }
  ::close(fd);
  const std::string problem = saved->check();
  if (!problem.empty()) return refuse(problem);
  return saved;
}

TSavedDemography::~TSavedDemography() {
  if (map_ != nullptr) munmap(const_cast<std::uint8_t*>(map_), static_cast<std::size_t>(bytes_));
}

std::vector<TBlockRef> TSavedDemography::blocks() const {
  std::vector<TBlockRef> refs(static_cast<std::size_t>(blockCount_));
  for (int b = 0; b < blockCount_; ++b) {
    refs[static_cast<std::size_t>(b)] =
        TBlockRef{blockData_ + blockIndex_[2 * b], blockIndex_[2 * b + 1]};
  }
  return refs;
}

std::string TSavedDemography::check() {
  if (bytes_ < sizeof kMagic + 8 || std::memcmp(map_, kMagic, sizeof kMagic) != 0) {
    return "is not a saved demography of ORVANTIS";
  }
  std::uint32_t version = 0;
  std::uint32_t order = 0;
  std::memcpy(&version, map_ + 8, sizeof version);
  std::memcpy(&order, map_ + 12, sizeof order);
  if (order != kByteOrderMark) return "was written on a computer of another byte order";
  if (version != kSavedDemographyFormat) {
    return "was written by another version of ORVANTIS (file format " + std::to_string(version) +
           "; this version reads format " + std::to_string(kSavedDemographyFormat) + ")";
  }
  if (bytes_ < sizeof(TSavedHeader)) {
    return "is truncated: it holds " + std::to_string(bytes_) + " bytes";
  }
  TSavedHeader h;
  std::memcpy(&h, map_, sizeof h);
  if (h.fileBytes != bytes_) {
    return (bytes_ < h.fileBytes ? "is truncated: it holds " : "is damaged: it holds ") +
           std::to_string(bytes_) + " bytes instead of " + std::to_string(h.fileBytes);
  }
  for (int s = 0; s < kSectionCount; ++s) {
    const TSavedRange r = h.sections[s];
    if (r.offset % 8 != 0 || r.offset < sizeof h || r.offset > bytes_ ||
        r.bytes > bytes_ - r.offset) {
      return "is damaged: section " + std::to_string(s) + " lies outside the file";
    }
  }
  {
    TSha256 inner;
    for (int s = 0; s < kSectionCount; ++s) {
      if (s != kBlocks) inner.update(map_ + h.sections[s].offset, h.sections[s].bytes);
    }
    const TSha256Digest expected = headerDigest(h, inner.finish());
    if (std::memcmp(expected.data(), h.tablesDigest, expected.size()) != 0) {
      return "is damaged: its tables do not match their checksum";
    }
  }

  // The shape.
  const long long gridCells = static_cast<long long>(h.nrows) * h.ncols;
  const long long generations = static_cast<long long>(h.endTime) + 1;
  if (h.nrows < 1 || h.ncols < 1 || gridCells > TGridHeader::kMaxCells || h.numCells < 0 ||
      h.numCells > gridCells || !(h.cellsize > 0.0) || !std::isfinite(h.cellsize) ||
      !std::isfinite(h.xllcorner) || !std::isfinite(h.yllcorner) || h.populations < 1 ||
      h.populations > 2 || h.endTime < 0 || generations > INT32_MAX || (h.shortInt & ~1) != 0 ||
      h.rowsPerBlock < 1 || h.rowsPerBlock > kMaxRowsPerBlock ||
      h.blockCount != (generations + h.rowsPerBlock - 1) / h.rowsPerBlock ||
      h.codec != kCodecZstdDeltaPlanes || h.sourceCount < 0 || h.numberOfSources < 0 ||
      h.numberOfSources > h.sourceCount || (h.hasLdd & ~1) != 0) {
    return "is damaged: it describes an impossible world or database";
  }
  const auto sized = [&](int section, std::uint64_t count, std::uint64_t each) {
    return h.sections[section].bytes / each == count && h.sections[section].bytes % each == 0;
  };
  const std::uint64_t randomStates = h.sections[kRandomState].bytes / sizeof(TSavedRandomState);
  if (!sized(kCells, static_cast<std::uint64_t>(h.numCells), sizeof(TSavedCell)) ||
      randomStates > 1 || !sized(kRandomState, randomStates, sizeof(TSavedRandomState)) ||
      !sized(kSources, static_cast<std::uint64_t>(h.sourceCount), sizeof(TSavedSource)) ||
      !sized(kBlockIndex, 2 * static_cast<std::uint64_t>(h.blockCount), sizeof(std::uint64_t))) {
    return "is damaged: a table does not have the size its header gives";
  }
  grid_.nrows = h.nrows;
  grid_.ncols = h.ncols;
  grid_.cellsize = h.cellsize;
  grid_.xllcorner = h.xllcorner;
  grid_.yllcorner = h.yllcorner;
  grid_.updateUpperCorner();
  realBPTime_ = h.realBPTime;
  numberOfSources_ = h.numberOfSources;
  numCells_ = h.numCells;
  populations_ = h.populations;
  endTime_ = h.endTime;
  shortInt_ = h.shortInt != 0;
  rowsPerBlock_ = h.rowsPerBlock;
  blockCount_ = h.blockCount;
  sourceCount_ = h.sourceCount;
  std::memcpy(settingsDigest_.data(), h.settingsDigest, settingsDigest_.size());
  cells_ = reinterpret_cast<const TSavedCell*>(map_ + h.sections[kCells].offset);
  sources_ = reinterpret_cast<const TSavedSource*>(map_ + h.sections[kSources].offset);
  manifest_ = std::string_view(reinterpret_cast<const char*>(map_ + h.sections[kManifest].offset),
                               static_cast<std::size_t>(h.sections[kManifest].bytes));
  blockIndex_ = reinterpret_cast<const std::uint64_t*>(map_ + h.sections[kBlockIndex].offset);
  blockData_ = map_ + h.sections[kBlocks].offset;

  // The cells: row-major order, on the grid, neighbours where the grid puts them.
  for (int i = 0; i < numCells_; ++i) {
    const TSavedCell& c = cells_[i];
    if (c.row < 0 || c.row >= h.nrows || c.column < 0 || c.column >= h.ncols ||
        (i > 0 && (c.row < cells_[i - 1].row ||
                   (c.row == cells_[i - 1].row && c.column <= cells_[i - 1].column)))) {
      return "is damaged: cell " + std::to_string(i) + " is misplaced";
    }
  }
  static constexpr int kRowStep[8] = {-1, 0, 1, 0, -1, -1, 1, 1};
  static constexpr int kColumnStep[8] = {0, -1, 0, 1, -1, 1, -1, 1};
  for (int i = 0; i < numCells_; ++i) {
    const TSavedCell& c = cells_[i];
    for (int k = 0; k < 8; ++k) {
      const std::int32_t n = c.neighbours[k];
      if (n == -1) continue;
      if (n < 0 || n >= numCells_ || cells_[n].row != c.row + kRowStep[k] ||
          cells_[n].column != c.column + kColumnStep[k]) {
        return "is damaged: the neighbours of cell " + std::to_string(i) + " are wrong";
      }
    }
    for (int p = 0; p < 2; ++p) {
      const std::int32_t s = c.sourceNumber[p];
      const std::int32_t o = c.overflowSourceNumber[p];
      if (s < 0 || s > h.sourceCount || o < 0 || o > h.sourceCount) {
        return "is damaged: cell " + std::to_string(i) + " names a source that does not exist";
      }
    }
  }
  for (int i = 0; i < sourceCount_; ++i) {
    const TSavedSource& s = sources_[i];
    // The sources file's own rules, and a cell of this world.
    if (std::memchr(s.name, 0, sizeof s.name) == nullptr || s.layer < 0 ||
        s.layer >= populations_ || s.cellIndex < -1 || s.cellIndex >= numCells_ || s.size <= 0 ||
        s.sizeBeforeExpansion < 0 || s.sizeBeforeBottleneck < 0 || s.expansionTime < 0 ||
        s.expansionTime > endTime_) {
      return "is damaged: source " + std::to_string(i + 1) + " is not valid";
    }
  }

  if (randomStates == 1) {
    TSavedRandomState record;
    std::memcpy(&record, map_ + h.sections[kRandomState].offset, sizeof record);
    random_ = loadedRandomState(record);
    if (!random_->isValid()) return "is damaged: its random generator state is impossible";
  }

  // The row blocks lie inside their section.
  const std::uint64_t blockBytes = h.sections[kBlocks].bytes;
  for (int b = 0; b < blockCount_; ++b) {
    const std::uint64_t offset = blockIndex_[2 * b];
    const std::uint64_t size = blockIndex_[2 * b + 1];
    if (size == 0 || offset > blockBytes || size > blockBytes - offset) {
      return "is damaged: row block " + std::to_string(b) + " lies outside the file";
    }
  }

  // The long-distance lists.
  hasLdd_ = h.hasLdd != 0;
  if (hasLdd_) {
    const std::uint64_t keys = h.sections[kLddKeys].bytes / sizeof(std::int32_t);
    const std::uint64_t migrants = h.sections[kLddMigrants].bytes / sizeof(TLDDMigrant);
    if (!sized(kLddGenerationStart, static_cast<std::uint64_t>(generations) + 1,
               sizeof(std::uint64_t)) ||
        !sized(kLddKeys, keys, sizeof(std::int32_t)) ||
        !sized(kLddListStart, keys + 1, sizeof(std::uint64_t)) ||
        !sized(kLddMigrants, migrants, sizeof(TLDDMigrant))) {
      return "is damaged: the long-distance lists do not have the sizes of their tables";
    }
    ldd_.generations = static_cast<int>(generations);
    ldd_.generationStart =
        reinterpret_cast<const std::uint64_t*>(map_ + h.sections[kLddGenerationStart].offset);
    ldd_.keys = reinterpret_cast<const std::int32_t*>(map_ + h.sections[kLddKeys].offset);
    ldd_.listStart =
        reinterpret_cast<const std::uint64_t*>(map_ + h.sections[kLddListStart].offset);
    ldd_.migrants = reinterpret_cast<const TLDDMigrant*>(map_ + h.sections[kLddMigrants].offset);
    ldd_.lists = keys;
    ldd_.migrantCount = migrants;
    std::size_t where = 0;
    if (!TLDDStore::verifySealed(ldd_, numCells_, populations_, where)) {
      return "is damaged: its long-distance lists are malformed";
    }
  } else if (h.sections[kLddGenerationStart].bytes != 0 || h.sections[kLddKeys].bytes != 0 ||
             h.sections[kLddListStart].bytes != 0 || h.sections[kLddMigrants].bytes != 0) {
    return "is damaged: it holds long-distance lists it does not announce";
  }
  return "";
}

}  // namespace orvantis
