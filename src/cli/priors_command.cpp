#include "cli/priors_command.h"

#include <CLI/CLI.hpp>

#include "cli/batch_files.h"
#include "cli/batch_seed.h"
#include "cli/priors_draw.h"

namespace orvantis {

namespace {

struct TPriorsOptions {
  std::string priorsFile;
  long long rows = 0;
  int seed = 0;
  std::string output;
};

}  // namespace

int runPriorsCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"ORVANTIS 3.0: draw a table of settings values from priors, for orvantis batch",
               "orvantis priors"};
  TPriorsOptions options;
  app.add_option("PRIORS", options.priorsFile, "Priors file: lines KEY = DISTRIBUTION p1 [p2 ...]")
      ->required();
  app.add_option("--n", options.rows, "Number of rows to draw")
      ->required()
      ->check(CLI::Range(1LL, 100000000LL));
  app.add_option("--seed", options.seed,
                 "Seed of the draws (0 <= S < 2000000); the rows' study seeds derive from it")
      ->required()
      ->check(CLI::Range(0, kSeedRange - 1));
  app.add_option("-o,--output", options.output,
                 "Write the table to FILE instead of standard output")
      ->type_name("FILE");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    app.exit(e, out, err);
    return 2;
  }

  std::vector<TPrior> priors;
  std::string error;
  if (!readPriorsFile(options.priorsFile, priors, error)) {
    err << "ERROR: " << error << "\n";
    return 1;
  }
  TPriorTable table;
  if (!drawPriorTable(priors, options.rows, options.seed, options.priorsFile, table, error)) {
    err << "ERROR: " << error << "\n";
    return 1;
  }
  const std::string text = tableText(table);
  if (options.output.empty()) {
    out << text << std::flush;
    return out ? 0 : 1;
  }
  if (!writeFileAtomically(options.output, text, error)) {
    err << "ERROR: " << error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace orvantis
