#include "world/database/generation_view.h"

#include <new>

#include "world/database/state_db.h"

namespace orvantis {

TDemographyReader::TDemographyReader(const StateDB& db) : db_(&db) {}

TDemographyReader::~TDemographyReader() = default;

TGenerationView TDemographyReader::packedRow(int t) {
  const TCompressedRows* rows = db_->compressedRows();
  if (!cache_ || cacheStamp_ != db_->allocationStamp()) {
    cache_.reset(new (std::nothrow) TRowBlockCache(*rows));
    cacheStamp_ = db_->allocationStamp();
  }
  const void* row = cache_ ? cache_->row(t) : nullptr;
  if (row == nullptr) {
    failed_ = true;
    return TGenerationView();
  }
  return TGenerationView(row, &db_->layout(), &db_->lddLists(), t);
}

std::uint64_t TDemographyReader::cacheBytes() const {
  const TCompressedRows* rows = db_->compressedRows();
  return rows == nullptr ? 0 : TRowBlockCache::bytesFor(rows->shape(), rows->rowsPerBlock());
}

}  // namespace orvantis
