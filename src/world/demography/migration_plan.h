#pragma once
// Where the emigrants of one population in one cell may go: which of its four neighbours
// (north, west, south, east) are eligible, and the weight of each, inversely proportional to
// the neighbour's friction. These depend only on the neighbours' K, F and accessibility, so the
// generation loop computes them once and again only after the environment has changed.

#include <array>
#include <cstdint>
#include <vector>

#include "world/landscape/cell.h"
#include "world/landscape/state.h"

namespace orvantis {

// Which neighbours may receive migrants: model 1 and the long-distance models also require the
// neighbour to be accessible (coast adaptation); models 2 and 3 do not look at it.
enum class TEligibility : std::uint8_t { RequireAccessible, IgnoreAccessibility };

using TNeighbourIndexes = std::array<int, kDirectionCount>;  // cell indexes, -1 where none

struct TMigrationPlan {
  // Weight of each neighbour in TDirection order; 0 for an ineligible one. The eligible weights
  // add up to 1 (up to rounding).
  float weight[kDirectionCount] = {0.0f, 0.0f, 0.0f, 0.0f};
  float rOverK = 0.0f;        // growth rate over the cell's own K (0 when K <= 0)
  std::uint8_t eligible = 0;  // bit d set when the neighbour in direction d is eligible

  bool isEligible(int direction) const { return (eligible >> direction) & 1u; }
  bool hasEligibleNeighbour() const { return eligible != 0; }
};

// The four neighbours of a cell as cell indexes, in TDirection order.
inline TNeighbourIndexes neighbourIndexes(const cell& c) {
  TNeighbourIndexes result;
  for (int d = 0; d < kDirectionCount; ++d) {
    const cell* n = c.neighbours[d];
    result[static_cast<std::size_t>(d)] = n != nullptr ? n->index : -1;
  }
  return result;
}

// Eligibility and weights for the cell whose neighbours are `neighbours`. A neighbour is
// eligible when it exists, holds K > 0 for the population, passes the accessibility rule and
// has a friction strictly between 0 and 1. With S the sum of 1/F over the eligible neighbours
// (single precision, in the order north, west, south, east), the weight of one of them is
// 1 / (F·S).
inline TMigrationPlan makeMigrationPlan(const TNeighbourIndexes& neighbours, const State& own,
                                        const std::vector<State>& states,
                                        const std::vector<cell>& cells, TEligibility rule,
                                        float growthRate) {
  TMigrationPlan plan;
  plan.rOverK = own.K > 0 ? growthRate / static_cast<float>(own.K) : 0.0f;
  float sum = 0.0f;
  for (int d = 0; d < kDirectionCount; ++d) {
    const int j = neighbours[static_cast<std::size_t>(d)];
    if (j < 0) continue;
    const State& target = states[static_cast<std::size_t>(j)];
    if (target.K <= 0) continue;
    if (rule == TEligibility::RequireAccessible &&
        !cells[static_cast<std::size_t>(j)].isAccessible) {
      continue;
    }
    if (!target.acceptsMigrants()) continue;
    sum += 1.0f / target.F;
    plan.eligible = static_cast<std::uint8_t>(plan.eligible | (1u << d));
  }
  if (sum == 0.0f) plan.eligible = 0;
  for (int d = 0; d < kDirectionCount; ++d) {
    if (!plan.isEligible(d)) continue;
    const float friction =
        states[static_cast<std::size_t>(neighbours[static_cast<std::size_t>(d)])].F;
    plan.weight[d] = 1.0f / (friction * sum);
  }
  return plan;
}

}  // namespace orvantis
