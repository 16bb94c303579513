#pragma once
// What the orvantis command was asked to do.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvantis {

struct TCommandOptions {
  std::string settingsFile;
  std::optional<int> seed;
  std::vector<std::pair<std::string, std::string>> overrides;  // --set KEY=VALUE, in order
  bool quiet = false;
  bool cancelOnQuestion = false;
};

// Parses the command line. Returns the exit status to end with when the program must stop now
// (0 after --help or --version, 2 after a usage error, with CLI11's message already printed).
std::optional<int> parseCommandLine(int argc, const char* const* argv, TCommandOptions& options);

}  // namespace orvantis
