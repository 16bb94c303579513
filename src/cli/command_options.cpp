#include "cli/command_options.h"

#include <CLI/CLI.hpp>

namespace orvantis {

namespace {
constexpr int kUsageError = 2;

std::string splitOverride(const std::string& text, std::pair<std::string, std::string>& out) {
  const auto eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return "expected KEY=VALUE, got '" + text + "'";
  out = {text.substr(0, eq), text.substr(eq + 1)};
  return {};
}
}  // namespace

std::optional<int> parseCommandLine(int argc, const char* const* argv, TCommandOptions& options) {
  CLI::App app{"ORVANTIS 3.0: spatially explicit simulation of population expansions", "orvantis"};
  app.set_version_flag("--version", "ORVANTIS 3.0");
  app.add_option("SETTINGS_FILE", options.settingsFile, "Settings file of the study")->required();
  app.add_option("--seed", options.seed,
                 "Seed of the random generator (0 <= N < 2000000) instead of the clock, so a run "
                 "repeats exactly")
      ->check(CLI::Range(0, 1999999));
  std::vector<std::string> sets;
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

  app.add_option("--every", options.every, "Generations between two output maps (default 50)")
      ->check(CLI::PositiveNumber);
  app.add_option("--zoom", options.zoom, "Pixels per cell side in the bitmaps, 1 to 8 (default 4)")
      ->check(CLI::Range(1, 8));
  app.add_flag("--gray", options.gray, "Draw the bitmaps in the gray style");
  app.add_option("--arrows", options.arrows,
                 "Draw immigration arrows over density and migration maps, one per A x A cells")
      ->type_name("A")
      ->check(CLI::PositiveNumber);
  app.add_flag("--legend", options.legend, "Also save the legend of each bitmap list");

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
  for (const std::string& text : sets) {
    std::pair<std::string, std::string> kv;
    splitOverride(text, kv);
    options.overrides.push_back(kv);
  }
  return std::nullopt;
}

}  // namespace orvantis
