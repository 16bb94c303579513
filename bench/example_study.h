#pragma once
// The example study built and simulated once for a benchmark process: its World with the stored
// demography, a fixed seed, and a scratch directory for the outputs, removed at the end.

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "foundation/run_context.h"
#include "foundation/window_services.h"
#include "world/demography/simulate_world.h"
#include "world/landscape/world.h"

namespace orvantis {

struct TExampleStudy {
  std::ostringstream log;
  TSilentWindow window;
  std::ostringstream randomOutput;
  TRunContext context{log, window};
  std::unique_ptr<World> world;
  std::filesystem::path example =
      std::filesystem::path(ORVANTIS_SOURCE_DIR) / "examples" / "expansion";
  std::filesystem::path dir;  // scratch directory, "" until the study is simulated

  TExampleStudy(const TExampleStudy&) = delete;
  TExampleStudy& operator=(const TExampleStudy&) = delete;

  // Enters the example's directory, builds the world, simulates its demography and makes the
  // scratch directory <temp>/<scratchPrefix><pid>; when a step fails it says so on standard
  // error and simulated() is false.
  explicit TExampleStudy(const std::string& scratchPrefix) {
    context.random.setOutput(randomOutput);
    context.random.setFixedSeed(12345);
    std::error_code error;
    std::filesystem::current_path(example, error);
    if (error) {
      std::cerr << "cannot enter " << example << ": " << error.message() << "\n";
      return;
    }
    world = std::make_unique<World>(context);
    TExtendedSettings& settings = world->settings();
    settings.reset();
    settings.load("settings.txt");
    settings.fillTables();
    float seconds = 0;
    if (world->BuildWorld() != 1 || SimulateWorld(*world, seconds) != 1) {
      std::cerr << "the example study failed:\n" << log.str() << "\n";
      world.reset();
      return;
    }
    dir = std::filesystem::temp_directory_path() / (scratchPrefix + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  ~TExampleStudy() {
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }

  bool simulated() const { return !dir.empty(); }
};

}  // namespace orvantis
