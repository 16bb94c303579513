// The population sources file: the input is the file, in force in the study of one population
// (sources larger than their cell spread over the neighbours) and in the study of two
// populations (a second-population source converts individuals of the first).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/tiny_study.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view sources(reinterpret_cast<const char*>(data), size);
  const orvantis::fuzz::TTinyStudy& study = orvantis::fuzz::TTinyStudy::instance();
  constexpr const char* kSources = "fuzz_sources.txt";
  study.write(kSources, sources);
  study.run("settings.txt",
            {{"PopDensityFile", kSources}, {"AllowSourcePopulationOverflow", "0.0"}});
  study.write(kSources, sources);
  study.run("settings_two.txt", {{"PopDensityFile", kSources}});
  return 0;
}
