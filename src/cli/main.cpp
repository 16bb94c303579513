// The orvantis command: runs a study's workflow from its settings file without a window.

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string_view>

#include "cli/batch_command.h"
#include "cli/command_options.h"
#include "cli/console_window.h"
#include "cli/priors_command.h"
#include "cli/workflow.h"
#include "foundation/log.h"
#include "foundation/run_context.h"
#include "world/landscape/world.h"

int main(int argc, char** argv) {
  using namespace orvantis;
  if (argc > 1 && std::string_view(argv[1]) == "priors") {
    return runPriorsCommand(argc - 1, argv + 1, std::cout, std::cerr);
  }
  if (argc > 1 && std::string_view(argv[1]) == "batch") {
    return runBatchCommand(argc - 1, argv + 1, argv[0], std::cout, std::cerr);
  }
  TCommandOptions options;
  if (auto status = parseCommandLine(argc, argv, options)) return *status;

  // The log lives in the directory current at program start, created before anything else.
  TLogFile logFile;
  std::error_code error;
  options.logPath = (std::filesystem::current_path(error) / kLogFileName).string();
  const bool showProgress = !options.quiet && isatty(STDERR_FILENO) != 0;
  TConsoleWindow window(std::cerr, options.cancelOnQuestion, showProgress);
  TRunContext context(logFile.stream(), window);
  context.random.setFixedSeed(options.seed);

  // Creating the world seeds the generator, which writes the log header.
  World world(context);
  TCommandWorkflow workflow(world, options, std::cout);
  return workflow.run();
}
