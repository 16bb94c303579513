#pragma once
// The study workflow of the command line: the window's commands in order, without the window.
// Open Settings, Build World, RUN with its report, the demographic output files, then "Do
// simulations !" when the settings name a sample file and a genetic parameters file.

#include <optional>
#include <ostream>
#include <string>

#include "cli/command_options.h"
#include "coalescent/driver.h"
#include "world/landscape/world.h"

namespace orvantis {

class TCommandWorkflow {
 public:
  TCommandWorkflow(World& world, const TCommandOptions& options, std::ostream& out);

  // Runs every step; returns the exit status (0 success, 1 failure).
  int run();

 private:
  // "orvantis genetics": opens the settings, loads the saved demography and checks that the
  // settings describe its world.
  int runGenetics();
  // The random sequence of the genetic simulations over a saved demography: the seed's own
  // sequence, except that the seed of the run that saved the demography resumes that run's
  // sequence where its demographic simulation left it, so that the genetic simulations are
  // those the whole run made.
  void chooseRandomSequence();
  // Saves the demography to the --save-demography file.
  bool saveDemography();
  // "Open Settings...": reset, load, fillTables, and the settings' directory becomes current.
  bool openSettings();
  // "Build World": reset, load, the --set values, fillTables, BuildWorld.
  bool buildWorld();
  // "RUN": the --set values, fillTables, the simulation and its report.
  bool simulateDemography();
  // The times of arrival, the bitmap lists and the ASCII maps the settings ask for.
  bool writeOutputs();
  void printSummary(bool outputsOk) const;

  // Shows, as warning boxes, what the settings store could not read as numbers since the last
  // call (the log has it already).
  void showSettingsWarnings();
  // "Do simulations !" on the world's collection (workflow_genetics.cpp): true when the series
  // ran to its end, even with genealogies that could not be finished.
  bool simulateGenetics();
  // Whether the settings name both genetic input files; otherwise `why` says what is missing.
  bool settingsNameGeneticFiles(std::string& why) const;
  // --vcf and --simulations ask for genetic simulations: 2 after a message when the settings
  // name no genetic input files or the simulations asked for are not the study's, else 0.
  int refuseUnrunnableGeneticRequests();
  // The genetic lines of the summary (nothing when no genetic step was asked for).
  void printGeneticSummary() const;

  // Loads the settings file and stores the --set values over it.
  void loadWithOverrides();
  void applyOverrides();

  World& world_;
  TExtendedSettings& settings_;
  TRunContext& context_;
  const TCommandOptions& options_;
  std::ostream& out_;
  float simulationSeconds_ = 0.0f;
  // The files named on the command line, made absolute before the settings' directory becomes
  // the current one.
  std::string saveDemographyPath_;
  std::string demographyPath_;
  // The genetic step: its report when it ran, or why it did not.
  std::optional<TGeneticRunReport> genetics_;
  std::string geneticsNote_;
};

}  // namespace orvantis
