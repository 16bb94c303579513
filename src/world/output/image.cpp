#include "world/output/image.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "world/output/font.h"

// The bitmap encoder is a third-party single header; its own code is not held to our warnings.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace orvantis {

TRgbImage::TRgbImage(int width, int height, TRgbColour background) {
  if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) {
    throw std::length_error("bitmap size out of range");
  }
  rgb_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  width_ = width;
  height_ = height;
  fillRect(0, 0, width, height, background);
}

TRgbColour TRgbImage::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kBlack;
  const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
  return {rgb_[at], rgb_[at + 1], rgb_[at + 2]};
}

void TRgbImage::setPixel(int x, int y, TRgbColour colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
  rgb_[at] = colour.red;
  rgb_[at + 1] = colour.green;
  rgb_[at + 2] = colour.blue;
}

void TRgbImage::fillRect(int left, int top, int right, int bottom, TRgbColour colour) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width_);
  bottom = std::min(bottom, height_);
  for (int y = top; y < bottom; ++y) {
    std::uint8_t* p = rgb_.data() + (static_cast<std::size_t>(y) * width_ + left) * 3;
    for (int x = left; x < right; ++x) {
      *p++ = colour.red;
      *p++ = colour.green;
      *p++ = colour.blue;
    }
  }
}

void TRgbImage::drawLine(int x0, int y0, int x1, int y1, TRgbColour colour) {
  // Bresenham on 64-bit steps, so far-away ends cannot overflow.
  long long x = x0, y = y0;
  const long long dx = std::llabs(static_cast<long long>(x1) - x0);
  const long long dy = -std::llabs(static_cast<long long>(y1) - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  long long error = dx + dy;
  while (true) {
    setPixel(static_cast<int>(x), static_cast<int>(y), colour);
    if (x == x1 && y == y1) break;
    const long long twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

void TRgbImage::drawPoint(int x, int y, int penWidth, TRgbColour colour) {
  const int width = std::max(penWidth, 1);
  const int left = x - (width - 1) / 2;
  const int top = y - (width - 1) / 2;
  fillRect(left, top, left + width, top + width, colour);
}

int TRgbImage::drawText(int x, int y, std::string_view text, TRgbColour ink, TRgbColour paper) {
  const int width = textWidth(text);
  fillRect(x, y, x + width, y + kGlyphHeight, paper);
  int left = x;
  for (char c : text) {
    if (const char* const* rows = glyphRows(c)) {
      for (int row = 0; row < kGlyphHeight; ++row) {
        for (int col = 0; rows[row][col] != '\0'; ++col) {
          if (rows[row][col] == '#') setPixel(left + col, y + row, ink);
        }
      }
    }
    left += glyphWidth(c) + kGlyphSpacing;
  }
  return width;
}

bool TRgbImage::saveBmp(const std::string& path) const {
  if (isEmpty()) return false;
  return stbi_write_bmp(path.c_str(), width_, height_, 3, rgb_.data()) != 0;
}

}  // namespace orvantis
