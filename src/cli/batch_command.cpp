#include "cli/batch_command.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <random>

#include "cli/batch_files.h"
#include "cli/batch_plan.h"
#include "cli/batch_process.h"
#include "cli/batch_runner.h"
#include "cli/batch_seed.h"
#include "cli/batch_summary.h"
#include "cli/command_options.h"

namespace orvantis {

namespace fs = std::filesystem;

namespace {

// The options after "--" that every study gets; --seed belongs to the batch.
bool checkStudyOptions(const std::vector<std::string>& options, std::ostream& err) {
  for (const std::string& option : options) {
    if (option == "--seed" || option.rfind("--seed=", 0) == 0) {
      err << "ERROR: the studies' seeds come from the table's seed column or from the batch's "
             "--seed (before --), not from the options after --\n";
      return false;
    }
  }
  // The study's own parser judges them, as it will for every row.
  std::vector<const char*> argv{"orvantis"};
  for (const std::string& option : options) argv.push_back(option.c_str());
  argv.push_back("settings.txt");
  TCommandOptions parsed;
  const std::optional<int> status =
      parseCommandLine(static_cast<int>(argv.size()), argv.data(), parsed);
  return !status.has_value();
}

// Makes the runs folder and checks that files can be written in it.
bool prepareRunsFolder(const fs::path& runs, const fs::path& study, std::string& error) {
  std::error_code code;
  fs::create_directories(runs, code);
  if (code || !fs::is_directory(runs, code)) {
    error = runs.string() + ": cannot be made (" + code.message() + ")";
    return false;
  }
  const fs::path canonicalRuns = fs::canonical(runs, code);
  const fs::path canonicalStudy = fs::canonical(study, code);
  const auto inside = [](const fs::path& inner, const fs::path& outer) {
    const auto mismatch = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return mismatch.first == outer.end();
  };
  if (inside(canonicalStudy, canonicalRuns)) {
    error = runs.string() + ": the study folder " + study.string() +
            " lies inside it; give the runs another folder (--runs)";
    return false;
  }
  if (!writeFileAtomically((runs / kBatchFolderMarker).string(),
                           "This folder holds the studies of an orvantis batch.\n", error)) {
    error = runs.string() + ": cannot be written in (" + error + ")";
    return false;
  }
  return true;
}

}  // namespace

int runBatchCommand(int argc, const char* const* argv, const char* programArgv0, std::ostream& out,
                    std::ostream& err) {
  // Everything after "--" goes to the studies.
  std::vector<std::string> studyOptions;
  int ownArgc = argc;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--") {
      ownArgc = i;
      studyOptions.assign(argv + i + 1, argv + argc);
      break;
    }
  }

  CLI::App app{"ORVANTIS 3.0: one whole study per row of a table, for ABC", "orvantis batch"};
  std::string tablePath;
  std::string settingsPath;
  int jobs = availableProcessors();
  bool resume = false;
  bool quiet = false;
  std::string runsPath = "runs";
  std::optional<int> masterSeed;
  app.add_option("TABLE", tablePath,
                 "Table of the rows: columns name, seed and settings keys, tab-separated")
      ->required();
  app.add_option("SETTINGS_FILE", settingsPath,
                 "Settings file of the study (default: settings.txt next to the table)");
  app.add_option("--jobs", jobs, "Rows run at once (default: all cores)")
      ->check(CLI::Range(1, 1024));
  app.add_flag("--resume", resume, "Skip the rows whose folder holds a complete result");
  app.add_option("--runs", runsPath, "Folder of the rows' folders and the summary (default runs)")
      ->type_name("DIR");
  app.add_option("--seed", masterSeed,
                 "Master seed of the studies' seeds when the table has no seed column "
                 "(0 <= M < 2000000; default from the clock)")
      ->check(CLI::Range(0, kSeedRange - 1));
  app.add_flag("--quiet", quiet, "No progress bar and no line per row");
  app.footer("Options after -- are given to every study (e.g. -- --database compressed).");
  try {
    app.parse(ownArgc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    app.exit(e, out, err);
    return 2;
  }
  if (!checkStudyOptions(studyOptions, err)) return 2;

  std::string error;
  TBatchTable table;
  if (!readBatchTable(tablePath, table, error)) {
    err << "ERROR: " << error << "\n";
    return 1;
  }
  std::error_code code;
  if (settingsPath.empty()) {
    settingsPath = (fs::absolute(tablePath).parent_path() / "settings.txt").string();
  }
  if (!fs::is_regular_file(settingsPath, code)) {
    err << "ERROR: " << settingsPath << ": no such settings file\n";
    return 1;
  }
  const fs::path settingsFile = fs::absolute(settingsPath).lexically_normal();
  const fs::path studyFolder = settingsFile.parent_path();
  const fs::path runs = fs::absolute(runsPath).lexically_normal();
  if (!prepareRunsFolder(runs, studyFolder, error)) {
    err << "ERROR: " << error << "\n";
    return 1;
  }
  TStudyMirror mirror;
  if (!mirror.scan(studyFolder, runs, error)) {
    err << "ERROR: " << error << "\n";
    return 1;
  }

  TBatchPlanInputs inputs;
  inputs.settingsFile = settingsFile.string();
  for (std::size_t i = 0; i + 1 < studyOptions.size(); ++i) {
    if (studyOptions[i] != "--set") continue;
    const std::string& text = studyOptions[i + 1];
    const std::size_t eq = text.find('=');
    inputs.commonOverrides.emplace_back(text.substr(0, eq), text.substr(eq + 1));
  }
  if (!table.hasSeeds) {
    inputs.masterSeed =
        masterSeed ? *masterSeed : static_cast<int>(std::random_device{}() % kSeedRange);
  }
  std::vector<TRowPlan> plans;
  if (!planBatch(table, mirror, inputs, plans, error)) {
    err << "ERROR: " << error << "\n";
    return 1;
  }

  TBatchRunOptions options;
  options.program = currentProgramPath(programArgv0);
  options.childOptions = studyOptions;
  options.settingsFileName = settingsFile.filename().string();
  options.runsFolder = runs;
  options.jobs = jobs;
  options.resume = resume;
  options.quiet = quiet;
  options.progressBar = !quiet && ::isatty(STDERR_FILENO) != 0;
  options.summaryStatistics = true;
  if (!quiet) {
    out << "Batch of " << table.rows.size() << " studies from " << tablePath << " over "
        << settingsFile.string() << ", " << jobs << " at a time, in " << runs.string() << "\n";
    if (!table.hasSeeds) out << "Seeds derived from the master seed " << inputs.masterSeed << "\n";
    out << std::flush;
  }
  TBatchRunner runner(plans, mirror, options, out, err);
  const TBatchCounts counts = runner.run();

  const bool summaryOk = writeBatchSummary(table, plans, runs, error);
  if (!summaryOk) err << "ERROR: " << error << "\n";
  if (!quiet) {
    const int ran = counts.done + counts.failed;
    out << (counts.interrupted ? "Interrupted: " : "") << ran << " studies run (" << counts.done
        << " complete, " << counts.failed << " failed), " << counts.skipped
        << " complete before, in " << std::fixed << std::setprecision(1) << counts.seconds << " s";
    if (ran > 0 && counts.seconds > 0) {
      out << " (" << std::setprecision(0) << ran * 3600.0 / counts.seconds << " studies per hour)";
    }
    out << std::defaultfloat << "\nSummary: " << (runs / kBatchSummaryFile).string() << "\n"
        << std::flush;
  }
  if (counts.interrupted) return 130;
  return counts.failed > 0 || !summaryOk ? 1 : 0;
}

}  // namespace orvantis
