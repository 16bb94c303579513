// The demographic database of the main window: where it keeps its rows, and a finished
// demography saved to a file or loaded from one, so the genetic simulations can be run again
// over it without simulating the demography anew.

#include <QFileInfo>
#include <iostream>

#include "foundation/command_errors.h"
#include "foundation/paths.h"
#include "gui/friction_form.h"
#include "gui/world_in_use.h"

namespace orvantis {

namespace {

constexpr const char* kSavedDemographyFilter =
    "Saved demography (*.sdem)|*.sdem|All files (*.*)|*.*";
constexpr const char* kSavedDemographyCaption = "ERROR: saved demography";

std::string absoluteName(const QString& path) {
  return QFileInfo(path).absoluteFilePath().toStdString();
}

}  // namespace

TDatabaseStorage TFrictionForm::storageChoice() const {
  switch (demo_.storage->currentIndex()) {
    case 1:
      return TDatabaseStorage::Memory;
    case 2:
      return TDatabaseStorage::Compressed;
    default:
      return TDatabaseStorage::Auto;
  }
}

void TFrictionForm::saveDemography() {
  const auto scope = guard_.begin("Save demography...");
  if (!scope) return;
  if (!demographyDone_ || world_->holdsSavedDemography()) {
    dialogs_.messageBox("There is no simulated demography to save: please press \"RUN\" first.",
                        kSavedDemographyCaption);
    return;
  }
  const auto chosen = dialogs_.chooseSaveFile("Save demography", "sdem", kSavedDemographyFilter);
  if (!chosen) return;
  try {
    const TWorldInUse inUse(worldInUse_);
    // The file is written whole or not at all; a failure is logged and shown by the world.
    (void)world_->saveDemography(absoluteName(*chosen));
  } catch (const TException& e) {
    reportCommandException(log_, std::cout, services_, kSimulatingPrefix, e);
  }
}

void TFrictionForm::loadDemography() {
  if (guard_.running()) {
    guard_.begin("Load demography...");  // refused with its box
    return;
  }
  const auto chosen = dialogs_.chooseOpenFile("Load demography", kSavedDemographyFilter);
  if (!chosen) return;
  loadDemographyFile(*chosen);
}

void TFrictionForm::loadDemographyFile(const QString& path) {
  const auto scope = guard_.begin("Load demography...");
  if (!scope) return;
  const std::string file = absoluteName(path);
  TFormResultViewer& viewer = ensureResultViewer();
  // What was shown belongs to the world being replaced; a saved demography cannot be run.
  demographyDone_ = false;
  lastGeneration_ = 0;
  viewer_.numberOfGenerations = 0;
  viewer_.displayedGeneration = 0;
  viewer.setTimeSliderEnabled(false);
  series_->clearCharts();
  forgetGeneticResults();
  for (QWidget* w : std::initializer_list<QWidget*>{
           demo_.run, demo_.outputAgain, demo_.saveDemography, genetics_.doSimulations}) {
    w->setEnabled(false);
  }
  setGeneticInputsEnabled(false);
  genetics_.status->setText("No demographic database available");

  TExtendedSettings& s = world_->settings();
  try {
    // The settings the demography is checked against: the file's, with the controls' values.
    s.reset();
    log_ << "Reading setting file ..." << std::endl;
    s.load(my_string(nativePath(demo_.settingsFile->text().toStdString())));
    updateNumericSettings();
    s.fillTables();
    const TWorldInUse inUse(worldInUse_);
    log_ << "Loading saved demography ..." << std::endl;
    if (world_->loadSavedDemography(file) == 0) return;  // said by the world
    if (world_->checkSettingsMatchSavedDemography() == 0) return;
  } catch (const TException& e) {
    reportCommandException(log_, std::cout, services_, kLoadingPrefix, e);
    return;
  } catch (...) {
    reportLoadingFailure(services_);
    return;
  }
  log_ << "... Done !\n" << std::flush;

  series_->fillPositions(world_->nrows(), world_->ncols());
  demographyDone_ = true;
  lastGeneration_ = world_->database().endTime();
  viewer_.numberOfGenerations = lastGeneration_;
  viewer_.population =
      demo_.populationSelector->currentIndex() < 0 ? 0 : demo_.populationSelector->currentIndex();
  viewer.prepareForWorld();
  viewer.showResults(lastGeneration_, world_->numberOfCells(), world_->nrows(), world_->ncols());
  viewer.setTimeSliderEnabled(true);
  viewer.displayGeneration(lastGeneration_);
  viewer.setTimeSliderToEnd();
  viewer.show();
  if (populations() >= 2) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{demo_.populationSelector, demo_.populationLabel}) {
      w->setEnabled(true);
    }
  }
  demo_.showResults->setEnabled(true);
  enableGeneticStep();
  updateCellDetail();
}

}  // namespace orvantis
