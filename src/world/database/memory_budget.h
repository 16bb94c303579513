#pragma once
// How much memory this process may still take before the system refuses it or kills the process,
// so that large structures can be refused up front with a clear message.

#include <cstdint>

namespace orvantis {

inline constexpr std::uint64_t kUnlimitedBytes = UINT64_MAX;

// The smallest of: the system's available memory (MemAvailable plus free swap), the room left
// under the address-space limit (RLIMIT_AS) and the room left in the process's memory cgroup.
// kUnlimitedBytes when none of them can be read.
std::uint64_t availableMemoryBytes();

// a·b, or false when the product does not fit in 64 bits.
inline bool multiplyBytes(std::uint64_t a, std::uint64_t b, std::uint64_t& product) {
  return !__builtin_mul_overflow(a, b, &product);
}

}  // namespace orvantis
