#pragma once
// Read access to the stored demography for the backward simulation: one generation at a time.
//
// The backward walk asks, generation after generation from EndTime down, for the sizes, the
// arrivals by side, the flows between populations and the long-distance arrivals of the demes
// that hold lineages. A TGenerationView answers those questions for one generation; every query
// is one array index. Views come from a TDemographyReader, one per genetic run, so a reader that
// has to unpack rows (a compressed or file-backed database) keeps its buffers to itself and runs
// in parallel with other readers over the same database. Rows are cheapest asked for in
// descending order: a compressed database decodes each block of a few generations once.

#include <cstdint>
#include <memory>

#include "world/database/block_cache.h"
#include "world/database/layout.h"
#include "world/database/ldd_lists.h"

namespace orvantis {

class StateDB;

class TGenerationView {
 public:
  TGenerationView() = default;
  // `row` points at the first value of generation t: int32 values, or int16 when `shortInt`.
  TGenerationView(const void* row, const TDbLayout* layout, const TLDDStore* ldd, int t)
      : row_(row), layout_(layout), ldd_(ldd), t_(t) {}

  bool valid() const { return row_ != nullptr; }
  int generation() const { return t_; }

  int get_N(int cellIndex, int p) const {
    return load(cellIndex, TDbLayout::seriesSlot(p, kSizeSeries));
  }
  int get_migrFromNeighbour(int cellIndex, int p, FromSide side) const {
    return load(cellIndex, TDbLayout::seriesSlot(p, arrivalSeries(side)));
  }
  // Individuals of population i that became members of population j in the cell during this
  // generation; 0 when i = j or an index is not a population.
  int get_migrBetweenDemes(int cellIndex, int i, int j) const {
    const int flow = flowSlot(i, j, layout_->numPopulations);
    return flow < 0 ? 0 : load(cellIndex, layout_->flowRecordSlot(flow));
  }
  TLDDList get_LDDMigrants(int cellIndex, int p) const {
    return ldd_ != nullptr && ldd_->hasIndex() ? ldd_->list(t_, cellIndex, p) : TLDDList();
  }

 private:
  int load(int cellIndex, int slot) const {
    const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(cellIndex) * layout_->slots + slot;
    return layout_->shortInt ? static_cast<const std::int16_t*>(row_)[i]
                             : static_cast<const std::int32_t*>(row_)[i];
  }

  const void* row_ = nullptr;
  const TDbLayout* layout_ = nullptr;
  const TLDDStore* ldd_ = nullptr;
  int t_ = -1;
};

// Serves generation views of one database to one genetic run. The views of the two rows asked
// for last stay valid together (so a step may hold the rows of g and g - 1 together); a view
// never outlives the reader, the database's allocation or a new run's writes. Readers of one
// database share nothing they write, so each may serve a thread of its own once the forward run
// has finished.
class TDemographyReader {
 public:
  explicit TDemographyReader(const StateDB& db);
  ~TDemographyReader();
  TDemographyReader(const TDemographyReader&) = delete;
  TDemographyReader& operator=(const TDemographyReader&) = delete;

  // Generation t, 0 <= t <= EndTime. An invalid view (valid() false) when the row cannot be
  // decoded: a damaged saved demography, or memory refused for the reader's cache.
  TGenerationView row(int t);
  // One value anywhere in the history (reading the sample file, checks outside the walk); 0 for
  // a row that cannot be decoded.
  int get_N(int cellIndex, int p, int t) {
    const TGenerationView view = row(t);
    return view.valid() ? view.get_N(cellIndex, p) : 0;
  }
  // True once a row could not be decoded.
  bool failed() const { return failed_; }
  // Memory the reader may hold for decoded rows.
  std::uint64_t cacheBytes() const;

  const StateDB& database() const { return *db_; }

 private:
  TGenerationView packedRow(int t);

  const StateDB* db_;
  std::unique_ptr<TRowBlockCache> cache_;  // compressed databases only
  std::uint64_t cacheStamp_ = 0;           // the database's allocation the cache was made for
  bool failed_ = false;
};

}  // namespace orvantis
