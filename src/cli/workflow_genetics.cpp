// The genetic step of the command's workflow ("Do simulations !") and its lines of the summary.

#include <filesystem>
#include <iomanip>
#include <new>
#include <system_error>

#include "cli/replay_command.h"
#include "cli/workflow.h"
#include "coalescent/deme_collection.h"
#include "foundation/command_errors.h"

namespace orvantis {

namespace {

bool named(const TExtendedSettings& settings, int file) {
  return !settings.fileParameter(file).isEmpty();
}

std::string absoluteDirectory(const std::string& directory) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(directory, error);
  return error ? directory : absolute.lexically_normal().string();
}

}  // namespace

bool TCommandWorkflow::settingsNameGeneticFiles(std::string& why) const {
  const bool sample = named(settings_, FileParam::SampleFile);
  const bool genetic = named(settings_, FileParam::GeneticFile);
  if (sample && genetic) return true;
  if (!sample && !genetic) {
    why =
        "the settings name no sample file (SampleFile) and no genetic parameters file "
        "(GeneticFile)";
  } else if (!sample) {
    why = "the settings name a genetic parameters file but no sample file (SampleFile)";
  } else {
    why = "the settings name a sample file but no genetic parameters file (GeneticFile)";
  }
  return false;
}

int TCommandWorkflow::refuseUnrunnableGeneticRequests() {
  const char* option = options_.vcf ? "--vcf" : "--simulations";
  if (!options_.vcf && options_.firstSimulation == 0) return 0;
  std::string why;
  std::string problem;
  const int simulations = settings_.intParameter(IntParam::NumGeneticSimulations);
  if (!settingsNameGeneticFiles(why)) {
    problem = std::string(option) + " asks for genetic simulations, but " + why;
  } else if (options_.lastSimulation > simulations) {
    problem = "--simulations " + std::to_string(options_.firstSimulation) + "-" +
              std::to_string(options_.lastSimulation) + ": the study has " +
              std::to_string(simulations) + " simulations (NumGeneticSimulations)";
  }
  if (problem.empty()) return 0;
  context_.log << "ERROR: {orvantis} [" << problem << "]" << std::endl;
  context_.window.messageBox(problem, "ERROR: command line");
  return 2;
}

bool TCommandWorkflow::simulateGenetics() {
  TGeneticRunInputs inputs;
  inputs.options = options_.geneticOptions;
  inputs.console = &out_;
  inputs.summaryStatistics = options_.summaryStatistics;
  inputs.replicates.threads = options_.threads;
  inputs.replicates.first = options_.firstSimulation;
  inputs.replicates.last = options_.lastSimulation;
  inputs.vcf = options_.vcf;
  inputs.record.commandLine = options_.arguments;
  inputs.record.startDirectory = std::filesystem::path(options_.logPath).parent_path().string();
  inputs.record.replayCommand =
      replayCommand(options_.arguments, context_.random.seed(), options_.threads.has_value());
  if (!demographyPath_.empty()) {
    inputs.record.inputFiles.push_back({"saved demography", demographyPath_});
  }
  if (inputs.options.temporalCoalescence &&
      settings_.intParameter(IntParam::TemporalCoalescenceFile) == 0) {
    geneticsNote_ = "--coal-temporal writes no file while TemporalCoalescenceFile is 0";
  }
  TGeneticRunReport failure;
  failure.status = TGeneticRunStatus::Failed;
  try {
    genetics_ = SimulateGeneticData(world_, inputs, world_.demeCollection());
  } catch (const TException& e) {
    reportCommandException(context_.log, out_, context_.window, kSimulatingPrefix, e);
    failure.problem = e.what();
    genetics_ = failure;
  } catch (const std::bad_alloc&) {
    context_.log << "ERROR: {orvantis} [not enough memory for the genetic simulations]"
                 << std::endl;
    failure.problem = "not enough memory";
    genetics_ = failure;
  }
  if (genetics_->status == TGeneticRunStatus::Completed) return true;
  const char* caption = genetics_->status == TGeneticRunStatus::NotRun
                            ? "ERROR: genetic simulations not run"
                            : "ERROR: genetic simulations stopped";
  context_.window.messageBox(genetics_->problem, caption);
  return false;
}

void TCommandWorkflow::printGeneticSummary() const {
  if (!genetics_) {
    if (!geneticsNote_.empty()) out_ << "Genetic simulations: " << geneticsNote_ << "\n";
    return;
  }
  const TGeneticRunReport& r = *genetics_;
  const std::string directory =
      r.names.outputDirectory.empty() ? std::string() : absoluteDirectory(r.names.outputDirectory);
  switch (r.status) {
    case TGeneticRunStatus::Completed:
      out_ << "Genetic simulations: " << r.completed << " of " << r.simulations << " completed, "
           << r.failed << " failed";
      if (r.failed > 0) out_ << " (genealogies that could not be finished: see the log)";
      out_ << ", in " << std::fixed << std::setprecision(2) << r.seconds << std::defaultfloat
           << " s";
      if (r.threads > 0) out_ << " (replicates on " << r.threads << " threads)";
      out_ << "\n";
      break;
    case TGeneticRunStatus::NotRun:
      out_ << "Genetic simulations not run: " << r.problem << "\n";
      break;
    case TGeneticRunStatus::Failed:
      out_ << "Genetic simulations stopped after " << r.completed + r.failed << " of "
           << r.simulations << " (" << r.completed << " completed, " << r.failed
           << " failed): " << r.problem << "\n";
      break;
  }
  if (!directory.empty() && r.status != TGeneticRunStatus::NotRun) {
    out_ << "Genetic outputs in " << directory << " (run " << r.names.runName << ")\n";
  }
  if (!r.manifest.empty()) {
    out_ << "Run manifest: " << absoluteDirectory(r.manifest) << "\n";
  }
  if (!geneticsNote_.empty()) out_ << "Note: " << geneticsNote_ << "\n";
}

}  // namespace orvantis
