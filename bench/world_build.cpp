// Building a 1000 x 1000 world from ASCII grids: present vegetation with some water, altitude,
// roughness and hydrography maps, K and F tables, friction choice 2, coast and river factors.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/run_context.h"
#include "world/landscape/world.h"

namespace {

namespace fs = std::filesystem;
using orvantis::TRunContext;
using orvantis::TSilentWindow;
using orvantis::World;

constexpr int kSide = 1000;

// A grid whose value at (row, col) is value(row, col), written with the stream's formatting.
template <class Value>
void writeGrid(const fs::path& path, Value value) {
  std::ofstream out(path);
  out << "ncols " << kSide << "\nnrows " << kSide
      << "\nxllcorner 500000.5\nyllcorner 4200000\ncellsize 25\nNODATA_value -9999\n";
  for (int row = 0; row < kSide; ++row) {
    for (int col = 0; col < kSide; ++col) out << value(row, col) << ' ';
    out << '\n';
  }
}

// A lake in the middle and an irregular sea along the west edge.
bool isWater(int row, int col) {
  const int dr = row - kSide / 2;
  const int dc = col - kSide / 2;
  return dr * dr + dc * dc < 150 * 150 || col < (row * 7919) % 37;
}

struct Study {
  Study() {
    dir = fs::temp_directory_path() / ("orvantis_bench_world_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    writeGrid(dir / "veg.asc",
              [](int r, int c) { return isWater(r, c) ? -9999 : 1 + (r + c) % 5; });
    writeGrid(dir / "alt.asc", [](int r, int c) { return 0.25f * static_cast<float>(r + 2 * c); });
    writeGrid(dir / "rough.asc", [](int r, int) { return -0.001f * static_cast<float>(r % 500); });
    writeGrid(dir / "hydro.asc", [](int r, int c) { return c == r / 2 + 300 ? 1 : -9999; });
    std::ofstream(dir / "k.txt") << "1 100\n2 200\n3 50\n4 10\n5 400\n";
    std::ofstream(dir / "f.txt") << "1 0.5 a\n2 0.4 b\n3 0.3 c\n4 0.2 d\n5 0.1 e\n";
    std::ofstream(dir / "k_index.txt") << "1\n0 " << (dir / "k.txt").string() << "\n";
    std::ofstream(dir / "f_index.txt") << "1\n0 " << (dir / "f.txt").string() << "\n";
    settings = (dir / "settings.txt").string();
    std::ofstream(settings) << "DoublePopulationMode = 0\nChosenDemographicModel = 1\n"
                            << "EndTime = 10\nGenerationTime = 25\nFrictionChoice = 2\n"
                            << "PresVegetationFile = " << (dir / "veg.asc").string() << "\n"
                            << "AltitudeTopoFile = " << (dir / "alt.asc").string() << "\n"
                            << "RoughnessTopoFile = " << (dir / "rough.asc").string() << "\n"
                            << "HydroFile = " << (dir / "hydro.asc").string() << "\n"
                            << "Veg2KFile = " << (dir / "k_index.txt").string() << "\n"
                            << "Veg2FFile = " << (dir / "f_index.txt").string() << "\n"
                            << "CoastCarCapChangeFactor = 0.5\nRiverFrictionChangeFactor = 0.8\n";
  }
  ~Study() { fs::remove_all(dir); }

  fs::path dir;
  std::string settings;
};

void BM_BuildWorld1000x1000(benchmark::State& state) {
  static Study study;
  std::ostringstream log;
  TSilentWindow window;
  TRunContext context(log, window);
  context.random.setFixedSeed(1);
  World world(context);
  for (auto _ : state) {
    world.settings().reset();
    world.settings().load(study.settings.c_str());
    world.settings().fillTables();
    if (world.BuildWorld() != 1) {
      state.SkipWithError("BuildWorld failed");
      break;
    }
    benchmark::DoNotOptimize(world.numberOfCells());
    log.str("");
  }
  state.counters["cells"] = world.numberOfCells();
}
BENCHMARK(BM_BuildWorld1000x1000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
