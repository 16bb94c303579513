#pragma once
// The study workflow of the command line: the window's commands in order, without the window.

#include <ostream>

#include "cli/command_options.h"
#include "foundation/run_context.h"
#include "settings/settings.h"

namespace orvantis {

class TCommandWorkflow {
 public:
  TCommandWorkflow(TRunContext& context, TExtendedSettings& settings,
                   const TCommandOptions& options, std::ostream& out);

  // Runs every step; returns the exit status (0 success, 1 failure).
  int run();

 private:
  // "Open Settings...": reset, load, fillTables, and the settings' directory becomes current.
  bool openSettings();
  // Loads the settings file and stores the --set values over it.
  void loadWithOverrides();

  TRunContext& context_;
  TExtendedSettings& settings_;
  const TCommandOptions& options_;
  std::ostream& out_;
};

}  // namespace orvantis
