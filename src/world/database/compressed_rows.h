#pragma once
// The generation rows of a compressed demographic database.
//
// The forward loop writes one generation at a time, in ascending order, into a row held
// uncompressed; rows are grouped in blocks of a few generations, and a full block is packed
// (row_codec.h) on a thread of its own while the loop goes on with the next block. Packed blocks
// are kept in large chunks of memory, or served from a mapped file. Reading a row of a packed
// block means decoding the block: readers keep decoded blocks in their own cache
// (block_cache.h), so this store is never written to by a reader and several readers may work
// side by side once the rows are written.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "world/database/background_task.h"
#include "world/database/row_codec.h"
#include "world/database/zeroed_block.h"

namespace orvantis {

struct TBlockRef {
  const std::uint8_t* data = nullptr;
  std::uint64_t bytes = 0;
};

class TCompressedRows {
 public:
  enum class Status { Ok, OutOfOrder, NoMemory, ReadOnly };

  // Rows per block for rows of that size: blocks of about 4 MiB, of 2 to 16 rows.
  static int rowsPerBlockFor(std::size_t rowBytes);
  // Memory of the buffers that writing needs for that shape.
  static std::uint64_t writingBytes(const TRowShape& shape, int rowsPerBlock);

  TCompressedRows() = default;
  ~TCompressedRows();
  TCompressedRows(const TCompressedRows&) = delete;
  TCompressedRows& operator=(const TCompressedRows&) = delete;

  // Rows 0..generations − 1 of that shape, all zero, to be written in ascending order; the
  // blocks are packed in the background unless `background` is false. False when memory is
  // refused.
  bool allocate(const TRowShape& shape, int generations, bool background = true);
  // Serves packed blocks held elsewhere (which must outlive the store), read-only: block b
  // holds rows b·rowsPerBlock onwards.
  void adopt(const TRowShape& shape, int generations, int rowsPerBlock,
             std::vector<TBlockRef> blocks);

  const TRowShape& shape() const { return shape_; }
  int generations() const { return generations_; }
  int rowsPerBlock() const { return rowsPerBlock_; }
  int blockCount() const { return (generations_ + rowsPerBlock_ - 1) / rowsPerBlock_; }
  int rowsInBlock(int b) const;
  bool readOnly() const { return readOnly_; }

  // --- Writing ---

  // A new run: every row zero again, the packed blocks dropped.
  void clear();
  // Row t for writing. A generation later than the one being written first stores the rows
  // before it (rows never written as zeros). On a row already stored, a read-only store or after
  // a failure, `status` says why and the row returned is a scratch row whose content is lost.
  void* rowForWriting(int t, Status& status);
  // Stores every row up to t (rows never written as zeros). The first failure is kept and
  // returned again by every later call.
  Status commitThrough(int t);
  // Stores every row and waits for the block being packed.
  Status finish();
  Status failure() const { return failure_; }
  // Every row packed (after finish, or for a store served from elsewhere).
  bool complete() const { return readOnly_ || packedBlocks() == blockCount(); }

  // --- Reading ---

  // Row t when it is held uncompressed: the row being written, a row of the block being filled
  // or packed, or a row not yet written (zeros). Null when it lies in a packed block.
  const void* uncompressedRow(int t) const;
  const void* zeroRow() const { return zero_.data(); }
  int packedBlocks() const { return static_cast<int>(blocks_.size()); }
  TBlockRef block(int b) const { return blocks_[static_cast<std::size_t>(b)]; }
  // Bytes of the packed blocks, and those plus the writing buffers.
  std::uint64_t compressedBytes() const { return compressedBytes_; }
  std::uint64_t heldBytes() const;
  // Changes whenever packed rows may change, so that readers drop what they decoded.
  std::uint64_t version() const { return version_; }

 private:
  std::uint8_t* fillRow(int t) const {
    return fillData_ + static_cast<std::size_t>(t % rowsPerBlock_) * shape_.rowBytes();
  }
  void openRow(int t);
  Status packFillBlock();
  Status collectPackedBlock();
  bool keep(const std::uint8_t* frame, std::size_t bytes);
  Status fail(Status status);
  void dropBlocks();

  TRowShape shape_;
  int generations_ = 0;
  int rowsPerBlock_ = 1;
  bool readOnly_ = false;

  // Packed blocks, in order, in chunks of memory (or elsewhere when read-only).
  std::vector<TBlockRef> blocks_;
  std::vector<std::unique_ptr<std::uint8_t[]>> chunks_;
  std::size_t chunkUsed_ = 0;
  std::size_t chunkSize_ = 0;
  std::uint64_t compressedBytes_ = 0;

  // Rows held uncompressed: the block being filled and the block being packed swap buffers.
  TZeroedBlock buffers_[2];
  std::uint8_t* fillData_ = nullptr;
  std::uint8_t* packData_ = nullptr;
  int fillBlock_ = -1;  // block held by fillData_, −1 for none
  int packBlock_ = -1;  // block being packed from packData_, −1 for none
  TZeroedBlock zero_;
  TZeroedBlock scratch_;
  int open_ = -1;      // row being written, −1 for none
  int committed_ = 0;  // rows 0..committed_ − 1 are stored
  Status failure_ = Status::Ok;
  std::uint64_t version_ = 0;
  std::uint64_t bufferBytes_ = 0;

  TRowBlockEncoder encoder_;
  std::unique_ptr<TBackgroundTask> packer_;
};

}  // namespace orvantis
