// Conversion tables and their index files. The first byte of the input says what the rest is:
// 'K', 'F', 'm' or 'A' a table of carrying capacities, frictions, migration rates or admixture
// rates, which a one-entry index file puts in force in a study that uses it; 'I' an index file
// in force for every kind of table of the full study (it may name the study's tables k_g0.txt,
// k_g10.txt, f_g0.txt, m_g0.txt and admix_g0.txt). Any other first byte runs each in turn.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/tiny_study.h"

namespace {

using orvantis::fuzz::TTinyStudy;

constexpr const char* kTable = "fuzz_table.txt";
constexpr const char* kIndex = "fuzz_index.txt";

void runTable(const TTinyStudy& study, char kind, std::string_view content) {
  if (kind == 'I') {
    study.write(kIndex, content);
    study.run("settings_full.txt", {{"Veg2KFile", kIndex},
                                    {"Veg2FFile", kIndex},
                                    {"Veg2mFile", kIndex},
                                    {"Veg2AdmixFile", kIndex}});
    return;
  }
  study.write(kTable, content);
  study.write(kIndex, "1\n0 " + std::string(kTable) + "\n");
  switch (kind) {
    case 'K':
      study.run("settings.txt", {{"Veg2KFile", kIndex}});
      break;
    case 'F':
      study.run("settings.txt", {{"Veg2FFile", kIndex}});
      break;
    case 'm':  // the long-distance model of the full study takes its rates from the table
      study.run("settings_full.txt", {{"Veg2mFile", kIndex}});
      break;
    default:
      study.run("settings_full.txt", {{"Veg2AdmixFile", kIndex}});
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char kind = static_cast<char>(data[0]);
  const std::string_view content(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (orvantis::fuzz::namesAPath(content)) return 0;
  const TTinyStudy& study = TTinyStudy::instance();
  constexpr char kKinds[] = {'K', 'F', 'm', 'A', 'I'};
  bool known = false;
  for (const char k : kKinds) known = known || k == kind;
  if (known) {
    runTable(study, kind, content);
  } else {
    for (const char k : kKinds) runTable(study, k, content);
  }
  return 0;
}
