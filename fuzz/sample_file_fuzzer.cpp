// The sample file (".sam"): the input is the file, read by the genetic simulations of the tiny
// study with one population and with two, so that samples reach the demes, the genealogies and
// every genetic output.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "genetic_inputs.h"
#include "support/tiny_study.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view samples(reinterpret_cast<const char*>(data), size);
  if (!orvantis::fuzz::numbersBelow(samples, 5000)) return 0;
  const orvantis::fuzz::TTinyStudy& study = orvantis::fuzz::TTinyStudy::instance();
  constexpr const char* kSamples = "fuzz_samples.sam";
  for (const char* settings : {"settings.txt", "settings_two.txt"}) {
    study.write(kSamples, samples);
    study.run(settings, orvantis::fuzz::geneticOverrides(kSamples, "genetics.par"));
  }
  return 0;
}
