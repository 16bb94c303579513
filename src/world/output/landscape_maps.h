#pragma once
// The maps the result viewer opens besides the demography: the carrying capacity and the
// friction of every cell for a population, and the generation at which each cell first reached a
// density. One zoom x zoom square per grid position, row 0 at the top; a position without a cell,
// and a cell of vegetation class 30, is blue.

#include <vector>

#include "world/database/time_sto.h"
#include "world/output/colour_scale.h"
#include "world/output/image.h"

namespace orvantis {

class World;

// The vegetation class drawn as water on these maps.
inline constexpr int kWaterVegetationClass = 30;

// K on the count colour scale with q = K x 500 / 2000, or the gray 250 - K x 250 / 2000; a K of
// 0 is white (colour) or kGrayZero (gray).
TRgbColour carryingCapacityColour(int k, TColourStyle style);
// F on the count colour scale with q = trunc(F x 1000 x 500) / 2000, or the gray
// 250 - trunc(F x 1000 x 250 / 1000); an F of 0 is white or kGrayZero.
TRgbColour frictionColour(float f, TColourStyle style);
// The gray 250 - generation x 250 / endTime for a positive q, white otherwise (a cell never
// reached has generation -1).
TRgbColour arrivalTimeColour(int generation, int endTime);

// For every cell index: the first generation 0..EndTime at which the population's size reached
// minDensity, or -1. Reads the database one generation after the other.
std::vector<int> arrivalGenerationsAtDensity(const World& world, int population, int minDensity);

// The current K or F of every cell for the population. With a sea-level series, a cell whose
// altitude lies below the sea level at realTime is blue too. Throw std::length_error when the
// picture would be too large.
TRgbImage drawCarryingCapacityMap(World& world, int population, TColourStyle style, int zoom,
                                  const TimeStoInt<float>* seaLevel, int realTime);
TRgbImage drawFrictionMap(World& world, int population, TColourStyle style, int zoom,
                          const TimeStoInt<float>* seaLevel, int realTime);
// The first generation at which every cell held at least minDensity individuals of the
// population (the stored run of the world's database).
TRgbImage drawArrivalTimeMap(const World& world, int population, int minDensity, int zoom);

}  // namespace orvantis
