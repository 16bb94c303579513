#pragma once
// A demography saved to a file, to run genetic simulations over it again and again without
// simulating it anew: the grid's geometry, the cells (position, environment, neighbours,
// sources placed there), the population sources, the compressed database with its
// long-distance lists, and the manifest of the settings and input files that built it
// (demography_digest.h).
//
// Layout (little-endian, every section 8-byte aligned): a fixed header naming the format
// version, the file's size, the digest of the manifest, a SHA-256 of the header and of every
// section but the packed rows, the shape of the world and the database and the place of each
// section; then the cell records, the source records, the manifest, the sealed long-distance
// lists, the packed row blocks (row_codec.h, each a checksummed zstd frame), their index, and
// the random generator's state at the end of the simulation.
//
// The file is read through a read-only memory mapping: opening it checks the magic, version,
// size, every section's bounds, the tables' checksum and the consistency of every record before
// anything is served, so a truncated, damaged or foreign file is refused and never read out of
// bounds; a damaged row block is found when it is decoded.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/run_context.h"
#include "settings/grid_header.h"
#include "world/database/compressed_rows.h"
#include "world/database/ldd_lists.h"
#include "world/database/sha256.h"

namespace orvantis {

class StateDB;

// Format 2 added the cells' overflow sources and the generator's state.
inline constexpr std::uint32_t kSavedDemographyFormat = 2;

// One land cell. Flags: bit 0 river, 1 coast, 2 emerged, 3 accessible.
struct TSavedCell {
  std::int32_t row;
  std::int32_t column;
  float altitude;
  float roughness;
  std::int32_t presentVegetation;
  std::int32_t lgmVegetation;
  std::int32_t migrationClass;
  std::int32_t admixtureClass;
  std::int32_t flags;
  std::int32_t sourceNumber[2];
  std::int32_t K[2];  // carrying capacity and friction of each population at the end of the run
  float F[2];
  std::int32_t neighbours[8];  // cell indexes in the cell's neighbour order, −1 for none
  // Source whose initial individuals overflowed into the cell, per population (0 for none): the
  // genealogies gather the lineages of these cells into the source's before the expansion.
  std::int32_t overflowSourceNumber[2];
  std::int32_t reserved;
};
static_assert(sizeof(TSavedCell) == 104);

struct TSavedSource {
  char name[100];  // NUL-terminated
  std::int32_t size;
  float latitude;
  float longitude;
  std::int32_t sizeBeforeExpansion;
  std::int32_t bottleneckDuration;
  std::int32_t sizeBeforeBottleneck;
  float migrationBeforeExpansion;
  std::int32_t layer;
  std::int32_t expansionTime;
  std::int32_t cellIndex;
  std::int32_t reserved;
};
static_assert(sizeof(TSavedSource) == 144);

// The random generator's state (TRandomState) after the demographic simulation.
struct TSavedRandomState {
  std::int32_t seed;
  std::int32_t table[56];
  std::int32_t next;
  std::int32_t nextp;
  std::int32_t wichmannHill[3];
  std::int32_t reserved[2];
};
static_assert(sizeof(TSavedRandomState) == 256);

// What a saved demography holds besides the database.
struct TSavedWorld {
  TGridHeader grid;
  int realBPTime = 0;
  int numberOfSources = 0;
  std::vector<TSavedCell> cells;
  std::vector<TSavedSource> sources;
  std::string manifest;
  std::optional<TRandomState> random;  // the generator after the simulation, if known
};

// Writes the world and a database whose run is complete; the file is written under a temporary
// name and renamed, so a failure leaves no partial file. 1, or 0 after the log line and a box.
int writeSavedDemography(const std::string& path, const TSavedWorld& world, const StateDB& db,
                         TRunContext& context);

class TSavedDemography {
 public:
  // Opens and checks a saved demography; null after the log line and a box that say why it is
  // refused.
  static std::shared_ptr<const TSavedDemography> open(const std::string& path,
                                                      TRunContext& context);
  ~TSavedDemography();
  TSavedDemography(const TSavedDemography&) = delete;
  TSavedDemography& operator=(const TSavedDemography&) = delete;

  const std::string& path() const { return path_; }
  const TGridHeader& grid() const { return grid_; }
  int realBPTime() const { return realBPTime_; }
  int numberOfSources() const { return numberOfSources_; }
  int numCells() const { return numCells_; }
  const TSavedCell* cells() const { return cells_; }
  int sourceCount() const { return sourceCount_; }
  const TSavedSource* sources() const { return sources_; }
  std::string_view manifest() const { return manifest_; }
  const TSha256Digest& settingsDigest() const { return settingsDigest_; }
  // The generator's state at the end of the simulation, when the file holds one.
  const std::optional<TRandomState>& randomState() const { return random_; }

  int populations() const { return populations_; }
  int endTime() const { return endTime_; }
  bool shortInt() const { return shortInt_; }
  int rowsPerBlock() const { return rowsPerBlock_; }
  std::vector<TBlockRef> blocks() const;
  // The long-distance lists, or null when the run had none.
  const TLDDSealedLists* lddLists() const { return hasLdd_ ? &ldd_ : nullptr; }
  std::uint64_t fileBytes() const { return bytes_; }

 private:
  TSavedDemography() = default;
  // Checks the mapped bytes; "" when they are sound, else why not.
  std::string check();

  std::string path_;
  const std::uint8_t* map_ = nullptr;
  std::uint64_t bytes_ = 0;

  TGridHeader grid_;
  int realBPTime_ = 0;
  int numberOfSources_ = 0;
  int numCells_ = 0;
  const TSavedCell* cells_ = nullptr;
  int sourceCount_ = 0;
  const TSavedSource* sources_ = nullptr;
  std::string_view manifest_;
  TSha256Digest settingsDigest_{};
  std::optional<TRandomState> random_;
  int populations_ = 1;
  int endTime_ = 0;
  bool shortInt_ = false;
  int rowsPerBlock_ = 1;
  int blockCount_ = 0;
  const std::uint64_t* blockIndex_ = nullptr;  // offset and size of each block
  const std::uint8_t* blockData_ = nullptr;
  bool hasLdd_ = false;
  TLDDSealedLists ldd_;
};

}  // namespace orvantis
