#pragma once
// Compression of blocks of consecutive generation rows of the demographic database.
//
// A block holds a few rows of 16- or 32-bit values. Each row is coded as its difference from
// the row before (the first row of a block from zero, so that every block decodes on its own);
// the differences are mapped to unsigned numbers that stay small when the difference is small
// in either direction (zigzag), and the bytes of those numbers are regrouped by significance
// (every lowest byte of the block, then every second byte, ...). A settled deme repeats or
// nearly repeats its size and arrivals from one generation to the next and an empty deme is all
// zeros, so the high planes are long runs of zeros and the low plane is mostly zeros and small
// numbers, which zstd packs tightly and fast. Each block is one zstd frame with its content
// checksum, so a damaged block is detected when it is decoded, and zstd reads a malformed frame
// without reading or writing out of bounds.

#include <cstddef>
#include <cstdint>
#include <vector>

struct ZSTD_CCtx_s;
struct ZSTD_DCtx_s;

namespace orvantis {

// One generation row: `values` values of `valueBytes` (2 or 4) bytes each.
struct TRowShape {
  std::size_t values = 0;
  int valueBytes = 4;
  std::size_t rowBytes() const { return values * static_cast<std::size_t>(valueBytes); }
};

class TRowBlockEncoder {
 public:
  TRowBlockEncoder();
  ~TRowBlockEncoder();
  TRowBlockEncoder(const TRowBlockEncoder&) = delete;
  TRowBlockEncoder& operator=(const TRowBlockEncoder&) = delete;

  // Room for blocks of up to `rows` rows of that shape; false when memory is refused.
  bool reserve(const TRowShape& shape, int rows);
  // Bytes the encoder holds for blocks of `rows` rows.
  static std::uint64_t workingBytes(const TRowShape& shape, int rows);
  // Encodes `count` rows that follow one another in memory; the frame is then in frame().
  // False when memory is refused or the compressor fails.
  bool encode(const void* rows, int count, const TRowShape& shape);
  const std::uint8_t* frame() const { return frame_.data(); }
  std::size_t frameBytes() const { return frameBytes_; }

 private:
  ZSTD_CCtx_s* context_ = nullptr;
  std::vector<std::uint8_t> planes_;
  std::vector<std::uint8_t> frame_;
  std::size_t frameBytes_ = 0;
};

class TRowBlockDecoder {
 public:
  TRowBlockDecoder();
  ~TRowBlockDecoder();
  TRowBlockDecoder(const TRowBlockDecoder&) = delete;
  TRowBlockDecoder& operator=(const TRowBlockDecoder&) = delete;

  // Decodes a frame of `count` rows into `rows`; false when the frame is damaged, does not hold
  // exactly that many rows, or memory is refused.
  bool decode(const void* frame, std::size_t frameBytes, void* rows, int count,
              const TRowShape& shape);
  static std::uint64_t workingBytes(const TRowShape& shape, int rows);

 private:
  ZSTD_DCtx_s* context_ = nullptr;
  std::vector<std::uint8_t> planes_;
};

}  // namespace orvantis
