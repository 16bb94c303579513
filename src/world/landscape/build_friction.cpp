// Carrying capacity and friction of every cell for one population, and their adjustment on
// coasts and along rivers.

#include <cmath>
#include <new>

#include "foundation/exception.h"
#include "foundation/saturating_trunc.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

bool adjustsK(TFactorTarget target) {
  return target != TFactorTarget::Friction;
}
bool adjustsF(TFactorTarget target) {
  return target != TFactorTarget::CarryingCapacity;
}

}  // namespace

void World::computeInitialFNonStochastic(int population) {
  const bool hasChoice = settings_.hasKey("FrictionChoice");
  const bool hasRoughness = settings_.hasKey("RoughnessTopoFile");
  const bool hasVegetationF = settings_.hasKey("Veg2FFile");
  if (!hasChoice && (hasRoughness || hasVegetationF)) {
    throw TException(
        "FrictionChoice has not been defined in the settings file, but at least one of the "
        "friction files (RoughnessTopoFile and/or Veg2FFile) has been defined");
  }
  std::vector<State>& states = states_[static_cast<std::size_t>(population)];
  if (!hasChoice) {
    for (State& s : states) s.F = 0.5f;
    return;
  }
  const int choice = settings_.intParameter(IntParam::FrictionChoice);
  if (choice == 0 && !hasVegetationF) {
    throw TException(
        "FrictionChoice=0 has been defined in the settings file so that Veg2FFile needs to be "
        "defined, but the latter is not");
  }
  if (choice == 1 && !hasRoughness) {
    throw TException(
        "FrictionChoice=1 has been defined in the settings file so that RoughnessTopoFile needs "
        "to be defined, but the latter is not");
  }
  if (choice == 2 && (!hasRoughness || !hasVegetationF)) {
    throw TException(
        "FrictionChoice=2 has been defined in the settings file so that RoughnessTopoFile AND "
        "Veg2FFile needs to be defined, but at least one of the latter is not defined");
  }
  if (choice < 0 || choice > 2) {
    throw TException("The value for FrictionChoice is not allowed. It should be  0, 1 or 2");
  }

  const bool useRoughness = choice != 0;
  if (useRoughness) {
    try {
      roughnessMatrix_.assign(static_cast<std::size_t>(nrows_) * static_cast<std::size_t>(ncols_),
                              0.0f);
    } catch (const std::bad_alloc&) {
      throw TException(
          "World::computeInitialFNonStochastic(const int& no_deme)} [problem with matrix "
          "allocation]");
    }
  }
  const TFTable& table = tables_.F(population);
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const cell& c = cells_[i];
    const float roughness = std::fabs(c.roughness);
    const float vegetation = table[vegetationClass(c)];
    float friction = vegetation;
    if (choice == 1) friction = roughness;
    if (choice == 2) friction = (roughness + vegetation) * 0.5f;
    states[i].F = friction;
    if (useRoughness) {
      roughnessMatrix_[static_cast<std::size_t>(c.row) * static_cast<std::size_t>(ncols_) +
                       static_cast<std::size_t>(c.column)] = roughness;
    }
  }
  // Only the climate interpolation needs the roughness again.
  if (useRoughness && !lgmInUse()) std::vector<float>().swap(roughnessMatrix_);
}

void World::computeK(int population) {
  const TKTable& table = tables_.K(population);
  std::vector<State>& states = states_[static_cast<std::size_t>(population)];
  for (std::size_t i = 0; i < cells_.size(); ++i) states[i].K = table[vegetationClass(cells_[i])];
}

void World::applyCoastFactors(int population, TFactorTarget target) {
  std::vector<State>& states = states_[static_cast<std::size_t>(population)];
  if (adjustsF(target) && settings_.hasKey("CoastFrictionChangeFactor")) {
    const double factor = settings_.realParameter(RealParam::CoastFrictionChangeFactor);
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      if (cells_[i].coast) states[i].F = static_cast<float>(states[i].F * factor);
    }
  }
  if (adjustsK(target) && settings_.hasKey("CoastCarCapChangeFactor")) {
    const double factor = settings_.realParameter(RealParam::CoastCarCapChangeFactor);
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      if (cells_[i].coast) states[i].K = truncToInt(states[i].K * factor);
    }
  }
}

void World::applyRiverFactors(int population, TFactorTarget target) {
  std::vector<State>& states = states_[static_cast<std::size_t>(population)];
  if (adjustsF(target) && settings_.hasKey("RiverFrictionChangeFactor")) {
    const double factor = settings_.realParameter(RealParam::RiverFrictionChangeFactor);
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      if (cells_[i].river && !cells_[i].coast) {
        states[i].F = static_cast<float>(states[i].F * factor);
      }
    }
  }
  if (adjustsK(target) && settings_.hasKey("RiverCarCapChangeFactor")) {
    const double factor = settings_.realParameter(RealParam::RiverCarCapChangeFactor);
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      if (cells_[i].river && !cells_[i].coast) states[i].K = truncToInt(states[i].K * factor);
    }
  }
}

}  // namespace orvantis
