#include "cli/workflow.h"

#include <filesystem>
#include <iomanip>
#include <system_error>

#include "cli/list_legends.h"
#include "foundation/command_errors.h"
#include "foundation/paths.h"
#include "world/demography/report.h"
#include "world/demography/simulate_world.h"
#include "world/output/arrival_cells.h"
#include "world/output/demographic_files.h"

namespace orvantis {

namespace {
constexpr const char* kSettingsWarningCaption = "WARNING: settings file";

bool flagIsSet(TExtendedSettings& settings, const char* key) {
  return settings.hasKey(my_string(key)) && settings.intValue(my_string(key)) != 0;
}
}  // namespace

TCommandWorkflow::TCommandWorkflow(World& world, const TCommandOptions& options, std::ostream& out)
    : world_(world),
      settings_(world.settings()),
      context_(world.context()),
      options_(options),
      out_(out) {}

namespace {
std::string absolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.string();
}
}  // namespace

int TCommandWorkflow::run() {
  world_.setDatabaseStorage(options_.database);
  world_.setDatabaseMemoryLimit(options_.memoryLimit);
  saveDemographyPath_ = absolutePath(options_.saveDemography);
  demographyPath_ = absolutePath(options_.demographyFile);
  if (options_.genetics) return runGenetics();
  if (!openSettings()) return 1;
  if (const int refused = refuseUnrunnableGeneticRequests()) return refused;
  if (!buildWorld()) return 1;
  if (!simulateDemography()) return 1;
  if (!saveDemographyPath_.empty() && !saveDemography()) return 1;
  const bool outputsOk = writeOutputs();
  bool geneticsOk = true;
  std::string why;
  if (settingsNameGeneticFiles(why)) {
    if (options_.noGenetics) {
      geneticsNote_ = "skipped (--no-genetics)";
    } else {
      geneticsOk = simulateGenetics();
    }
  } else if (!settings_.fileParameter(FileParam::SampleFile).isEmpty() ||
             !settings_.fileParameter(FileParam::GeneticFile).isEmpty()) {
    geneticsNote_ = "none, " + why;
  }
  printSummary(outputsOk);
  return outputsOk && geneticsOk ? 0 : 1;
}

bool TCommandWorkflow::saveDemography() {
  try {
    return world_.saveDemography(saveDemographyPath_) == 1;
  } catch (const TException& e) {
    reportCommandException(context_.log, out_, context_.window, kSimulatingPrefix, e);
    return false;
  }
}

int TCommandWorkflow::runGenetics() {
  if (!openSettings()) return 1;
  if (const int refused = refuseUnrunnableGeneticRequests()) return refused;
  context_.log << "Loading saved demography ..." << std::endl;
  if (world_.loadSavedDemography(demographyPath_) == 0) return 1;
  try {
    if (world_.checkSettingsMatchSavedDemography() == 0) return 1;
  } catch (const TException& e) {
    reportCommandException(context_.log, out_, context_.window, kLoadingPrefix, e);
    return 1;
  }
  const StateDB& db = world_.database();
  out_ << "Demography: " << world_.ncols() << " x " << world_.nrows() << " cells, "
       << world_.numberOfCells() << " active, generations 0 to " << db.endTime() << ", "
       << db.numberOfPopulations() << " population(s), from " << demographyPath_ << "\n";
  out_ << "The settings describe the world of the saved demography.\n";
  chooseRandomSequence();
  std::string why;
  bool ok = false;
  if (settingsNameGeneticFiles(why)) {
    ok = simulateGenetics();
  } else {
    context_.log << "ERROR: {orvantis genetics} [" << why << "]" << std::endl;
    context_.window.messageBox("Nothing to simulate: " + why + ".", "ERROR: genetics");
  }
  printGeneticSummary();
  if (!options_.logPath.empty()) out_ << "Log: " << options_.logPath << '\n';
  out_ << std::flush;
  return ok ? 0 : 1;
}

void TCommandWorkflow::chooseRandomSequence() {
  const std::optional<TRandomState>& saved = world_.randomStateAfterDemography();
  if (saved && options_.seed && *options_.seed == saved->seed &&
      world_.resumeRandomSequenceAfterDemography() == 1) {
    out_ << "Random sequence: seed " << saved->seed
         << ", continued from the end of the saved demography's simulation\n";
    return;
  }
  const int seed = context_.random.seed();
  context_.log << "Random generator: a new sequence of seed " << seed
               << " for the genetic simulations" << std::endl;
  out_ << "Random sequence: seed " << seed << ", new";
  if (saved) {
    out_ << " (--seed " << saved->seed
         << " continues the sequence of the run that saved the demography)";
  }
  out_ << "\n";
}

void TCommandWorkflow::applyOverrides() {
  for (const auto& [key, value] : options_.overrides) {
    settings_.setValue(my_string(key), my_string(value));
  }
}

void TCommandWorkflow::loadWithOverrides() {
  settings_.load(my_string(options_.settingsFile), options_.overrides);
}

bool TCommandWorkflow::openSettings() {
  try {
    settings_.reset();
    context_.log << "Reading setting file ..." << std::endl;
    loadWithOverrides();
    settings_.fillTables();
    showSettingsWarnings();
  } catch (const TException& e) {
    showSettingsWarnings();
    reportCommandException(context_.log, out_, context_.window, kLoadingPrefix, e);
    return false;
  } catch (...) {
    showSettingsWarnings();
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
      context_.window.messageBox(
          "Cannot change to the directory of the settings file " + directory.str(),
          "ERROR: Settings File");
      return false;
    }
  }
  context_.log << "... Done !\n" << std::flush;
  return true;
}

bool TCommandWorkflow::buildWorld() {
  // The settings file is named relative to where the command started; it is now the current
  // directory's file.
  const my_string fileName = [&] {
    my_string name(nativePath(my_string(options_.settingsFile)));
    name.fileNamePart();
    return name;
  }();
  try {
    settings_.reset();
    context_.log << "Building world ..." << std::endl;
    settings_.load(fileName, options_.overrides);
    settings_.fillTables();
    const int built = world_.BuildWorld();
    showSettingsWarnings();
    if (built == 0) {
      context_.window.messageBox("Error with constructing a World", "ERROR: BuildWorld");
      return false;
    }
  } catch (const TException& e) {
    showSettingsWarnings();
    reportCommandException(context_.log, out_, context_.window, kLoadingPrefix, e);
    return false;
  } catch (...) {
    showSettingsWarnings();
    reportLoadingFailure(context_.window);
    return false;
  }
  return true;
}

bool TCommandWorkflow::simulateDemography() {
  try {
    context_.log << "Simulating demography ..." << std::endl;
    applyOverrides();
    settings_.fillTables();
    showSettingsWarnings();
    // The progress bar starts at 0, as the window's does when RUN is pressed.
    context_.window.progress(
        {"Demographic simulation", 0, settings_.intParameter(IntParam::EndTime)});
    const int simulated = SimulateWorld(world_, simulationSeconds_);
    showSettingsWarnings();
    if (simulated == 0) return false;
    printDemographicReport(world_);
  } catch (const TException& e) {
    showSettingsWarnings();
    reportCommandException(context_.log, out_, context_.window, kSimulatingPrefix, e);
    return false;
  } catch (...) {
    showSettingsWarnings();
    reportSimulatingFailure(context_.window);
    return false;
  }
  return true;
}

bool TCommandWorkflow::writeOutputs() {
  TDemographicOutputRequest request;
  request.step = options_.every;
  request.drawing.zoom = options_.zoom;
  request.drawing.style = options_.gray ? TColourStyle::Gray : TColourStyle::Colour;
  if (options_.arrows) {
    request.drawing.drawImmigrations = true;
    request.drawing.aggregation = *options_.arrows;
  }
  try {
    request.bitmapDensity = flagIsSet(settings_, "GenerateOutputMDensityBMP");
    request.bitmapOccupation = flagIsSet(settings_, "GenerateOutputOccupationBMP");
    request.bitmapMigration = flagIsSet(settings_, "GenerateOutputMigrationBMP");
    request.ascii.density = flagIsSet(settings_, "GenerateOutputMDensityASCII");
    request.ascii.migration = flagIsSet(settings_, "GenerateOutputMigrationASCII");
    request.ascii.occupation = flagIsSet(settings_, "GenerateOutputOccupationASCII");
    request.arrivalTimes = settings_.hasKey(my_string("ArrivalCellFile"));
    bool ok = writeDemographicOutputs(world_, request, world_.seaLevelSeries()) == 1;
    if (options_.legend) ok &= saveListLegends(world_, request) == 1;
    showSettingsWarnings();
    return ok;
  } catch (const TException& e) {
    showSettingsWarnings();
    reportCommandException(context_.log, out_, context_.window, kSimulatingPrefix, e);
    return false;
  }
}

void TCommandWorkflow::showSettingsWarnings() {
  for (const std::string& warning : settings_.takeWarnings()) {
    context_.window.messageBox(warning, kSettingsWarningCaption);
  }
}

void TCommandWorkflow::printSummary(bool outputsOk) const {
  namespace fs = std::filesystem;
  const fs::path here = fs::current_path();
  out_ << "World: " << world_.ncols() << " x " << world_.nrows() << " cells, "
       << world_.numberOfCells() << " active\n";
  out_ << "Simulated " << settings_.intParameter(IntParam::EndTime) << " generations in "
       << std::fixed << std::setprecision(2) << simulationSeconds_ << std::defaultfloat << " s\n";
  const StateDB& db = world_.database();
  if (db.isCompressed()) {
    const std::uint64_t packed = db.compressedRows()->compressedBytes();
    out_ << "Database: compressed, " << packed << " bytes (" << std::fixed << std::setprecision(1)
         << (packed > 0 ? static_cast<double>(db.rawSizeBytes()) / static_cast<double>(packed)
                        : 0.0)
         << " times smaller than uncompressed)" << std::defaultfloat << "\n";
  } else {
    out_ << "Database: in memory, " << db.heldBytes() << " bytes\n";
  }
  if (!saveDemographyPath_.empty()) out_ << "Demography saved to " << saveDemographyPath_ << "\n";
  out_ << "Outputs in " << here.string() << ":";
  bool any = false;
  for (const char* folder : {"bmp", "ascii"}) {
    std::error_code error;
    if (fs::is_directory(here / folder, error)) {
      out_ << ' ' << folder << '/';
      any = true;
    }
  }
  my_string arrival = settings_.fileParameter(FileParam::ArrivalCellFile);
  if (!arrival.isEmpty()) {
    out_ << ' ' << arrivalOutputName(nativePath(arrival));
    any = true;
  }
  if (!any) out_ << " (none asked for)";
  out_ << '\n';
  if (!outputsOk) out_ << "Some outputs could not be written: see the log.\n";
  printGeneticSummary();
  if (!options_.logPath.empty()) out_ << "Log: " << options_.logPath << '\n';
  out_ << std::flush;
}

}  // namespace orvantis
