#pragma once
// Reads back the 24-bit Windows bitmaps the map writers save: size and pixel colours, row 0 at
// the top.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "world/output_image.h"

namespace orvantis {
// Lets test failures show colours as (r, g, b).
inline void PrintTo(const TRgbColour& c, std::ostream* os) {
  *os << "(" << int(c.red) << ", " << int(c.green) << ", " << int(c.blue) << ")";
}
}  // namespace orvantis

namespace orvantis::testing {

struct ReadBitmap {
  bool ok = false;
  int width = 0;
  int height = 0;
  std::vector<TRgbColour> pixels;  // row 0 (top) first

  TRgbColour at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline ReadBitmap readBmp(const std::string& path) {
  ReadBitmap bmp;
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
  auto u16 = [&](std::size_t at) { return bytes[at] | (bytes[at + 1] << 8); };
  auto i32 = [&](std::size_t at) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[at]) |
                                     (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
                                     (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
                                     (static_cast<std::uint32_t>(bytes[at + 3]) << 24));
  };
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || u16(28) != 24) return bmp;
  const std::size_t offset = static_cast<std::size_t>(i32(10));
  bmp.width = i32(18);
  const int rawHeight = i32(22);
  const bool bottomUp = rawHeight > 0;
  bmp.height = bottomUp ? rawHeight : -rawHeight;
  const std::size_t stride = (static_cast<std::size_t>(bmp.width) * 3 + 3) / 4 * 4;
  if (bytes.size() < offset + stride * bmp.height) return bmp;
  bmp.pixels.resize(static_cast<std::size_t>(bmp.width) * bmp.height);
  for (int y = 0; y < bmp.height; ++y) {
    const std::size_t fileRow = bottomUp ? bmp.height - 1 - y : y;
    for (int x = 0; x < bmp.width; ++x) {
      const std::size_t at = offset + fileRow * stride + static_cast<std::size_t>(x) * 3;
      bmp.pixels[static_cast<std::size_t>(y) * bmp.width + x] = {bytes[at + 2], bytes[at + 1],
                                                                 bytes[at]};
    }
  }
  bmp.ok = true;
  return bmp;
}

}  // namespace orvantis::testing
