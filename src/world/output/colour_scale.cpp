#include "world/output/colour_scale.h"

#include <cstdint>

namespace orvantis {

namespace {

TRgbColour gray(int level) {
  const auto g = static_cast<std::uint8_t>(level);
  return {g, g, g};
}

}  // namespace

TRgbColour countScaleColour(long long v) {
  if (v < 251) return {0, static_cast<std::uint8_t>(wrapByte(v)), 0};
  return {static_cast<std::uint8_t>(wrapByte(v + 6)), 250, 0};
}

int wrapByte(long long x) {
  return static_cast<int>(((x % 256) + 256) % 256);
}

TRgbColour countColour(long long q, long long maximum, TColourStyle style) {
  const long long m = maximum < 1 ? 1 : maximum;
  if (style == TColourStyle::Colour) {
    if (q == 0) return kWhite;
    return countScaleColour(500 * q / m);
  }
  const long long v = 250 * q / m;
  if (v == 0) return kGrayZero;
  return gray(wrapByte(250 - v));
}

TRgbColour countLegendRowColour(int row, TColourStyle style) {
  if (style == TColourStyle::Colour) return row <= 5 ? kWhite : countScaleColour(row);
  return row <= 5 ? kGrayZero : gray(wrapByte(250 - row / 2));
}

TRgbColour occupationColour(int populations, bool firstPresent, bool secondPresent,
                            TColourStyle style) {
  if (populations < 2) return firstPresent ? kBlack : kWhite;
  const bool colour = style == TColourStyle::Colour;
  if (firstPresent && secondPresent) return colour ? TRgbColour{0, 128, 0} : kBlack;
  if (firstPresent) return colour ? TRgbColour{139, 87, 66} : kSilver;
  if (secondPresent) return colour ? kBlack : TRgbColour{128, 128, 128};
  return kWhite;
}

}  // namespace orvantis
