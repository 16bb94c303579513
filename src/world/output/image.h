#pragma once
// A small in-memory RGB picture for the demographic maps and legends: filled rectangles, lines,
// square points and short labels, saved as a 24-bit Windows bitmap. Row 0 is the top row.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvantis {

struct TRgbColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  friend bool operator==(const TRgbColour&, const TRgbColour&) = default;
};

inline constexpr TRgbColour kWhite{255, 255, 255};
inline constexpr TRgbColour kBlack{0, 0, 0};
inline constexpr TRgbColour kWaterBlue{0, 0, 255};
inline constexpr TRgbColour kRed{255, 0, 0};
inline constexpr TRgbColour kSilver{192, 192, 192};

class TRgbImage {
 public:
  // Pictures larger than this on either side are refused (std::length_error): they could not be
  // saved as a bitmap and would only exhaust memory.
  static constexpr int kMaxSide = 32768;

  TRgbImage() = default;
  // Throws std::length_error for a negative or over-large size, std::bad_alloc when memory fails.
  TRgbImage(int width, int height, TRgbColour background = kWhite);

  int width() const { return width_; }
  int height() const { return height_; }
  bool isEmpty() const { return width_ == 0 || height_ == 0; }

  // Reading outside the picture gives black; drawing outside it is clipped.
  TRgbColour pixel(int x, int y) const;
  void setPixel(int x, int y, TRgbColour colour);
  // Fills the pixels left <= x < right, top <= y < bottom.
  void fillRect(int left, int top, int right, int bottom, TRgbColour colour);
  // A one-pixel line, both ends included.
  void drawLine(int x0, int y0, int x1, int y1, TRgbColour colour);
  // A square dot of penWidth pixels centred on (x, y).
  void drawPoint(int x, int y, int penWidth, TRgbColour colour);
  // Writes text with its top-left corner at (x, y) over an opaque paper box, as a default canvas
  // does; returns the width in pixels that the text took.
  int drawText(int x, int y, std::string_view text, TRgbColour ink = kBlack,
               TRgbColour paper = kWhite);

  // Saves as a 24-bit Windows bitmap; false when the picture is empty or the file cannot be
  // written.
  bool saveBmp(const std::string& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> rgb_;  // width_ * height_ * 3 bytes, row 0 first
};

}  // namespace orvantis
