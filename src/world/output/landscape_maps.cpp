#include "world/output/landscape_maps.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <stdexcept>

#include "world/landscape/world.h"

namespace orvantis {

namespace {

TRgbColour grayLevel(long long level) {
  const auto g = static_cast<std::uint8_t>(wrapByte(level));
  return {g, g, g};
}

TRgbColour scaled(long long q, bool zero, TColourStyle style) {
  if (style == TColourStyle::Colour) return zero ? kWhite : countScaleColour(q);
  return zero ? kGrayZero : grayLevel(250 - q);
}

// One square per grid position, blue where colourOf gives nothing.
TRgbImage paintCells(const World& world, int zoom,
                     const std::function<bool(const cell&, TRgbColour&)>& colourOf) {
  const int side = zoom < 1 ? 1 : zoom;
  const long long width = static_cast<long long>(world.ncols()) * side;
  const long long height = static_cast<long long>(world.nrows()) * side;
  if (width > TRgbImage::kMaxSide || height > TRgbImage::kMaxSide) {
    throw std::length_error("map bitmap too large");
  }
  TRgbImage image(static_cast<int>(width), static_cast<int>(height), kWaterBlue);
  for (const cell& c : world.cells()) {
    TRgbColour colour;
    if (world.vegetationClass(c) == kWaterVegetationClass || !colourOf(c, colour)) continue;
    image.fillRect(side * c.column, side * c.row, side * (c.column + 1), side * (c.row + 1),
                   colour);
  }
  return image;
}

// Whether the world holds a state of the population for every cell (the settings may name
// another number of populations than the world was built for).
bool hasStates(World& world, int population) {
  return population >= 0 && population < kMaxCellPopulations &&
         world.states(population).size() == world.cells().size();
}

bool underSea(const cell& c, const TimeStoInt<float>* seaLevel, int realTime) {
  return seaLevel != nullptr && seaLevel->count() > 0 && seaLevel->valueAt(realTime) > c.altitude;
}

}  // namespace

TRgbColour carryingCapacityColour(int k, TColourStyle style) {
  const long long scale = style == TColourStyle::Colour ? 500 : 250;
  return scaled(static_cast<long long>(k) * scale / 2000, k == 0, style);
}

TRgbColour frictionColour(float f, TColourStyle style) {
  if (style == TColourStyle::Colour) {
    const auto q = static_cast<long long>(std::trunc(f * 1000.0f * 500.0f)) / 2000;
    return scaled(q, f == 0.0f, style);
  }
  const auto q = static_cast<long long>(std::trunc(f * 1000.0f * 250.0f / 1000.0f));
  return scaled(q, f == 0.0f, style);
}

TRgbColour arrivalTimeColour(int generation, int endTime) {
  if (generation <= 0 || endTime <= 0) return kWhite;
  const long long q = static_cast<long long>(generation) * 250 / endTime;
  return q > 0 ? grayLevel(250 - q) : kWhite;
}

std::vector<int> arrivalGenerationsAtDensity(const World& world, int population, int minDensity) {
  const StateDB& db = world.database();
  const int cells = db.numEntries();
  std::vector<int> arrival(static_cast<std::size_t>(cells), -1);
  if (!db.isAllocated() || population < 0 || population >= db.numberOfPopulations()) {
    return arrival;
  }
  std::vector<int> waiting;
  waiting.reserve(static_cast<std::size_t>(cells));
  for (int i = 0; i < cells; ++i) waiting.push_back(i);
  for (int t = 0; t <= db.endTime() && !waiting.empty(); ++t) {
    std::size_t kept = 0;
    for (const int i : waiting) {
      if (db.get_N(i, population, t) >= minDensity) {
        arrival[static_cast<std::size_t>(i)] = t;
      } else {
        waiting[kept++] = i;
      }
    }
    waiting.resize(kept);
  }
  return arrival;
}

TRgbImage drawCarryingCapacityMap(World& world, int population, TColourStyle style, int zoom,
                                  const TimeStoInt<float>* seaLevel, int realTime) {
  const bool known = hasStates(world, population);
  return paintCells(world, zoom, [&](const cell& c, TRgbColour& colour) {
    if (!known || underSea(c, seaLevel, realTime)) return false;
    colour = carryingCapacityColour(world.state(population, c.index).K, style);
    return true;
  });
}

TRgbImage drawFrictionMap(World& world, int population, TColourStyle style, int zoom,
                          const TimeStoInt<float>* seaLevel, int realTime) {
  const bool known = hasStates(world, population);
  return paintCells(world, zoom, [&](const cell& c, TRgbColour& colour) {
    if (!known || underSea(c, seaLevel, realTime)) return false;
    colour = frictionColour(world.state(population, c.index).F, style);
    return true;
  });
}

TRgbImage drawArrivalTimeMap(const World& world, int population, int minDensity, int zoom) {
  const std::vector<int> arrival = arrivalGenerationsAtDensity(world, population, minDensity);
  const int endTime = world.database().endTime();
  return paintCells(world, zoom, [&](const cell& c, TRgbColour& colour) {
    const auto at = static_cast<std::size_t>(c.index);
    colour = arrivalTimeColour(at < arrival.size() ? arrival[at] : -1, endTime);
    return true;
  });
}

}  // namespace orvantis
