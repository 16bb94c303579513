// ASCII grids: the input is one grid, read first as the present vegetation of the study of one
// population, then as every map of the full study (present and LGM vegetation, altitude,
// roughness, rivers, migration and admixture classes), whose world it shapes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/tiny_study.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view grid(reinterpret_cast<const char*>(data), size);
  const orvantis::fuzz::TTinyStudy& study = orvantis::fuzz::TTinyStudy::instance();
  constexpr const char* kGrid = "fuzz_grid.asc";
  study.write(kGrid, grid);
  study.run("settings.txt", {{"PresVegetationFile", kGrid}});
  study.write(kGrid, grid);
  study.run("settings_full.txt", {{"PresVegetationFile", kGrid},
                                  {"LGMVegetationFile", kGrid},
                                  {"AltitudeTopoFile", kGrid},
                                  {"RoughnessTopoFile", kGrid},
                                  {"HydroFile", kGrid},
                                  {"mMapFile", kGrid},
                                  {"AdmixMapFile", kGrid}});
  return 0;
}
