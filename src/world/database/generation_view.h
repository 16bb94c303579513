#pragma once
// Read access to the stored demography for the backward simulation: one generation at a time.
//
// The backward walk asks, generation after generation from EndTime down, for the sizes, the
// arrivals by side, the flows between populations and the long-distance arrivals of the demes
// that hold lineages. A TGenerationView answers those questions for one generation; every query
// is one array index. Views come from a TDemographyReader, one per genetic run, so a reader that
// has to unpack rows (a compressed or file-backed database) keeps its buffers to itself and runs
// in parallel with other readers over the same database. Rows are cheapest asked for in
// descending order.

#include <cstdint>

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

// Serves generation views of one database to one genetic run. A view stays valid until the
// reader is asked for a row two generations away from it (so a step may hold the rows of g and
// g - 1 together), and never outlives the reader or the database's allocation.
class TDemographyReader {
 public:
  explicit TDemographyReader(const StateDB& db) : db_(&db) {}
  TDemographyReader(const TDemographyReader&) = delete;
  TDemographyReader& operator=(const TDemographyReader&) = delete;

  // Generation t, 0 <= t <= EndTime.
  TGenerationView row(int t);
  // One value anywhere in the history (reading the sample file, checks outside the walk).
  int get_N(int cellIndex, int p, int t) { return row(t).get_N(cellIndex, p); }

  const StateDB& database() const { return *db_; }

 private:
  const StateDB* db_;
};

}  // namespace orvantis
