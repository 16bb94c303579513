#pragma once
// The seeds of the studies of a batch, derived from a master seed and the row number when the
// table gives none (and written into the seed column of a priors table).
//
// The seed of row r (from 1) is P_m((r - 1) mod 2000000), where P_m is a permutation of the seed
// range [0, 2000000) keyed by the master seed m: 2000000 consecutive rows get distinct seeds, and
// the seeds of two masters are unrelated. P_m works on 21-bit words (2^21 >= 2000000): with the
// key k = splitmix64(m), four rounds of x := ((x + k_i) * M_i) mod 2^21, x := x XOR (x >> 11),
// where k_i is bits 16i..16i+20 of k and M_i are fixed odd multipliers; each step is a bijection
// of the 21-bit words. A result outside the range is passed through the rounds again (cycle
// walking), which keeps the map a permutation of [0, 2000000).

#include <cstdint>

namespace orvantis {

// Seeds run from 0 to kSeedRange - 1, the range of the command's --seed.
inline constexpr int kSeedRange = 2000000;

// The seed of row `row` (from 1) under master seed `master`.
int rowSeed(std::int64_t master, std::int64_t row);

}  // namespace orvantis
