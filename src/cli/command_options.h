#pragma once
// What the orvantis command was asked to do.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "coalescent/genetic_options.h"
#include "world/database/database_storage.h"

namespace orvantis {

struct TCommandOptions {
  std::string settingsFile;
  std::optional<int> seed;
  std::vector<std::pair<std::string, std::string>> overrides;  // --set KEY=VALUE, in order
  bool quiet = false;
  bool cancelOnQuestion = false;
  // Demographic outputs.
  int every = 50;             // generations between two maps of a list
  int zoom = 4;               // pixels per cell side in the bitmaps
  bool gray = false;          // gray instead of colour scales
  std::optional<int> arrows;  // immigration arrows with this aggregation factor
  bool legend = false;        // also save the legend of each bitmap list
  // The demographic database.
  TDatabaseStorage database = TDatabaseStorage::Auto;
  std::uint64_t memoryLimit = 0;  // bytes the database may take, 0 for what the system allows
  std::string saveDemography;     // file to save the demography to, "" for none
  // "orvantis genetics": genetic simulations over a saved demography.
  bool genetics = false;
  std::string demographyFile;
  // The genetic simulations after the demography (when the settings name a sample file and a
  // genetic parameters file), and the choices no settings key carries.
  bool noGenetics = false;
  TGeneticOptions geneticOptions;
  int geneticPopulation = 1;       // --genetic-population, from 1
  bool summaryStatistics = false;  // --summary-stats
  // --threads N: the simulations as independent replicates on N threads (0: one per core).
  std::optional<int> threads;
  // --simulations FROM-TO (or S): only those replicates; 0, 0 for all.
  int firstSimulation = 0;
  int lastSimulation = 0;
  bool vcf = false;  // --vcf: a VCF file per simulation
  // The command line as given, program name first (for the run manifest).
  std::vector<std::string> arguments;
  // Where the log file lives (the directory current at program start).
  std::string logPath;
};

// Parses the command line ("orvantis [options] SETTINGS_FILE" or "orvantis genetics
// --demography FILE [options] SETTINGS_FILE"). Returns the exit status to end with when the
// program must stop now (0 after --help or --version, 2 after a usage error, with CLI11's message
// already printed).
std::optional<int> parseCommandLine(int argc, const char* const* argv, TCommandOptions& options);

}  // namespace orvantis
