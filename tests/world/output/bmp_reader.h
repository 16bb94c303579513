#pragma once
// Reads back the 24-bit bottom-up Windows bitmaps the map writers save: size and pixel colours,
// row 0 at the top.

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "world/output/image.h"

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
  auto u32 = [&](std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (bytes[at + 3] << 24);
  };
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || bytes[28] != 24) return bmp;
  const std::size_t offset = u32(10);
  bmp.width = u32(18);
  bmp.height = u32(22);
  const std::size_t stride = (static_cast<std::size_t>(bmp.width) * 3 + 3) / 4 * 4;
  if (bmp.height <= 0 || bytes.size() < offset + stride * bmp.height) return bmp;
  for (int y = 0; y < bmp.height; ++y) {
    for (int x = 0; x < bmp.width; ++x) {
      const std::size_t at = offset + (bmp.height - 1 - y) * stride + x * 3;
      bmp.pixels.push_back({bytes[at + 2], bytes[at + 1], bytes[at]});
    }
  }
  bmp.ok = true;
  return bmp;
}

}  // namespace orvantis::testing
