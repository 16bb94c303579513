// The orvantis command: runs a study's workflow from its settings file without a window.

#include <unistd.h>

#include <iostream>

#include "cli/command_options.h"
#include "cli/console_window.h"
#include "cli/workflow.h"
#include "foundation/log.h"
#include "foundation/run_context.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
  using namespace orvantis;
  TCommandOptions options;
  if (auto status = parseCommandLine(argc, argv, options)) return *status;

  // The log lives in the directory current at program start, created before anything else.
  TLogFile logFile;
  const bool showProgress = !options.quiet && isatty(STDERR_FILENO) != 0;
  TConsoleWindow window(std::cerr, options.cancelOnQuestion, showProgress);
  TRunContext context(logFile.stream(), window);
  context.random.setFixedSeed(options.seed);
  context.random.initialize_ran3(1);

  TExtendedSettings settings(context.log);
  TCommandWorkflow workflow(context, settings, options, std::cout);
  return workflow.run();
}
