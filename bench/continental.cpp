// A continental study forward and backward with the compressed demographic database:
//   COLUMNS x ROWS cells of uniform land (default 400 x 250 = 100 000 cells), K = 100, F = 0.5,
//   model 1 (growth rate 0.5, migration rate 0.2), one source of 50 in the north-west corner,
//   generations 0 to END_TIME (default 20 000); 10 samples of 20 genes spread from the source's
//   corner to the far side, one chromosome of 100 DNA sites and 10 microsatellites.
// The plain database of such a study (40 GB in 32 bits) does not fit in memory; the compressed
// one does. The program builds the world from files written to a scratch directory, simulates
// it, writes the demographic report, walks every generation back from END_TIME through a reader
// reading 200 demes per generation, runs GENEALOGIES genetic simulations of the 200 genes over
// the compressed database held in memory, saves the demography, loads it into a new world
// (memory-mapped) and runs the same genetic simulations over it from the generator state the file
// keeps, checking that both series wrote the same project files. It prints the time of each phase,
// the compression ratio and the peak resident memory. One run takes many minutes and some
// gigabytes: run it alone.
//   bench_continental [COLUMNS ROWS END_TIME [GENEALOGIES]] [16]
// GENEALOGIES defaults to 2; "16" stores 16-bit values (AllowShortIntForNumberOfIndividuals=1).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "bench_support.h"
#include "coalescent/deme_collection.h"
#include "coalescent/driver.h"
#include "foundation/run_context.h"
#include "foundation/window_services.h"
#include "world/demography/report.h"
#include "world/demography/simulate_world.h"
#include "world/landscape/world.h"

namespace {

using namespace orvantis::bench;

constexpr int kSampledDemes = 200;

// Ten samples of 20 genes on the diagonal from near the source to the far corner.
std::string sampleFile(int cols, int rows) {
  std::ostringstream text;
  text << "10\n";
  for (int k = 0; k < 10; ++k) {
    const int row = (rows - 1) * (k + 1) / 11;
    const int col = (cols - 1) * (k + 1) / 11;
    text << "s" << k + 1 << " 20 0 " << rows - row - 0.5 << " " << col + 0.5 << "\n";
  }
  return text.str();
}

// The genetic series over a world, with its wall and process cpu times; the project files it
// wrote, in order.
struct TBackward {
  double seconds = 0.0;
  double cpu = 0.0;
  int completed = 0;
  std::string projects;
};

TBackward backward(orvantis::World& world, orvantis::TRunContext& context,
                   const std::filesystem::path& dir, int genealogies) {
  TBackward result;
  orvantis::TDemeCollection collection(world, context.log, context.window, context.random);
  orvantis::TGeneticRunInputs inputs;
  std::ostringstream console;
  inputs.console = &console;
  const double start = wallSeconds();
  const double cpuStart = processCpuSeconds();
  const orvantis::TGeneticRunReport report =
      orvantis::SimulateGeneticData(world, inputs, collection);
  result.seconds = wallSeconds() - start;
  result.cpu = processCpuSeconds() - cpuStart;
  result.completed = report.status == orvantis::TGeneticRunStatus::Completed ? report.completed : 0;
  for (int s = 1; s <= genealogies; ++s) {
    std::ifstream in(dir / "GeneticsOutput" / ("settings_samples_" + std::to_string(s) + ".arp"));
    std::ostringstream text;
    text << in.rdbuf();
    result.projects += text.str();
  }
  std::filesystem::remove_all(dir / "GeneticsOutput");
  return result;
}

int run(int cols, int rows, int endTime, int genealogies, bool shortInt) {
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
           << "\nSampleFile=" << writeFile(dir, "samples.sam", sampleFile(cols, rows))
           << "\nGeneticFile="
           << writeFile(dir, "genetics.par",
                        "1\n#chromosome 1\n2\nDNA 100 0 0.00001 0.25 0.25 0.25 0.25 1 4 1 1 4 1\n"
                        "MICROSAT 10 0 0.0005 0 0\n")
           << "\nNumGeneticSimulations=" << genealogies
           << "\nMaxNumGenerations=10000000\nNexusFile=0\nGenealogiesFile=0\n";
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
    double phaseCpu = processCpuSeconds();
    orvantis::printDemographicReport(world);
    const double reportSeconds = wallSeconds() - start;
    const double reportCpu = processCpuSeconds() - phaseCpu;

    // The coalescent's reading order: every generation from EndTime down, rows of g and g - 1.
    const orvantis::StateDB& db = world.database();
    start = wallSeconds();
    phaseCpu = processCpuSeconds();
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
    const double walkCpu = processCpuSeconds() - phaseCpu;

    const double cells = world.numberOfCells();
    const double raw = static_cast<double>(db.rawSizeBytes());
    const double packed = static_cast<double>(db.compressedRows()->compressedBytes());
    std::printf(
        "continental study: %d x %d = %.0f land cells, generations 0 to %d, model 1, %s values, "
        "compressed database\n"
        "  BuildWorld %.2f s (resident %.1f MiB after it)\n"
        "  forward simulation %.1f s wall, %.1f s cpu with the packing thread: %.1f million "
        "cell-generations/s (%.1f per cpu second)\n"
        "  database %.0f MiB compressed from %.0f MiB: ratio %.1f\n"
        "  demographic report %.2f s wall, %.2f s cpu; reading every generation back (%d demes) "
        "%.1f s wall, %.1f s cpu (checksum %ld)\n"
        "  peak resident memory %.0f MiB after the forward phase\n",
        cols, rows, cells, endTime, shortInt ? "16-bit" : "32-bit", buildSeconds, builtResident,
        forwardSeconds, forwardCpu, cells * endTime / forwardSeconds / 1e6,
        cells * endTime / forwardCpu / 1e6, packed / 1048576.0, raw / 1048576.0, raw / packed,
        reportSeconds, reportCpu, kSampledDemes, walkSeconds, walkCpu, sum, forwardPeak);
    std::fflush(stdout);

    // The backward phase over the compressed database held in memory, from the generator's state
    // after the forward phase.
    const orvantis::TRandomState afterForward = context.random.state();
    const TBackward inMemory = backward(world, context, dir, genealogies);
    std::printf(
        "  backward, compressed database in memory: %d genealogies of 200 genes completed of %d, "
        "%.1f s wall, %.1f s cpu (%.1f s cpu per genealogy); peak resident memory %.0f MiB\n",
        inMemory.completed, genealogies, inMemory.seconds, inMemory.cpu, inMemory.cpu / genealogies,
        peakResidentMiB());
    std::fflush(stdout);

    // Saved, loaded into a new world and simulated again from the state the file keeps.
    const std::string savedPath = (dir / "continental.demography").string();
    start = wallSeconds();
    if (world.saveDemography(savedPath) != 1) {
      std::cerr << "saveDemography failed; see " << (dir / "bench.log") << "\n";
      return 1;
    }
    const double saveSeconds = wallSeconds() - start;
    const double savedMiB = static_cast<double>(std::filesystem::file_size(savedPath)) / 1048576.0;
    orvantis::World loaded(context);
    start = wallSeconds();
    if (loaded.loadSavedDemography(savedPath) != 1) {
      std::cerr << "loadSavedDemography failed; see " << (dir / "bench.log") << "\n";
      return 1;
    }
    loaded.settings().reset();
    loaded.settings().load(settingsPath.c_str());
    loaded.settings().fillTables();
    if (loaded.checkSettingsMatchSavedDemography() != 1) {
      std::cerr << "the settings do not match the saved demography; see " << (dir / "bench.log")
                << "\n";
      return 1;
    }
    const double loadSeconds = wallSeconds() - start;
    if (loaded.randomStateAfterDemography() != afterForward ||
        loaded.resumeRandomSequenceAfterDemography() != 1) {
      std::cerr << "the saved demography does not keep the generator's state\n";
      return 1;
    }
    const TBackward fromFile = backward(loaded, context, dir, genealogies);
    std::printf(
        "  saved demography: %.1f MiB written in %.1f s, loaded and checked in %.2f s\n"
        "  backward, saved demography (memory-mapped): %d genealogies completed of %d, %.1f s "
        "wall, %.1f s cpu (%.1f s cpu per genealogy), project files %s those of the compressed "
        "database in memory\n"
        "  peak resident memory %.0f MiB at the end\n",
        savedMiB, saveSeconds, loadSeconds, fromFile.completed, genealogies, fromFile.seconds,
        fromFile.cpu, fromFile.cpu / genealogies,
        fromFile.projects == inMemory.projects && !inMemory.projects.empty() ? "identical to"
                                                                             : "DIFFERENT FROM",
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
  int genealogies = 2;
  bool shortInt = false;
  int numbers = argc - 1;
  if (numbers > 0 && std::string(argv[argc - 1]) == "16") {
    shortInt = true;
    --numbers;
  }
  if (numbers >= 3) {
    cols = std::atoi(argv[1]);
    rows = std::atoi(argv[2]);
    endTime = std::atoi(argv[3]);
  }
  if (numbers == 4) genealogies = std::atoi(argv[4]);
  if (cols < 1 || rows < 1 || endTime < 1 || genealogies < 1 ||
      (numbers != 0 && numbers != 3 && numbers != 4)) {
    std::cerr << "usage: " << argv[0] << " [COLUMNS ROWS END_TIME [GENEALOGIES]] [16]\n";
    return 2;
  }
  return run(cols, rows, endTime, genealogies, shortInt);
}
