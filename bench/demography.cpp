// Throughput and memory of the forward demographic simulation on three landscapes:
//   A  200 x 200 land cells, K = 100, F = 0.5, one source of 50 at the centre, EndTime 1000,
//      model 1 (even migrants);
//   B  the same under model 3 (stochastic migrants);
//   C  1000 x 1000 cells, EndTime 200, 16-bit database, model 1;
//   D  A's world under model 14 (long-distance dispersal: LDDProportion 0.05, gamma kernel of
//      shape 2 and rate 0.5, no maximum distance);
//   E  A's world under model 21 (two populations with assimilation, exchange rates 0.05 both
//      ways), with a second source of 50 taken from P1 at the centre at generation 100.
// Growth rate 0.5, migration rate 0.2 (both populations). The world is built from files written to
// a scratch directory, exactly as a study would be; the figures cover SimulateWorld (database
// writes included). Run one scenario per process so that the peak resident memory is that
// scenario's:
//   bench_demography A|B|C|D|E [warm] [memory|compressed|auto]
// With "warm" the database pages are touched before the run, which separates the cost of the
// simulation from the kernel's first-touch zeroing of the database's memory (plain rows only).
// The last word chooses where the database keeps its rows (default memory); to compare:
//   bench_demography A compressed  against  bench_demography A memory

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "bench_support.h"
#include "foundation/run_context.h"
#include "foundation/window_services.h"
#include "world/demography/simulate_world.h"
#include "world/landscape/world.h"

namespace {

using orvantis::bench::currentResidentMiB;
using orvantis::bench::peakResidentMiB;
using orvantis::bench::processCpuSeconds;
using orvantis::bench::threadCpuSeconds;
using orvantis::bench::writeFile;

struct Scenario {
  const char* name;
  int side;
  int endTime;
  int model;
  bool shortInt;
  bool twoPopulations = false;
  const char* modelSettings = "";
};

constexpr const char* kLddSettings =
    "LDDProportion=0.05\nGammaShapeParamAllCells=2\nGammaScaleParamAllCells=0.5\n";
constexpr const char* kTwoPopulationSettings =
    "GrowthRate_P2=0.5\nMigrationRate_P2=0.2\nMigrRate_P1_to_P2=0.05\n"
    "MigrRate_P2_to_P1=0.05\n";

constexpr Scenario kScenarios[] = {
    {"A", 200, 1000, 1, false},
    {"B", 200, 1000, 3, false},
    {"C", 1000, 200, 1, true},
    {"D", 200, 1000, 14, false, false, kLddSettings},
    {"E", 200, 1000, 21, false, true, kTwoPopulationSettings},
};

int runScenario(const Scenario& s, bool warm, orvantis::TDatabaseStorage storage) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("orvantis_bench_demography_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);

  std::string grid = orvantis::bench::uniformGrid(s.side, s.side);
  const double centre = s.side / 2 + 0.5;
  std::ostringstream sources;
  sources << (s.twoPopulations ? 2 : 1) << "\ncentre 50 " << centre << " " << centre
          << " 0 0 0 0 0 0\n";
  if (s.twoPopulations) sources << "second 50 " << centre << " " << centre << " 0 0 0 0 1 100\n";
  const std::string table = writeFile(dir, "k.txt", "1 100 grass\n");
  std::ostringstream settings;
  settings << "DoublePopulationMode=" << (s.twoPopulations ? 1 : 0)
           << "\nChosenDemographicModel=" << s.model << "\nEndTime=" << s.endTime
           << "\nGenerationTime=25\nGrowthRate=0.5\n"
           << "MigrationRate=0.2\nAllowShortIntForNumberOfIndividuals=" << (s.shortInt ? 1 : 0)
           << "\nPresVegetationFile=" << writeFile(dir, "veg.asc", grid)
           << "\nVeg2KFile=" << writeFile(dir, "veg2k.txt", "1\n0 " + table)
           << "\nPopDensityFile=" << writeFile(dir, "sources.txt", sources.str()) << "\n"
           << s.modelSettings;
  if (s.twoPopulations) {
    settings << "Veg2K_P2_File=" << writeFile(dir, "veg2k2.txt", "1\n0 " + table) << "\n";
  }
  const std::string settingsPath = writeFile(dir, "settings.txt", settings.str());
  grid.clear();
  grid.shrink_to_fit();

  std::ofstream log(dir / "bench.log");
  orvantis::TSilentWindow window;
  orvantis::TRunContext context(log, window);
  std::ostringstream randomOutput;
  context.random.setOutput(randomOutput);
  context.random.setFixedSeed(1);
  int status = 0;
  {
    orvantis::World world(context);
    world.setDatabaseStorage(storage);
    world.settings().reset();
    world.settings().load(settingsPath.c_str());
    world.settings().fillTables();
    if (world.BuildWorld() != 1) {
      std::cerr << "BuildWorld failed; see " << (dir / "bench.log") << "\n";
      return 1;
    }
    const double builtPeak = peakResidentMiB();
    const double builtResident = currentResidentMiB();
    if (warm && !world.database().isCompressed()) {
      // Touch every page of the database first, so that the run measures the simulation with
      // its writes but without the kernel's zeroing of fresh pages.
      orvantis::StateDB& db = world.database();
      for (int t = 0; t <= db.endTime(); ++t) {
        for (int i = 0; i < db.numEntries(); i += 64) db.set_N(i, 0, t, 0);
      }
    }
    float seconds = 0.0f;
    const double cpuStart = threadCpuSeconds();
    const double processStart = processCpuSeconds();
    if (orvantis::SimulateWorld(world, seconds) != 1) {
      std::cerr << "SimulateWorld failed; see " << (dir / "bench.log") << "\n";
      return 1;
    }
    const double cpu = threadCpuSeconds() - cpuStart;
    const double processCpu = processCpuSeconds() - processStart;
    long occupied = 0;
    for (int p = 0; p < world.numberOfPopulations(); ++p) {
      for (const orvantis::State& state : world.states(p)) occupied += state._N_POP > 0;
    }
    const double cellGenerations = static_cast<double>(world.numberOfCells()) * s.endTime;
    const orvantis::StateDB& db = world.database();
    const double rawMiB = static_cast<double>(db.rawSizeBytes()) / (1024.0 * 1024.0);
    const double heldMiB = static_cast<double>(db.heldBytes()) / (1024.0 * 1024.0);
    const double peak = peakResidentMiB();
    const double budget = 1.1 * heldMiB + 64.0;
    std::printf(
        "scenario %s%s: %d cells x %d generations, model %d, %s database\n"
        "  SimulateWorld %.3f s wall, %.3f s cpu (%.3f s with the packing thread): %.1f million "
        "cell-generations/s (wall), %.1f (cpu); %ld cells x populations occupied at the end\n"
        "  after BuildWorld: resident %.1f MiB, peak %.1f MiB\n"
        "  database %.1f MiB uncompressed, %.1f MiB held (%s, ratio %.1f), peak resident %.1f "
        "MiB, budget (1.1 x held + 64 MiB) %.1f MiB -> %s\n",
        s.name, warm ? " (database pages touched beforehand)" : "", world.numberOfCells(),
        s.endTime, s.model, s.shortInt ? "16-bit" : "32-bit", seconds, cpu, processCpu,
        cellGenerations / seconds / 1e6, cellGenerations / cpu / 1e6, occupied, builtResident,
        builtPeak, rawMiB, heldMiB, db.isCompressed() ? "compressed" : "plain",
        db.isCompressed() ? static_cast<double>(db.rawSizeBytes()) /
                                static_cast<double>(db.compressedRows()->compressedBytes())
                          : 1.0,
        peak, budget, peak <= budget ? "within" : "OVER");
  }
  std::filesystem::remove_all(dir);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  bool warm = false;
  orvantis::TDatabaseStorage storage = orvantis::TDatabaseStorage::Memory;
  bool usage = argc < 2;
  for (int i = 2; i < argc && !usage; ++i) {
    if (std::string(argv[i]) == "warm") {
      warm = true;
    } else if (!orvantis::parseStorage(argv[i], storage)) {
      usage = true;
    }
  }
  if (usage) {
    std::cerr << "usage: " << argv[0] << " A|B|C|D|E [warm] [memory|compressed|auto]\n";
    return 2;
  }
  for (const Scenario& s : kScenarios) {
    if (argv[1] == std::string(s.name)) return runScenario(s, warm, storage);
  }
  std::cerr << "unknown scenario " << argv[1] << "\n";
  return 2;
}
