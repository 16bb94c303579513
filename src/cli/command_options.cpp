#include "cli/command_options.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <map>

#include "coalescent/driver.h"

namespace orvantis {

namespace {
constexpr int kUsageError = 2;

// "FROM-TO" or "S" into a range of simulations; an error text when it is neither.
std::string splitSimulations(const std::string& text, int& first, int& last) {
  const auto number = [](const std::string& digits, int& value) {
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    value = std::stoi(digits);
    return value >= 1;
  };
  const auto dash = text.find('-');
  const bool ok = dash == std::string::npos
                      ? number(text, first) && number(text, last)
                      : number(text.substr(0, dash), first) && number(text.substr(dash + 1), last);
  if (!ok || last < first) {
    return "expected FROM-TO with 1 <= FROM <= TO, or one simulation number, got '" + text + "'";
  }
  return {};
}

std::string splitOverride(const std::string& text, std::pair<std::string, std::string>& out) {
  const auto eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return "expected KEY=VALUE, got '" + text + "'";
  out = {text.substr(0, eq), text.substr(eq + 1)};
  return {};
}

// The options the study workflow and the genetics subcommand share.
void addCommonOptions(CLI::App& app, TCommandOptions& options, std::vector<std::string>& sets) {
  app.set_version_flag("--version", "ORVANTIS 3.0");
  app.add_option("SETTINGS_FILE", options.settingsFile, "Settings file of the study")->required();
  app.add_option("--seed", options.seed,
                 "Seed of the random generator (0 <= N < 2000000) instead of the clock, so a run "
                 "repeats exactly")
      ->check(CLI::Range(0, 1999999));
  app.add_option("--set", sets,
                 "Store VALUE under KEY after every load of the settings file, as the window's "
                 "typed values do (repeatable)")
      ->type_name("KEY=VALUE")
      ->each([](const std::string& text) {
        std::pair<std::string, std::string> kv;
        const std::string error = splitOverride(text, kv);
        if (!error.empty()) throw CLI::ValidationError("--set", error);
      });
  app.add_flag("--quiet", options.quiet, "Do not show progress");
  app.add_flag("--cancel-on-question", options.cancelOnQuestion,
               "Answer every question with Cancel/No instead of OK/Yes");
  app.add_option("--memory-limit", options.memoryLimit,
                 "Most memory the demographic database may take, e.g. 8G (K, M, G, T: powers of "
                 "1024); default: what the system allows")
      ->type_name("SIZE")
      ->transform(CLI::AsSizeValue(false));
}

// The genetic simulations' choices that no settings key carries (the check boxes and fields of
// the window's coalescent page), shared by the study workflow and the genetics subcommand.
void addGeneticOptions(CLI::App& app, TCommandOptions& options) {
  TGeneticOptions& genetic = options.geneticOptions;
  app.add_flag("--gray", options.gray, "Draw the bitmaps in the gray style");
  app.add_flag("--coal-trees", genetic.coalescentTrees,
               "Genetics: save each genealogy drawn over its coalescence counts, "
               "B_CoalTree_<s>.bmp (genealogies without recombination)");
  app.add_flag("--coal-spatial", genetic.spatialCoalescence,
               "Genetics: save the coalescence counts of every genealogy, "
               "B_NumCoal_sim<s>_chrom<c>.bmp");
  app.add_flag("--coal-temporal", genetic.temporalCoalescence,
               "Genetics: write the generation of every coalescence to B.coal (also needs "
               "TemporalCoalescenceFile = 1 in the settings)");
  app.add_flag("--genetic-bitmaps", genetic.geneticBitmaps,
               "Genetics: save snapshots of the demography under the samples during every "
               "genealogy, bmp/genetic_g<G>.bmp");
  app.add_option("--genetic-every", genetic.geneticBitmapStep,
                 "Genetics: generations between two snapshots of --genetic-bitmaps (default 100)")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  app.add_option("--genetic-background", genetic.background,
                 "Genetics: background of the snapshots, occupation or density of the population "
                 "of --genetic-population (default occupation)")
      ->type_name("occupation|density")
      ->transform(CLI::CheckedTransformer(std::map<std::string, TGeneticBitmapBackground>{
          {"occupation", TGeneticBitmapBackground::Occupation},
          {"density", TGeneticBitmapBackground::Density}}));
  app.add_option("--genetic-population", options.geneticPopulation,
                 "Genetics: population whose density the snapshots show, 1 or 2 (default 1)")
      ->type_name("P")
      ->check(CLI::Range(1, 2));
  app.add_option("--coal-zoom", genetic.coalescenceZoom,
                 "Genetics: pixels per cell of the coalescence tree bitmaps and snapshots, one "
                 "of 1, 2, 3, 4, 5, 6, 8, 10 (default 4)")
      ->type_name("Z")
      ->check(CLI::IsMember({1, 2, 3, 4, 5, 6, 8, 10}));
  app.add_flag("--summary-stats", options.summaryStatistics,
               "Genetics: write the summary statistics of every simulation (diversity per sample "
               "and pooled, differentiation per pair of samples) to B_summary_stats.tsv");
  CLI::Option* threads =
      app.add_option("--threads", options.threads,
                     "Genetics: run the simulations as independent replicates on N threads (0: "
                     "one per core; at most 1024). Each simulation then draws from a generator "
                     "of its own, seeded from the seed and its number, so every output is the "
                     "same for any N; without --threads the simulations draw from one sequence")
          ->type_name("N")
          ->check([](const std::string& text) -> std::string {
            const bool digits =
                !text.empty() && text.size() <= 9 &&
                text.find_first_not_of("0123456789", text[0] == '-' ? 1 : 0) == std::string::npos &&
                text != "-";
            if (digits && std::stoi(text) >= 0 && std::stoi(text) <= kMaxReplicateThreads) {
              return {};
            }
            return "expected a number of threads from 0 (one per core) to " +
                   std::to_string(kMaxReplicateThreads) + ", got '" + text + "'";
          });
  app.add_option_function<std::string>(
         "--simulations",
         [&options](const std::string& text) {
           (void)splitSimulations(text, options.firstSimulation, options.lastSimulation);
         },
         "Genetics: with --threads, run only simulations FROM to TO (or simulation S), each "
         "with its own generator, to replay them (see the run manifest)")
      ->type_name("FROM-TO")
      ->check([](const std::string& text) {
        int first = 0;
        int last = 0;
        return splitSimulations(text, first, last);
      })
      ->needs(threads);
  app.add_flag("--vcf", options.vcf,
               "Genetics: also write each simulation's DNA and SNP data as a VCF 4.2 file, "
               "B_<s>.vcf beside its project file");
}

// The choices that follow from other options once the command line is read.
void completeGeneticOptions(TCommandOptions& options) {
  TGeneticOptions& genetic = options.geneticOptions;
  genetic.population = options.geneticPopulation - 1;
  genetic.colours = options.gray ? TGeneticBitmapColours::Gray : TGeneticBitmapColours::Colour;
}

int parse(CLI::App& app, int argc, const char* const* argv) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsageError;
  }
  return -1;
}

void storeOverrides(const std::vector<std::string>& sets, TCommandOptions& options) {
  for (const std::string& text : sets) {
    std::pair<std::string, std::string> kv;
    splitOverride(text, kv);
    options.overrides.push_back(kv);
  }
}

std::optional<int> parseGenetics(int argc, const char* const* argv, TCommandOptions& options) {
  CLI::App app{"ORVANTIS 3.0: genetic simulations over a saved demography", "orvantis genetics"};
  std::vector<std::string> sets;
  options.genetics = true;
  addCommonOptions(app, options, sets);
  app.add_option("--demography", options.demographyFile,
                 "Saved demography (written by --save-demography) to run the genetic "
                 "simulations over; the settings must describe the same world")
      ->type_name("FILE")
      ->required();
  addGeneticOptions(app, options);
  const int status = parse(app, argc, argv);
  if (status >= 0) return status;
  storeOverrides(sets, options);
  completeGeneticOptions(options);
  return std::nullopt;
}

void storeArguments(int argc, const char* const* argv, TCommandOptions& options) {
  options.arguments.assign(argv, argv + argc);
}

}  // namespace

std::optional<int> parseCommandLine(int argc, const char* const* argv, TCommandOptions& options) {
  storeArguments(argc, argv, options);
  if (argc > 1 && std::string(argv[1]) == "genetics") {
    return parseGenetics(argc - 1, argv + 1, options);
  }
  CLI::App app{"ORVANTIS 3.0: spatially explicit simulation of population expansions", "orvantis"};
  std::vector<std::string> sets;
  addCommonOptions(app, options, sets);
  app.footer("Genetic simulations over a saved demography: orvantis genetics --help");

  app.add_option("--every", options.every, "Generations between two output maps (default 50)")
      ->check(CLI::PositiveNumber);
  app.add_option("--zoom", options.zoom, "Pixels per cell side in the bitmaps, 1 to 8 (default 4)")
      ->check(CLI::Range(1, 8));
  app.add_option("--arrows", options.arrows,
                 "Draw immigration arrows over density and migration maps, one per A x A cells")
      ->type_name("A")
      ->check(CLI::PositiveNumber);
  app.add_flag("--legend", options.legend, "Also save the legend of each bitmap list");
  app.add_option("--database", options.database,
                 "Where the demographic database keeps its rows: memory (plain), compressed, or "
                 "auto (compressed only when the plain rows would not fit in memory; default)")
      ->type_name("memory|compressed|auto")
      ->transform(CLI::CheckedTransformer(
          std::map<std::string, TDatabaseStorage>{{"memory", TDatabaseStorage::Memory},
                                                  {"compressed", TDatabaseStorage::Compressed},
                                                  {"auto", TDatabaseStorage::Auto}}));
  app.add_option("--save-demography", options.saveDemography,
                 "After the demographic simulation, save the world and its demography to FILE "
                 "for later genetic simulations (orvantis genetics)")
      ->type_name("FILE");
  app.add_flag("--no-genetics", options.noGenetics,
               "Stop after the demography even when the settings name a sample file and a "
               "genetic parameters file");
  addGeneticOptions(app, options);

  const int status = parse(app, argc, argv);
  if (status >= 0) return status;
  if (options.noGenetics && (options.vcf || options.firstSimulation > 0)) {
    std::cerr << (options.vcf ? "--vcf" : "--simulations")
              << " asks for genetic simulations, which --no-genetics skips\n"
              << "Run with --help for more information.\n";
    return kUsageError;
  }
  storeOverrides(sets, options);
  completeGeneticOptions(options);
  return std::nullopt;
}

}  // namespace orvantis
