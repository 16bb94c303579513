// orvantis_replicates: the demography of a study, then many genetic simulations over it, each
// reduced to one record of statistics, for the validation suite (validation/README.md).
//
//   orvantis_replicates [--seed N] [--set KEY=VALUE]... [--records FILE]
//                       [--dump-demography FILE] [--log FILE] SETTINGS_FILE
//
// The world is built and its demography simulated as the orvantis command does (model, sources,
// database); with --records the genetic simulations of the settings (NumGeneticSimulations of
// them, over SampleFile and GeneticFile) run through the driver's series and write one record
// per simulation; with --dump-demography the stored sizes and arrivals are written out. Relative
// file names on the command line are taken from where the program starts; those in the settings
// from the settings file's directory. Exit status 0 on success, 1 when a step fails, 2 for a
// usage error.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "demography_dump.h"
#include "foundation/exception.h"
#include "foundation/log.h"
#include "foundation/run_context.h"
#include "replicate_series.h"
#include "world/demography/simulate_world.h"
#include "world/landscape/world.h"

namespace {

using namespace orvantis;

struct TOptions {
  std::optional<int> seed;
  std::vector<std::pair<std::string, std::string>> overrides;
  std::string records;
  std::string demography;
  std::string log = "orvantis_replicates.log";
  std::string settings;
};

int usage(const std::string& problem) {
  std::cerr << "orvantis_replicates: " << problem
            << "\nusage: orvantis_replicates [--seed N] [--set KEY=VALUE]... [--records FILE] "
               "[--dump-demography FILE] [--log FILE] SETTINGS_FILE\n";
  return 2;
}

std::string absolute(const std::string& path) {
  return path.empty() ? path : std::filesystem::absolute(path).string();
}

std::optional<int> parse(int argc, char** argv, TOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--seed" && hasValue) {
      try {
        std::size_t used = 0;
        const std::string text = argv[++i];
        const int seed = std::stoi(text, &used);
        if (used != text.size() || seed < 0 || seed >= 2000000) throw std::out_of_range(text);
        options.seed = seed;
      } catch (const std::exception&) {
        return usage("--seed takes an integer from 0 to 1999999");
      }
    } else if (arg == "--set" && hasValue) {
      const std::string pair = argv[++i];
      const std::size_t eq = pair.find('=');
      if (eq == std::string::npos || eq == 0) return usage("--set takes KEY=VALUE");
      options.overrides.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
    } else if (arg == "--records" && hasValue) {
      options.records = argv[++i];
    } else if (arg == "--dump-demography" && hasValue) {
      options.demography = argv[++i];
    } else if (arg == "--log" && hasValue) {
      options.log = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && options.settings.empty()) {
      options.settings = arg;
    } else {
      return usage("unexpected argument '" + arg + "'");
    }
  }
  if (options.settings.empty()) return usage("no settings file");
  return std::nullopt;
}

void loadSettings(World& world, const TOptions& options, const std::string& fileName) {
  TExtendedSettings& settings = world.settings();
  settings.reset();
  settings.load(my_string(fileName));
  for (const auto& [key, value] : options.overrides) {
    settings.setValue(my_string(key), my_string(value));
  }
  settings.fillTables();
}

int run(World& world, const TOptions& options) {
  std::ostream& log = world.context().log;
  const std::filesystem::path settingsPath(options.settings);
  if (settingsPath.has_parent_path()) std::filesystem::current_path(settingsPath.parent_path());
  const std::string fileName = settingsPath.filename().string();
  try {
    loadSettings(world, options, fileName);
    if (world.BuildWorld() == 0) {
      std::cerr << "the world cannot be built (see the log)\n";
      return 1;
    }
    float seconds = 0.0f;
    if (SimulateWorld(world, seconds) == 0) {
      std::cerr << "the demographic simulation failed (see the log)\n";
      return 1;
    }
    if (!options.demography.empty() && dumpDemography(world, options.demography) == 0) return 1;
    if (options.records.empty()) return 0;
    std::ofstream records(options.records, std::ios::binary | std::ios::trunc);
    TReplicateCounts counts;
    if (!runReplicateSeries(world, records, counts)) {
      std::cerr << "the genetic simulations did not run (see the log)\n";
      return 1;
    }
    records.close();
    if (!records) {
      std::cerr << "cannot write " << options.records << "\n";
      return 1;
    }
    std::cout << "simulations " << counts.simulations << " finished " << counts.finished
              << " failed " << counts.failed << "\n";
  } catch (const TException& e) {
    log << "\nERROR:" << e.what() << std::endl;
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  if (const auto status = parse(argc, argv, options)) return *status;
  options.records = absolute(options.records);
  options.demography = absolute(options.demography);
  options.log = absolute(options.log);
  options.settings = absolute(options.settings);
  TLogFile logFile(options.log);
  TSilentWindow window;
  TRunContext context(logFile.stream(), window);
  context.random.setFixedSeed(options.seed);
  World world(context);
  return run(world, options);
}
