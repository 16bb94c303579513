#include "world/database/row_codec.h"

#include <zstd.h>

#include <new>
#include <type_traits>

namespace orvantis {

namespace {

// Fast and, on these planes, within a few percent of the higher levels' ratio.
constexpr int kCompressionLevel = 1;
// What the zstd contexts hold beyond the buffers, for the memory estimates (level 1 keeps its
// tables under a megabyte).
constexpr std::uint64_t kCompressorContextBytes = std::uint64_t{2} << 20;
constexpr std::uint64_t kDecompressorContextBytes = std::uint64_t{256} << 10;

template <class U>
U zigzag(U difference) {
  using S = std::make_signed_t<U>;
  const auto d = static_cast<S>(difference);
  return static_cast<U>(static_cast<U>(difference << 1) ^ static_cast<U>(d >> (8 * sizeof(U) - 1)));
}

template <class U>
U unzigzag(U z) {
  return static_cast<U>((z >> 1) ^ static_cast<U>(U{0} - static_cast<U>(z & 1U)));
}

// Rows → byte planes of the zigzag differences. Plane b holds byte b of every value of the
// block, row after row.
template <class U>
void toPlanes(const U* rows, int count, std::size_t n, std::uint8_t* planes) {
  const std::size_t total = static_cast<std::size_t>(count) * n;
  for (int k = 0; k < count; ++k) {
    const U* cur = rows + static_cast<std::size_t>(k) * n;
    std::uint8_t* out = planes + static_cast<std::size_t>(k) * n;
    if (k == 0) {
      for (std::size_t i = 0; i < n; ++i) {
        const U z = zigzag<U>(cur[i]);
        for (std::size_t b = 0; b < sizeof(U); ++b) {
          out[b * total + i] = static_cast<std::uint8_t>(z >> (8 * b));
        }
      }
      continue;
    }
    const U* prev = cur - n;
    for (std::size_t i = 0; i < n; ++i) {
      const U z = zigzag<U>(static_cast<U>(cur[i] - prev[i]));
      for (std::size_t b = 0; b < sizeof(U); ++b) {
        out[b * total + i] = static_cast<std::uint8_t>(z >> (8 * b));
      }
    }
  }
}

template <class U>
void fromPlanes(const std::uint8_t* planes, int count, std::size_t n, U* rows) {
  const std::size_t total = static_cast<std::size_t>(count) * n;
  for (int k = 0; k < count; ++k) {
    U* cur = rows + static_cast<std::size_t>(k) * n;
    const std::uint8_t* in = planes + static_cast<std::size_t>(k) * n;
    const U* prev = k == 0 ? nullptr : cur - n;
    for (std::size_t i = 0; i < n; ++i) {
      U z = 0;
      for (std::size_t b = 0; b < sizeof(U); ++b) {
        z = static_cast<U>(z | static_cast<U>(static_cast<U>(in[b * total + i]) << (8 * b)));
      }
      const U d = unzigzag<U>(z);
      cur[i] = prev == nullptr ? d : static_cast<U>(prev[i] + d);
    }
  }
}

bool resize(std::vector<std::uint8_t>& buffer, std::size_t bytes) {
  try {
    if (buffer.size() < bytes) buffer.resize(bytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

TRowBlockEncoder::TRowBlockEncoder() = default;

TRowBlockEncoder::~TRowBlockEncoder() {
  ZSTD_freeCCtx(context_);
}

std::uint64_t TRowBlockEncoder::workingBytes(const TRowShape& shape, int rows) {
  const std::size_t block = shape.rowBytes() * static_cast<std::size_t>(rows);
  return block + ZSTD_compressBound(block) + kCompressorContextBytes;
}

bool TRowBlockEncoder::reserve(const TRowShape& shape, int rows) {
  const std::size_t block = shape.rowBytes() * static_cast<std::size_t>(rows);
  if (context_ == nullptr) {
    context_ = ZSTD_createCCtx();
    if (context_ == nullptr) return false;
    if (ZSTD_isError(
            ZSTD_CCtx_setParameter(context_, ZSTD_c_compressionLevel, kCompressionLevel)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(context_, ZSTD_c_checksumFlag, 1))) {
      return false;
    }
  }
  return resize(planes_, block) && resize(frame_, ZSTD_compressBound(block));
}

bool TRowBlockEncoder::encode(const void* rows, int count, const TRowShape& shape) {
  frameBytes_ = 0;
  if (count < 1 || !reserve(shape, count)) return false;
  const std::size_t block = shape.rowBytes() * static_cast<std::size_t>(count);
  if (shape.valueBytes == 2) {
    toPlanes(static_cast<const std::uint16_t*>(rows), count, shape.values, planes_.data());
  } else {
    toPlanes(static_cast<const std::uint32_t*>(rows), count, shape.values, planes_.data());
  }
  const std::size_t written =
      ZSTD_compress2(context_, frame_.data(), frame_.size(), planes_.data(), block);
  if (ZSTD_isError(written)) return false;
  frameBytes_ = written;
  return true;
}

TRowBlockDecoder::TRowBlockDecoder() = default;

TRowBlockDecoder::~TRowBlockDecoder() {
  ZSTD_freeDCtx(context_);
}

std::uint64_t TRowBlockDecoder::workingBytes(const TRowShape& shape, int rows) {
  return shape.rowBytes() * static_cast<std::size_t>(rows) + kDecompressorContextBytes;
}

bool TRowBlockDecoder::decode(const void* frame, std::size_t frameBytes, void* rows, int count,
                              const TRowShape& shape) {
  if (count < 1) return false;
  const std::size_t block = shape.rowBytes() * static_cast<std::size_t>(count);
  if (context_ == nullptr) {
    context_ = ZSTD_createDCtx();
    if (context_ == nullptr) return false;
  }
  if (!resize(planes_, block)) return false;
  // Exactly one frame of exactly the block's size.
  if (ZSTD_findFrameCompressedSize(frame, frameBytes) != frameBytes ||
      ZSTD_getFrameContentSize(frame, frameBytes) != block) {
    return false;
  }
  const std::size_t read = ZSTD_decompressDCtx(context_, planes_.data(), block, frame, frameBytes);
  if (ZSTD_isError(read) || read != block) return false;
  if (shape.valueBytes == 2) {
    fromPlanes(planes_.data(), count, shape.values, static_cast<std::uint16_t*>(rows));
  } else {
    fromPlanes(planes_.data(), count, shape.values, static_cast<std::uint32_t*>(rows));
  }
  return true;
}

}  // namespace orvantis
