#pragma once
// Colours of the demographic maps: the count scale (density or arrivals against a scale
// maximum) and the occupation colours, each in the colour and the gray style.

#include "world/output/image.h"

namespace orvantis {

enum class TColourStyle { Colour, Gray };

// Background of a cell counted as 0 in the gray style.
inline constexpr TRgbColour kGrayZero{230, 209, 153};

// Colour of a count q against the scale maximum: in the colour style v = 500 q div maximum,
// white for q = 0, (0, v, 0) up to v = 250, ((v + 6) mod 256, 250, 0) above; in the gray style
// v = 250 q div maximum, kGrayZero for v = 0, else the gray (250 - v) mod 256. A maximum below 1
// counts as 1, so a map whose scale generation holds nothing still draws its other generations.
TRgbColour countColour(long long q, long long maximum, TColourStyle style);

// The colour scale of a scaled count v > 0: (0, v, 0) up to v = 250, ((v + 6) mod 256, 250, 0)
// above.
TRgbColour countScaleColour(long long v);

// Colour of row i (0 at the top) of the count legend: white down to row 5, then the count scale
// with v = i in the colour style; in the gray style kGrayZero down to row 5, then the gray of
// v = i / 2 (the gray scale spans half the levels of the colour scale).
TRgbColour countLegendRowColour(int row, TColourStyle style);

// Occupation of a land cell that is above water.
TRgbColour occupationColour(int populations, bool firstPresent, bool secondPresent,
                            TColourStyle style);

// Byte of x mod 256 taken as a non-negative residue, as a colour component wraps.
int wrapByte(long long x);

}  // namespace orvantis
