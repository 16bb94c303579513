#pragma once
// The generator of each simulation when a series runs its simulations as independent
// replicates (TReplicateOptions::threads): simulation s of a run seeded with `seed` (the
// program's seed, lidum = -seed in the log) draws from a TRandom started by
// seedStream(simulationStreamKey(seed, s)), where
//
//   simulationStreamKey(seed, s) = splitMix64 of the state (seed << 32) + s,
//
// i.e. one SplitMix64 step from that state, and seedStream fills the ran3 table and the
// Wichmann-Hill triple from the SplitMix64 sequence that starts at the key (random.h). So a
// simulation's random numbers depend on the seed and its number alone: the same for any number
// of threads, in any order, and when it is replayed alone.

#include <cstdint>

#include "foundation/random.h"

namespace orvantis {

inline std::uint64_t simulationStreamKey(int seed, int simulation) {
  std::uint64_t state = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(seed)) << 32) +
                        static_cast<std::uint32_t>(simulation);
  return splitMix64(state);
}

}  // namespace orvantis
