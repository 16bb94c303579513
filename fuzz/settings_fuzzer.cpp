// The settings file: the input is the whole file, and the tiny study runs on it with its maps,
// tables, series, sources and places (support/tiny_study.h), which the file may name.

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "settings/settings.h"
#include "support/tiny_study.h"

namespace {

using orvantis::fuzz::TTinyStudy;

// A run's work grows with these values; beyond them a run only takes longer.
constexpr long kMaxEndTime = 64;
constexpr long kMaxExtraLddTries = 100;
constexpr long kMaxGenerationsBack = 2000;
constexpr long kMaxGeneticSimulations = 4;

// Whether the file keeps the run short: EndTime and LDDMaxNumTry as the run will read them.
bool keepsTheRunShort(const std::string& path) {
  std::ostream nowhere(nullptr);
  orvantis::TSettings settings(nowhere);
  try {
    settings.load(orvantis::my_string(path));
  } catch (...) {
    // A key the loading requires is missing: the run stops there too.
  }
  const auto number = [&](const char* key) {
    const auto it = settings.values().find(orvantis::my_string(key));
    return it == settings.values().end() ? 0L : it->second.toInt();
  };
  return number("EndTime") <= kMaxEndTime && number("LDDMaxNumTry") <= kMaxExtraLddTries &&
         number("MaxNumGenerations") <= kMaxGenerationsBack &&
         number("NumGeneticSimulations") <= kMaxGeneticSimulations;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (orvantis::fuzz::namesAPath(text)) return 0;
  const TTinyStudy& study = TTinyStudy::instance();
  study.write("fuzz_settings.txt", text);
  if (keepsTheRunShort(study.path("fuzz_settings.txt"))) {
    study.run("fuzz_settings.txt");
  } else {
    study.restore();
  }
  return 0;
}
