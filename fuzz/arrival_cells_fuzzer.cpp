// The arrival-cell file (".col"): the input is the file of places, whose times of arrival are
// written from the demography of the study of two populations (run once for all inputs).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "support/tiny_study.h"
#include "world/landscape/world.h"
#include "world/output/arrival_cells.h"
#include "world/output/world_map.h"

namespace {

using orvantis::fuzz::TStudyRun;
using orvantis::fuzz::TTinyStudy;

TStudyRun& finishedStudy() {
  static TStudyRun& run = []() -> TStudyRun& {
    static TStudyRun study(TTinyStudy::instance().path("settings_two.txt"), {});
    TTinyStudy::instance().restore();
    if (study.status() != 0) std::abort();  // the harness's own study must run
    return study;
  }();
  return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TStudyRun& run = finishedStudy();
  const TTinyStudy& study = TTinyStudy::instance();
  study.write("fuzz_places.col", std::string_view(reinterpret_cast<const char*>(data), size));
  std::filesystem::current_path(study.directory());
  const orvantis::TWorldDemographyMap map(run.world(), run.world().seaLevelSeries());
  static_cast<void>(orvantis::ReadAndWriteArrivalCell(run.context(), map, "fuzz_places.col"));
  study.restore();
  return 0;
}
