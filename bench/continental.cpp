// A continental study forward with the compressed demographic database:
//   COLUMNS x ROWS cells of uniform land (default 400 x 250 = 100 000 cells), K = 100, F = 0.5,
//   model 1 (growth rate 0.5, migration rate 0.2), one source of 50 in the north-west corner,
//   generations 0 to END_TIME (default 20 000).
// The plain database of such a study (40 GB in 32 bits) does not fit in memory; the compressed
// one does. The program builds the world from files written to a scratch directory, simulates it,
// writes the demographic report, and then walks every generation back from END_TIME through a
// reader, as the coalescent will, reading 200 demes per generation. It prints the time of each
// phase, the compression ratio and the peak resident memory. One run takes minutes and some
// gigabytes: run it alone.
//   bench_continental [COLUMNS ROWS END_TIME] [16]
// "16" stores 16-bit values (AllowShortIntForNumberOfIndividuals=1).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "bench_support.h"
#include "foundation/run_context.h"
#include "foundation/window_services.h"
#include "world/demography/report.h"
#include "world/demography/simulate_world.h"
#include "world/landscape/world.h"

namespace {

using namespace orvantis::bench;

constexpr int kSampledDemes = 200;

int run(int cols, int rows, int endTime, bool shortInt) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("orvantis_bench_continental_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string table = writeFile(dir, "k.txt", "1 100 grass\n");
  std::ostringstream settings;
  settings << "DoublePopulationMode=0\nChosenDemographicModel=1\nEndTime=" << endTime
           << "\nGenerationTime=25\nGrowthRate=0.5\nMigrationRate=0.2\n"
           << "AllowShortIntForNumberOfIndividuals=" << (shortInt ? 1 : 0)
           << "\nPresVegetationFile=" << writeFile(dir, "veg.asc", uniformGrid(cols, rows))
           << "\nVeg2KFile=" << writeFile(dir, "veg2k.txt", "1\n0 " + table) << "\nPopDensityFile="
           << writeFile(dir, "sources.txt",
                        "1\ncorner 50 " + std::to_string(rows - 0.5) + " 0.5 0 0 0 0 0 0\n")
           << "\n";
  const std::string settingsPath = writeFile(dir, "settings.txt", settings.str());

  std::ofstream log(dir / "bench.log");
  orvantis::TSilentWindow window;
  orvantis::TRunContext context(log, window);
  std::ostringstream randomOutput;
  context.random.setOutput(randomOutput);
  context.random.setFixedSeed(1);
  {
    orvantis::World world(context);
    world.setDatabaseStorage(orvantis::TDatabaseStorage::Compressed);
    world.settings().reset();
    world.settings().load(settingsPath.c_str());
    world.settings().fillTables();
    double start = wallSeconds();
    if (world.BuildWorld() != 1) {
      std::cerr << "BuildWorld failed; see " << (dir / "bench.log") << "\n";
      return 1;
    }
    const double buildSeconds = wallSeconds() - start;
    const double builtResident = currentResidentMiB();

    float simulated = 0.0f;
    start = wallSeconds();
    const double cpuStart = processCpuSeconds();
    if (orvantis::SimulateWorld(world, simulated) != 1) {
      std::cerr << "SimulateWorld failed; see " << (dir / "bench.log") << "\n";
      return 1;
    }
    const double forwardSeconds = wallSeconds() - start;
    const double forwardCpu = processCpuSeconds() - cpuStart;
    const double forwardPeak = peakResidentMiB();

    start = wallSeconds();
    orvantis::printDemographicReport(world);
    const double reportSeconds = wallSeconds() - start;

    // The coalescent's reading order: every generation from EndTime down, rows of g and g - 1.
    const orvantis::StateDB& db = world.database();
    start = wallSeconds();
    orvantis::TDemographyReader reader(db);
    long sum = 0;
    for (int g = db.endTime(); g >= 1; --g) {
      const orvantis::TGenerationView now = reader.row(g);
      const orvantis::TGenerationView before = reader.row(g - 1);
      for (int k = 0; k < kSampledDemes; ++k) {
        const int c = static_cast<int>((static_cast<long>(k) * 7919) % db.numEntries());
        sum += now.get_N(c, 0) - before.get_N(c, 0) +
               now.get_migrFromNeighbour(c, 0, orvantis::FromSide::West);
      }
    }
    const double walkSeconds = wallSeconds() - start;

    const double cells = world.numberOfCells();
    const double raw = static_cast<double>(db.rawSizeBytes());
    const double packed = static_cast<double>(db.compressedRows()->compressedBytes());
    std::printf(
        "continental study: %d x %d = %.0f land cells, generations 0 to %d, model 1, %s values, "
        "compressed database\n"
        "  BuildWorld %.2f s (resident %.1f MiB after it)\n"
        "  forward simulation %.1f s wall, %.1f s cpu with the packing thread: %.1f million "
        "cell-generations/s\n"
        "  database %.0f MiB compressed from %.0f MiB: ratio %.1f\n"
        "  demographic report %.2f s; backward walk over every generation (%d demes) %.1f s "
        "(checksum %ld)\n"
        "  peak resident memory %.0f MiB after the forward phase, %.0f MiB at the end\n",
        cols, rows, cells, endTime, shortInt ? "16-bit" : "32-bit", buildSeconds, builtResident,
        forwardSeconds, forwardCpu, cells * endTime / forwardSeconds / 1e6, packed / 1048576.0,
        raw / 1048576.0, raw / packed, reportSeconds, kSampledDemes, walkSeconds, sum, forwardPeak,
        peakResidentMiB());
  }
  std::filesystem::remove_all(dir);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int cols = 400;
  int rows = 250;
  int endTime = 20000;
  bool shortInt = false;
  int first = 1;
  if (argc >= 4) {
    cols = std::atoi(argv[1]);
    rows = std::atoi(argv[2]);
    endTime = std::atoi(argv[3]);
    first = 4;
  }
  for (int i = first; i < argc; ++i) shortInt |= std::string(argv[i]) == "16";
  if (cols < 1 || rows < 1 || endTime < 1 || (argc != 1 && argc != 2 && argc != 4 && argc != 5)) {
    std::cerr << "usage: " << argv[0] << " [COLUMNS ROWS END_TIME] [16]\n";
    return 2;
  }
  return run(cols, rows, endTime, shortInt);
}
