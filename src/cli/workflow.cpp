#include "cli/workflow.h"

#include <filesystem>
#include <system_error>

#include "foundation/command_errors.h"
#include "foundation/paths.h"

namespace orvantis {

TCommandWorkflow::TCommandWorkflow(TRunContext& context, TExtendedSettings& settings,
                                   const TCommandOptions& options, std::ostream& out)
    : context_(context), settings_(settings), options_(options), out_(out) {}

int TCommandWorkflow::run() {
  if (!openSettings()) return 1;
  return 0;
}

void TCommandWorkflow::loadWithOverrides() {
  settings_.load(my_string(options_.settingsFile));
  for (const auto& [key, value] : options_.overrides) {
    settings_.setValue(my_string(key), my_string(value));
  }
}

bool TCommandWorkflow::openSettings() {
  try {
    settings_.reset();
    context_.log << "Reading setting file ..." << std::endl;
    loadWithOverrides();
    settings_.fillTables();
  } catch (const TException& e) {
    reportCommandException(context_.log, out_, context_.window, kLoadingPrefix, e);
    return false;
  } catch (...) {
    reportLoadingFailure(context_.window);
    return false;
  }
  // Relative file names in the settings are resolved from the settings file's directory.
  my_string directory(nativePath(my_string(options_.settingsFile)));
  directory.directoryPart();
  if (!directory.isEmpty()) {
    std::error_code error;
    std::filesystem::current_path(directory.c_str(), error);
    if (error) {
      context_.log << "ERROR: cannot change to the directory of the settings file '" << directory
                   << "': " << error.message() << std::endl;
      context_.window.messageBox("Cannot change to the directory of the settings file " +
                                     directory.str(),
                                 "ERROR: Settings File");
      return false;
    }
  }
  context_.log << "... Done !\n" << std::flush;
  return true;
}

}  // namespace orvantis
