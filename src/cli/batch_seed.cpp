#include "cli/batch_seed.h"

namespace orvantis {

namespace {

std::uint64_t splitmix64(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

constexpr std::uint32_t kBits = 21;
constexpr std::uint32_t kMask = (1u << kBits) - 1;
constexpr std::uint32_t kMultipliers[4] = {0x1e3d5b, 0x0b7a95, 0x15c6e3, 0x1a9f2d};

std::uint32_t permuteWord(std::uint32_t x, std::uint64_t key) {
  for (int i = 0; i < 4; ++i) {
    const auto k = static_cast<std::uint32_t>(key >> (16 * i)) & kMask;
    x = ((x + k) * kMultipliers[i]) & kMask;
    x ^= x >> 11;
  }
  return x;
}

}  // namespace

int rowSeed(std::int64_t master, std::int64_t row) {
  const std::uint64_t key = splitmix64(static_cast<std::uint64_t>(master));
  std::int64_t index = (row - 1) % kSeedRange;
  if (index < 0) index += kSeedRange;
  std::uint32_t x = static_cast<std::uint32_t>(index);
  do {
    x = permuteWord(x, key);
  } while (x >= static_cast<std::uint32_t>(kSeedRange));
  return static_cast<int>(x);
}

}  // namespace orvantis
