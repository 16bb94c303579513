#pragma once
// SHA-256 (FIPS 180-4), for the digest that ties a saved demography to the settings and input
// files that built it and for the integrity check of the saved file's tables.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvantis {

using TSha256Digest = std::array<std::uint8_t, 32>;

class TSha256 {
 public:
  TSha256() { reset(); }
  void reset();
  void update(const void* data, std::size_t bytes);
  void update(std::string_view text) { update(text.data(), text.size()); }
  // The digest of everything given since the last reset; the object is reset afterwards.
  TSha256Digest finish();

  static TSha256Digest of(std::string_view text) {
    TSha256 h;
    h.update(text);
    return h.finish();
  }

 private:
  void compress(const std::uint8_t* block);

  std::uint32_t state_[8];
  std::uint8_t buffer_[64];
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes given so far
};

// Lower-case hexadecimal digits of a digest.
std::string toHex(const TSha256Digest& digest);

}  // namespace orvantis
