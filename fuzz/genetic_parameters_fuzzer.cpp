// The genetic parameters file (".par"): the input is the file, whose chromosomes the genetic
// simulations of the tiny study read, simulate, mutate and write out.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "genetic_inputs.h"
#include "support/tiny_study.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view parameters(reinterpret_cast<const char*>(data), size);
  if (!orvantis::fuzz::numbersAddUpBelow(parameters, 400)) return 0;
  const orvantis::fuzz::TTinyStudy& study = orvantis::fuzz::TTinyStudy::instance();
  constexpr const char* kParameters = "fuzz_genetics.par";
  study.write(kParameters, parameters);
  study.run("settings.txt", orvantis::fuzz::geneticOverrides("samples.sam", kParameters));
  return 0;
}
