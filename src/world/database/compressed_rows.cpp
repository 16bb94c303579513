#include "world/database/compressed_rows.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orvantis {

namespace {

constexpr std::size_t kTargetBlockBytes = std::size_t{4} << 20;
constexpr int kMinRowsPerBlock = 2;
constexpr int kMaxRowsPerBlock = 16;
constexpr std::size_t kChunkBytes = std::size_t{16} << 20;

}  // namespace

int TCompressedRows::rowsPerBlockFor(std::size_t rowBytes) {
  const std::size_t rows = kTargetBlockBytes / std::max<std::size_t>(rowBytes, 1);
  return static_cast<int>(std::clamp<std::size_t>(rows, kMinRowsPerBlock, kMaxRowsPerBlock));
}

std::uint64_t TCompressedRows::writingBytes(const TRowShape& shape, int rowsPerBlock) {
  const std::uint64_t row = shape.rowBytes();
  return 2 * row * static_cast<std::uint64_t>(rowsPerBlock) + 2 * row +
         TRowBlockEncoder::workingBytes(shape, rowsPerBlock);
}

TCompressedRows::~TCompressedRows() {
  if (packer_) packer_->wait();
}

int TCompressedRows::rowsInBlock(int b) const {
  return std::min(rowsPerBlock_, generations_ - b * rowsPerBlock_);
}

bool TCompressedRows::allocate(const TRowShape& shape, int generations, bool background) {
  if (packer_) packer_->wait();
  dropBlocks();
  readOnly_ = false;
  shape_ = shape;
  generations_ = generations;
  rowsPerBlock_ = rowsPerBlockFor(shape.rowBytes());
  const std::size_t blockBytes = shape.rowBytes() * static_cast<std::size_t>(rowsPerBlock_);
  if (!buffers_[0].allocate(blockBytes) || !buffers_[1].allocate(blockBytes) ||
      !zero_.allocate(shape.rowBytes()) || !scratch_.allocate(shape.rowBytes()) ||
      !encoder_.reserve(shape, rowsPerBlock_)) {
    return false;
  }
  fillData_ = static_cast<std::uint8_t*>(buffers_[0].data());
  packData_ = static_cast<std::uint8_t*>(buffers_[1].data());
  bufferBytes_ = writingBytes(shape, rowsPerBlock_);
  try {
    packer_ = std::make_unique<TBackgroundTask>(background);
  } catch (const std::bad_alloc&) {
    return false;
  }
  clear();
  return true;
}

void TCompressedRows::adopt(const TRowShape& shape, int generations, int rowsPerBlock,
                            std::vector<TBlockRef> blocks) {
  if (packer_) packer_->wait();
  dropBlocks();
  packer_.reset();
  buffers_[0].release();
  buffers_[1].release();
  scratch_.release();
  fillData_ = packData_ = nullptr;
  shape_ = shape;
  generations_ = generations;
  rowsPerBlock_ = rowsPerBlock;
  readOnly_ = true;
  blocks_ = std::move(blocks);
  for (const TBlockRef& b : blocks_) compressedBytes_ += b.bytes;
  // Readers of a damaged block fall back on zeros.
  bufferBytes_ = zero_.allocate(shape.rowBytes()) ? shape.rowBytes() : 0;
  open_ = -1;
  committed_ = generations;
  fillBlock_ = packBlock_ = -1;
  failure_ = Status::Ok;
  ++version_;
}

void TCompressedRows::dropBlocks() {
  blocks_.clear();
  chunks_.clear();
  chunkUsed_ = chunkSize_ = 0;
  compressedBytes_ = 0;
}

void TCompressedRows::clear() {
  if (readOnly_) return;
  if (packer_) packer_->wait();
  dropBlocks();
  open_ = -1;
  committed_ = 0;
  fillBlock_ = packBlock_ = -1;
  failure_ = Status::Ok;
  ++version_;
}

std::uint64_t TCompressedRows::heldBytes() const {
  return compressedBytes_ + bufferBytes_;
}

TCompressedRows::Status TCompressedRows::fail(Status status) {
  if (failure_ == Status::Ok) failure_ = status;
  return failure_;
}

void TCompressedRows::openRow(int t) {
  if (fillBlock_ < 0) fillBlock_ = t / rowsPerBlock_;
  std::memset(fillRow(t), 0, shape_.rowBytes());
  open_ = t;
}

void* TCompressedRows::rowForWriting(int t, Status& status) {
  status = Status::Ok;
  if (readOnly_) {
    status = Status::ReadOnly;
  } else if (failure_ != Status::Ok) {
    status = failure_;
  } else if (t == open_) {
    return fillRow(t);
  } else if (t < committed_ || t >= generations_) {
    status = Status::OutOfOrder;
  } else {
    status = commitThrough(t - 1);
    if (status == Status::Ok) {
      openRow(t);
      return fillRow(t);
    }
  }
  return scratch_.data();
}

TCompressedRows::Status TCompressedRows::commitThrough(int t) {
  if (readOnly_) return Status::ReadOnly;
  if (failure_ != Status::Ok) return failure_;
  t = std::min(t, generations_ - 1);
  while (committed_ <= t) {
    if (open_ != committed_) openRow(committed_);  // never written: zeros
    open_ = -1;
    ++committed_;
    if (committed_ % rowsPerBlock_ == 0 || committed_ == generations_) {
      const Status status = packFillBlock();
      if (status != Status::Ok) return status;
    }
  }
  return Status::Ok;
}

TCompressedRows::Status TCompressedRows::finish() {
  if (readOnly_) return Status::Ok;
  const Status status = commitThrough(generations_ - 1);
  if (status != Status::Ok) return status;
  return collectPackedBlock();
}

TCompressedRows::Status TCompressedRows::packFillBlock() {
  const Status status = collectPackedBlock();
  if (status != Status::Ok) return status;
  std::swap(fillData_, packData_);
  packBlock_ = fillBlock_;
  fillBlock_ = -1;
  const int rows = rowsInBlock(packBlock_);
  const std::uint8_t* data = packData_;
  packer_->start([this, data, rows] { return encoder_.encode(data, rows, shape_); });
  return Status::Ok;
}

TCompressedRows::Status TCompressedRows::collectPackedBlock() {
  if (packBlock_ < 0) return failure_;
  const bool encoded = packer_->wait();
  if (!encoded || !keep(encoder_.frame(), encoder_.frameBytes())) return fail(Status::NoMemory);
  packBlock_ = -1;
  return Status::Ok;
}

bool TCompressedRows::keep(const std::uint8_t* frame, std::size_t bytes) {
  if (chunkUsed_ + bytes > chunkSize_ || chunks_.empty()) {
    const std::size_t size = std::max(kChunkBytes, bytes);
    std::unique_ptr<std::uint8_t[]> chunk(new (std::nothrow) std::uint8_t[size]);
    if (!chunk) return false;
    try {
      chunks_.push_back(std::move(chunk));
    } catch (const std::bad_alloc&) {
      return false;
    }
    chunkUsed_ = 0;
    chunkSize_ = size;
  }
  std::uint8_t* at = chunks_.back().get() + chunkUsed_;
  std::memcpy(at, frame, bytes);
  try {
    blocks_.push_back(TBlockRef{at, bytes});
  } catch (const std::bad_alloc&) {
    return false;
  }
  chunkUsed_ += bytes;
  compressedBytes_ += bytes;
  return true;
}

const void* TCompressedRows::uncompressedRow(int t) const {
  if (!readOnly_ && t >= committed_ && t != open_) return zero_.data();
  const int b = t / rowsPerBlock_;
  if (b == fillBlock_) return fillRow(t);
  if (b == packBlock_) {
    return packData_ + static_cast<std::size_t>(t % rowsPerBlock_) * shape_.rowBytes();
  }
  return nullptr;
}

}  // namespace orvantis
