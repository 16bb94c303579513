// Loading the climate series of a world built with a last-glacial-maximum vegetation map: the
// temperature record that scales K and F between their present and LGM values, and the sea
// level that decides which cells are above water.

#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "world/environment/series.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

// Stores the pairs in a fresh series; false when the series cannot grow.
bool fillSeries(const std::vector<TSeriesPoint>& points, TimeStoInt<float>& series) {
  series.clear();
  for (const TSeriesPoint& point : points) {
    if (!series.addValue(static_cast<float>(point.value), point.time)) return false;
  }
  return true;
}

}  // namespace

int World::AllocateAndLoadAllVostokData(int population) {
  const auto p = static_cast<std::size_t>(population);
  try {
    climateK_[p].assign(cells_.size(), 0);
    climateF_[p].assign(cells_.size(), 0.0f);
  } catch (const std::bad_alloc&) {
    context_.log << "ERROR: {World::allocateVostokMatrix()} [problem with matric allocation]"
                 << std::endl;
    return 0;
  }
  const int noData = context_.noDataValue;
  const TKTable& table = tables_.K(population);
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const cell& c = cells_[i];
    climateK_[p][i] = table[c.presentVegetation == noData ? c.lgmVegetation : c.presentVegetation];
  }
  if (!load_VostokTimeData()) {
    context_.log << "      ERROR: {World::AllocateAndLoadAllVostokData()} [problem with loading "
                    "Vostok data]"
                 << std::endl;
    return 0;
  }
  return 1;
}

int World::load_VostokTimeData() {
  // A reload (one per population) replaces the series, so its entries are never duplicated.
  climateLoaded_ = false;
  temperature_.clear();
  vostokTimes_.clear();
  vostokValues_.clear();
  const my_string file = settings_.fileParameter(FileParam::VostokFile);
  std::vector<TSeriesPoint> points;
  std::string problem;
  TSeriesReadStatus status = TSeriesReadStatus::Ok;
  try {
    status = readSeriesFile(file, kMaxVostokPairs, points, problem);
    if (status == TSeriesReadStatus::Ok) {
      vostokTimes_.reserve(points.size());
      vostokValues_.reserve(points.size());
      for (const TSeriesPoint& point : points) {
        vostokTimes_.push_back(point.time);
        vostokValues_.push_back(point.value);
      }
      if (!fillSeries(points, temperature_)) throw std::bad_alloc();
    }
  } catch (const std::bad_alloc&) {
    temperature_.clear();
    vostokTimes_.clear();
    vostokValues_.clear();
    context_.log << "ERROR: {World::load_VostokTimeData()} [problem with memory allocation]"
                 << std::endl;
    return 0;
  }
  if (status == TSeriesReadStatus::CannotOpen) {
    context_.log << "ERROR: {World::load_VostokTimeData()} [cannot open Vostok File]" << std::endl;
    if (file.isEmpty()) {
      context_.log << "\tthe settings name no VostokFile, which an LGM vegetation map needs"
                   << std::endl;
    } else {
      context_.log << "\tVostokFile = '" << file << "'" << std::endl;
    }
    return 0;
  }
  if (status == TSeriesReadStatus::Damaged) {
    context_.log << "ERROR: {World::load_VostokTimeData()} [the Vostok file '" << file
                 << "' is damaged, " << problem << "]" << std::endl;
    return 0;
  }
  vostokReference_ = temperature_.valueAt(kVostokReferenceTime);
  if (vostokReference_ == 0.0f) {
    context_.log << "ERROR: {World::load_VostokTimeData()} [in the Vostok file '" << file
                 << "' the temperature at the reference time " << kVostokReferenceTime
                 << " is 0, so the climate cannot be scaled by it]" << std::endl;
    temperature_.clear();
    return 0;
  }
  climateLoaded_ = true;
  return 1;
}

int World::loadSeaLevelData() {
  seaLevel_.clear();
  const my_string file = settings_.fileParameter(FileParam::SeaLevelFile);
  std::vector<TSeriesPoint> points;
  std::string problem;
  TSeriesReadStatus status = TSeriesReadStatus::Ok;
  try {
    status = readSeriesFile(file, std::numeric_limits<std::size_t>::max(), points, problem);
    if (status == TSeriesReadStatus::Ok && !fillSeries(points, seaLevel_)) throw std::bad_alloc();
  } catch (const std::bad_alloc&) {
    seaLevel_.clear();
    context_.log << "ERROR: {World::loadSeaLevelData()} [problem with memory allocation]"
                 << std::endl;
    return 0;
  }
  if (status == TSeriesReadStatus::CannotOpen) {
    if (file.isEmpty()) {
      context_.log << "ERROR: {World::loadSeaLevelData()} [the settings name no SeaLevelFile, "
                      "which an LGM vegetation map needs]"
                   << std::endl;
    } else {
      context_.log << "ERROR: {World::loadSeaLevelData()} [cannot open the sea level file '" << file
                   << "']" << std::endl;
    }
    return 0;
  }
  if (status == TSeriesReadStatus::Damaged) {
    context_.log << "ERROR: {World::loadSeaLevelData()} [the sea level file '" << file
                 << "' is damaged, " << problem << "]" << std::endl;
    return 0;
  }
  return 1;
}

void World::releaseClimateData() {
  climateLoaded_ = false;
  temperature_.clear();
  seaLevel_.clear();
  std::vector<int>().swap(vostokTimes_);
  std::vector<double>().swap(vostokValues_);
  vostokReference_ = 0.0f;
  for (std::vector<int>& k : climateK_) std::vector<int>().swap(k);
  for (std::vector<float>& f : climateF_) std::vector<float>().swap(f);
}

}  // namespace orvantis
