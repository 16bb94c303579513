// Climate interpolation and sea level: every cell's K and F between their present and LGM
// values in proportion to the temperature record, and the cells above the sea.

#include <cmath>

#include "foundation/saturating_trunc.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

// How the friction of a cell follows the climate.
enum class TClimateFriction {
  Constant,    // none of the friction keys: every cell keeps the friction 0.5 of construction
  Vegetation,  // FrictionChoice 0
  Roughness,   // FrictionChoice 1
  Mean,        // FrictionChoice 2: mean of the vegetation friction and the roughness
};

TClimateFriction climateFriction(const TExtendedSettings& settings) {
  if (!settings.hasKey("FrictionChoice") && !settings.hasKey("RoughnessTopoFile") &&
      !settings.hasKey("Veg2FFile")) {
    return TClimateFriction::Constant;
  }
  switch (settings.intParameter(IntParam::FrictionChoice)) {
    case 1:
      return TClimateFriction::Roughness;
    case 2:
      return TClimateFriction::Mean;
    default:
      return TClimateFriction::Vegetation;
  }
}

}  // namespace

int World::GenerateVostok(int time, int population) {
  const auto p = static_cast<std::size_t>(population);
  std::vector<int>& kMatrix = climateK_[p];
  std::vector<float>& fMatrix = climateF_[p];
  if (!climateLoaded_ || kMatrix.size() != cells_.size() || fMatrix.size() != cells_.size()) {
    context_.log << "ERROR: {World::GenerateVostok()} [the climate series of population "
                 << population + 1 << " have not been loaded; please build the world again]"
                 << std::endl;
    return 0;
  }

  const float r = temperature_.valueAt(time) / vostokReference_;
  const TClimateFriction frictionRule = climateFriction(settings_);
  const bool withRoughness =
      frictionRule == TClimateFriction::Roughness || frictionRule == TClimateFriction::Mean;
  if (withRoughness && roughnessMatrix_.size() != grid_.size()) {
    context_.log << "ERROR: {World::GenerateVostok()} [the roughness matrix is missing; please "
                    "build the world again]"
                 << std::endl;
    return 0;
  }
  const int noData = context_.noDataValue;
  const TKTable& kTable = tables_.K(population);
  const TFTable& fTable = tables_.F(population);
  const auto columns = static_cast<std::size_t>(ncols_);

  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const cell& c = cells_[i];
    const int kLgm = kTable[c.lgmVegetation];
    const float fLgm = fTable[c.lgmVegetation];
    int k = kLgm;
    float vegetationFriction = fLgm;
    // Land that exists only at low sea level has no present class: it keeps its LGM values.
    if (c.presentVegetation != noData) {
      // Both interpolations in single precision, as r itself: (-6)/(-9) between K 150 and 60
      // gives 90, where a mixed evaluation would give 89.
      const float kPresent = static_cast<float>(kTable[c.presentVegetation]);
      const float fPresent = fTable[c.presentVegetation];
      k = truncToInt((static_cast<float>(kLgm) - kPresent) * r + kPresent);
      vegetationFriction = (fLgm - fPresent) * r + fPresent;
    }
    float friction = 0.5f;
    if (frictionRule != TClimateFriction::Constant) {
      const float roughness = withRoughness
                                  ? roughnessMatrix_[static_cast<std::size_t>(c.row) * columns +
                                                     static_cast<std::size_t>(c.column)]
                                  : 0.0f;
      switch (frictionRule) {
        case TClimateFriction::Vegetation:
          friction = vegetationFriction;
          break;
        case TClimateFriction::Roughness:
          friction = roughness;
          break;
        default:
          friction = (vegetationFriction + roughness) * 0.5f;
          break;
      }
    }
    kMatrix[i] = k;
    fMatrix[i] = friction;
  }
  return 1;
}

int World::ChangeGlobalK(int population) {
  const std::vector<int>& kMatrix = climateK_[static_cast<std::size_t>(population)];
  std::vector<State>& states = states_[static_cast<std::size_t>(population)];
  if (kMatrix.size() != states.size()) {
    context_.log << "      ERROR: {World::ChangeGlobalK()} [problem with changing K globally]"
                 << std::endl;
    return 0;
  }
  for (std::size_t i = 0; i < states.size(); ++i) states[i].K = kMatrix[i];
  return 1;
}

int World::ChangeGlobalF(int population) {
  const std::vector<float>& fMatrix = climateF_[static_cast<std::size_t>(population)];
  std::vector<State>& states = states_[static_cast<std::size_t>(population)];
  if (fMatrix.size() != states.size()) {
    context_.log << "      ERROR: {World::ChangeGlobalF()} [problem with changing F globally]"
                 << std::endl;
    return 0;
  }
  for (std::size_t i = 0; i < states.size(); ++i) states[i].F = fMatrix[i];
  return 1;
}

void World::updateSeaLevel(int time) {
  const float level = seaLevel_.valueAt(time);
  for (cell& c : cells_) c.emerged = c.altitude >= level;
  computeCoast();
}

void World::recomputeKAfterTableSwitch(int population) {
  const int noData = context_.noDataValue;
  const TKTable& table = tables_.K(population);
  std::vector<State>& states = states_[static_cast<std::size_t>(population)];
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const cell& c = cells_[i];
    // With an LGM map, land that exists only at low sea level has no present class.
    const int vegetation = c.presentVegetation == noData ? c.lgmVegetation : c.presentVegetation;
    states[i].K = table[vegetation];
  }
  applyCoastFactors(population, TFactorTarget::CarryingCapacity);
  applyRiverFactors(population, TFactorTarget::CarryingCapacity);
}

void World::recomputeFAfterTableSwitch(int population) {
  computeInitialFNonStochastic(population);
  applyCoastFactors(population, TFactorTarget::Friction);
  applyRiverFactors(population, TFactorTarget::Friction);
}

}  // namespace orvantis
