#include "support/tiny_study.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <system_error>

#include "cli/command_options.h"
#include "cli/workflow.h"
#include "foundation/run_context.h"
#include "foundation/window_services.h"
#include "world/landscape/world.h"

namespace orvantis::fuzz {
namespace {

constexpr const char* kHeader =
    "ncols 6\nnrows 5\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";

// The lake of the present vegetation (column 3, rows 1 and 2) was land at the last glacial
// maximum, below the present sea level.
const std::pair<const char*, std::string> kStudyFiles[] = {
    {"vegetation.asc", std::string(kHeader) +
                           "1 1 2 2 3 4\n1 1 2 -9999 3 4\n1 2 2 -9999 3 3\n2 2 1 1 3 4\n"
                           "2 2 1 1 2 2\n"},
    {"lgm.asc",
     std::string(kHeader) + "3 3 3 4 4 4\n3 3 3 4 4 4\n2 3 3 4 4 4\n3 3 2 2 4 4\n3 3 2 2 3 3\n"},
    {"altitude.asc", std::string(kHeader) +
                         "120 150 300 400 800 1500\n100 130 250 -50 700 1400\n"
                         "80 110 200 -50 600 900\n60 90 150 200 500 1000\n40 70 100 150 300 400\n"},
    {"roughness.asc", std::string(kHeader) + "0.2 0.2 0.3 0.4 0.6 0.8\n0.2 0.2 0.3 0.3 0.6 0.8\n"
                                             "0.2 0.3 0.3 0.3 0.5 0.7\n0.3 0.3 0.2 0.2 0.5 0.7\n"
                                             "0.3 0.3 0.2 0.2 0.4 0.4\n"},
    {"rivers.asc", std::string(kHeader) +
                       "-9999 -9999 1 -9999 -9999 -9999\n-9999 -9999 1 -9999 -9999 -9999\n"
                       "-9999 -9999 1 -9999 -9999 -9999\n-9999 -9999 1 1 -9999 -9999\n"
                       "-9999 -9999 -9999 1 1 -9999\n"},
    {"mmap.asc",
     std::string(kHeader) + "0 0 1 1 2 2\n0 0 1 1 2 2\n0 1 1 1 2 2\n1 1 0 0 2 2\n1 1 0 0 1 1\n"},
    {"admix.asc",
     std::string(kHeader) + "0 0 0 1 1 1\n0 0 0 1 1 1\n0 0 1 1 1 1\n0 0 1 1 1 1\n0 0 1 1 1 1\n"},
    {"veg2k.txt", "2\n0 k_g0.txt\n10 k_g10.txt\n"},
    {"k_g0.txt", "1 150 grassland\n2 120 woodland\n3 80 forest\n4 20 rock\n"},
    {"k_g10.txt", "1 140 grassland\n2 110 woodland\n3 90 forest\n4 30 rock\n"},
    {"veg2f.txt", "1\n0 f_g0.txt\n"},
    {"f_g0.txt", "1 0.25 grassland\n2 0.35 woodland\n3 0.55 forest\n4 0.9 rock\n"},
    {"veg2m.txt", "1\n0 m_g0.txt\n"},
    {"m_g0.txt",
     "0 0.05 0.05 0.05 0.05 low\n1 0.1 0.02 0.1 0.02 northsouth\n"
     "2 0.2 0.2 0.2 0.2 high\n"},
    {"veg2admix.txt", "1\n0 admix_g0.txt\n"},
    {"admix_g0.txt", "0 0.1 0.1 low\n1 0.3 0.2 high\n"},
    {"vostok.txt", "-66600 -9\n-30000 -8\n-20000 -6\n-10000 -3\n0 0\n"},
    {"sealevel.txt", "-66600 -120\n-20000 -100\n-10000 -40\n0 0\n"},
    {"sources.txt", "1\nfounders 50 2.5 0.5 0 0 0 0 0 0\n"},
    {"sources_two.txt", "2\nfirst 50 2.5 0.5 0 0 0 0 0 0\nsecond 30 2.5 1.5 0 0 0 0 1 5\n"},
    {"places.col", "3\nnear 0 2.5 1.5 0\nfar 0 0.5 5.5 0\nforest 0 4.5 4.5 0\n"},
    // Genetic samples (a contemporary pair of samples in one deme, an ancient sample, one of the
    // second population, which a one-population run refuses) and markers of every type on two
    // chromosomes, the first recombining.
    {"samples.sam",
     "4\nhome 4 0 2.5 0.5\nhome_again 2 0 2.5 0.5\nold 2 0 2.5 1.5 12\nsecond 2 1 2.5 0.5\n"},
    {"genetics.par",
     "2\n#chromosome 1\n3\nDNA 6 0.01 0.001 0.3 0.2 0.2 0.3 1 4 1 1 4 1\n"
     "MICROSAT 3 0.01 0.01 0.3 10\nSNP 2 0.01 0.2\n#chromosome 2\n2\nRFLP 4 0 0.01\n"
     "MICROSAT 2 0 0.005 0 0\n"},
    {"settings.txt",
     "PresVegetationFile = vegetation.asc\nVeg2KFile = veg2k.txt\nVeg2FFile = veg2f.txt\n"
     "FrictionChoice = 0\nPopDensityFile = sources.txt\nArrivalCellFile = places.col\n"
     "DoublePopulationMode = 0\nChosenDemographicModel = 1\nGrowthRate = 0.5\n"
     "MigrationRate = 0.2\nEndTime = 20\nGenerationTime = 25\nRealBPTime = -500\n"
     "TauValue = 10\nGenerateOutputMDensityASCII = 1\nGenerateOutputOccupationASCII = 1\n"},
    {"settings_two.txt",
     "PresVegetationFile = vegetation.asc\nVeg2KFile = veg2k.txt\nVeg2FFile = veg2f.txt\n"
     "Veg2K_P2_File = veg2k.txt\nVeg2F_P2_File = veg2f.txt\nFrictionChoice = 0\n"
     "PopDensityFile = sources_two.txt\nArrivalCellFile = places.col\n"
     "DoublePopulationMode = 1\nChosenDemographicModel = 22\nGrowthRate = 0.5\n"
     "GrowthRate_P2 = 0.4\nMigrationRate = 0.2\nMigrationRate_P2 = 0.3\n"
     "MigrRate_P1_to_P2 = 0.05\nMigrRate_P2_to_P1 = 0.02\nDelayedMigration = 0.1\n"
     "EndTime = 20\nGenerationTime = 25\nRealBPTime = -500\nTauValue = 10\n"
     "GenerateOutputMDensityASCII = 1\nGenerateOutputMigrationASCII = 1\n"},
    {"settings_full.txt",
     "PresVegetationFile = vegetation.asc\nLGMVegetationFile = lgm.asc\n"
     "AltitudeTopoFile = altitude.asc\nRoughnessTopoFile = roughness.asc\n"
     "HydroFile = rivers.asc\nmMapFile = mmap.asc\nAdmixMapFile = admix.asc\n"
     "Veg2KFile = veg2k.txt\nVeg2FFile = veg2f.txt\nVeg2mFile = veg2m.txt\n"
     "Veg2AdmixFile = veg2admix.txt\nVostokFile = vostok.txt\nSeaLevelFile = sealevel.txt\n"
     "FrictionChoice = 2\nCoastCarCapChangeFactor = 1.2\nCoastFrictionChangeFactor = 0.8\n"
     "RiverFrictionChangeFactor = 0.5\nRiverCarCapChangeFactor = 1.5\n"
     "DynamicVegetationChangeTime = 100\nCoastAdaptationDuration = 200\n"
     "PopDensityFile = sources.txt\nArrivalCellFile = places.col\n"
     "DoublePopulationMode = 0\nChosenDemographicModel = 14\nGrowthRate = 0.6\n"
     "MigrationRate = 0.2\nLDDProportion = 0.1\nGammaShapeParamAllCells = 2\n"
     "GammaScaleParamAllCells = 0.5\nLDD_max_treshold = 6\nLDDMaxNumTry = 5\n"
     "EndTime = 30\nGenerationTime = 25\nRealBPTime = -20000\nTauValue = 10\n"
     "GenerateOutputMDensityBMP = 1\nGenerateOutputOccupationBMP = 1\n"
     "GenerateOutputMigrationBMP = 1\nGenerateOutputMDensityASCII = 1\n"},
};

// The directory the study is created in: $TMPDIR, else the system's temporary directory.
std::filesystem::path temporaryRoot() {
  if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp != '\0') return tmp;
  return std::filesystem::temp_directory_path();
}

// The context with the generator's messages (the seed line) sent to `out`, before the world
// seeds the generator.
TRunContext& withGeneratorOutput(TRunContext& context, std::ostream& out) {
  context.random.setOutput(out);
  return context;
}

}  // namespace

struct TStudyRun::TParts {
  std::ostream nowhere{nullptr};
  TSilentWindow window;
  TRunContext context{nowhere, window};
  World world{withGeneratorOutput(context, nowhere)};
};

TStudyRun::TStudyRun(const std::string& settingsPath, const TOverrides& overrides) {
  parts_ = std::make_unique<TParts>();
  TCommandOptions options;
  options.settingsFile = settingsPath;
  options.seed = 1;
  options.quiet = true;
  options.overrides = overrides;
  TCommandWorkflow workflow(parts_->world, options, parts_->nowhere);
  status_ = workflow.run();
}

TStudyRun::~TStudyRun() = default;

World& TStudyRun::world() {
  return parts_->world;
}

TRunContext& TStudyRun::context() {
  return parts_->context;
}

TTinyStudy& TTinyStudy::instance() {
  static TTinyStudy study;
  return study;
}

TTinyStudy::TTinyStudy() : startDirectory_(std::filesystem::current_path()) {
  std::string pattern = (temporaryRoot() / "orvantis_fuzz_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary directory from " + pattern);
  }
  directory_ = pattern;
  for (const auto& [name, content] : kStudyFiles) {
    write(name, content);
    studyFiles_.insert(name);
  }
}

TTinyStudy::~TTinyStudy() {
  std::error_code ignored;
  std::filesystem::current_path(startDirectory_, ignored);
  std::filesystem::remove_all(directory_, ignored);
}

void TTinyStudy::write(const std::string& name, std::string_view content) const {
  std::ofstream out(directory_ / name, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

int TTinyStudy::run(const std::string& settings, const TOverrides& overrides) const {
  int status = 1;
  {
    TStudyRun run(path(settings), overrides);
    status = run.status();
  }
  restore();
  return status;
}

void TTinyStudy::restore() const {
  std::error_code ignored;
  std::filesystem::current_path(startDirectory_, ignored);
  std::vector<std::filesystem::path> added;
  for (const auto& entry : std::filesystem::directory_iterator(directory_, ignored)) {
    if (studyFiles_.count(entry.path().filename().string()) == 0) added.push_back(entry.path());
  }
  for (const auto& file : added) std::filesystem::remove_all(file, ignored);
}

bool namesAPath(std::string_view text) {
  return text.find_first_of("/\\") != std::string_view::npos;
}

}  // namespace orvantis::fuzz
