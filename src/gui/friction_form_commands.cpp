// The commands of the main window: the demographic workflow (open the settings, build the world,
// run, write the outputs), the viewers, and the genetic simulations.

#include <QDir>
#include <QFileInfo>
#include <iostream>

#include "foundation/command_errors.h"
#include "foundation/paths.h"
#include "gui/friction_form.h"
#include "gui/number_text.h"
#include "world/demography/report.h"
#include "world/demography/simulate_world.h"
#include "world/output/demographic_files.h"

namespace orvantis {

namespace {

constexpr const char* kSettingsFilter = "Text files (.txt)|*.txt|All files|*.*";
constexpr const char* kSamplesFilter = "Genetic samples file (*.sam)|*.sam|All files (*.*)|*.*";
constexpr const char* kParametersFilter =
    "Genetic parameter file (*.par)|*.par|All files (*.*)|*.*";

// Marks the world as being worked on by the core for the lifetime of the object.
class TWorldInUse {
 public:
  explicit TWorldInUse(bool& flag) : flag_(flag) { flag_ = true; }
  ~TWorldInUse() { flag_ = false; }
  TWorldInUse(const TWorldInUse&) = delete;
  TWorldInUse& operator=(const TWorldInUse&) = delete;

 private:
  bool& flag_;
};

my_string settingsPath(const QString& field) {
  return my_string(nativePath(field.toStdString()));
}

}  // namespace

void TFrictionForm::openSettings() {
  if (guard_.running()) {
    guard_.begin("Open Settings...");  // refused with its box
    return;
  }
  const auto chosen = dialogs_.chooseOpenFile("Open Settings", kSettingsFilter);
  if (!chosen) return;
  openSettingsFile(*chosen);
}

void TFrictionForm::openSettingsFile(const QString& path) {
  const auto scope = guard_.begin("Open Settings...");
  if (!scope) return;
  // The file is named absolutely: the current directory changes to its directory below.
  const QString file =
      QFileInfo(QString::fromStdString(nativePath(path.toStdString()))).absoluteFilePath();
  demo_.settingsFile->setText(file);
  TExtendedSettings& s = world_->settings();
  try {
    s.reset();
    log_ << "Reading setting file ..." << std::endl;
    s.load(settingsPath(file));
    s.fillTables();
    updateGraphicSettings();
    updateGraphicGeneticSettings();
  } catch (const TException& e) {
    reportCommandException(log_, std::cout, services_, kLoadingPrefix, e);
    demo_.parameterPanel->hide();
    return;
  } catch (...) {
    reportLoadingFailure(services_);
    demo_.parameterPanel->hide();
    return;
  }
  // Relative file names in the settings are resolved from the settings file's directory.
  const QString directory = QFileInfo(file).absolutePath();
  if (!QDir::setCurrent(directory)) {
    log_ << "ERROR: cannot change to the directory of the settings file '"
         << directory.toStdString() << "'" << std::endl;
    dialogs_.messageBox("Cannot change to the directory of the settings file " + directory,
                        "ERROR: Settings File");
    demo_.parameterPanel->hide();
    return;
  }
  log_ << "... Done !\n" << std::flush;
  demo_.parameterPanel->show();
}

void TFrictionForm::viewSettingsFile() {
  const QString file = demo_.settingsFile->text().trimmed();
  if (file.isEmpty() || !dialogs_.openWithDesktop(file)) {
    dialogs_.messageBox("Error when opening Settings file", "ERROR: Settings File");
  }
}

void TFrictionForm::buildWorld() {
  const auto scope = guard_.begin("Build World");
  if (!scope) return;
  TFormResultViewer& viewer = ensureResultViewer();
  TExtendedSettings& s = world_->settings();
  try {
    s.reset();
    log_ << "Building world ..." << std::endl;
    s.load(settingsPath(demo_.settingsFile->text()));
    updateNumericSettings();
    s.fillTables();
    // The results of an earlier run go with the world they were computed on.
    demographyDone_ = false;
    lastGeneration_ = 0;
    viewer_.numberOfGenerations = 0;
    viewer_.displayedGeneration = 0;
    demo_.outputAgain->setEnabled(false);
    viewer.setTimeSliderEnabled(false);
    series_->clearCharts();
    const TWorldInUse inUse(worldInUse_);
    if (world_->BuildWorld() == 0) {
      services_.messageBox("Error with constructing a World", "ERROR: BuildWorld");
      return;
    }
  } catch (const TException& e) {
    reportCommandException(log_, std::cout, services_, kLoadingPrefix, e);
    return;
  } catch (...) {
    reportLoadingFailure(services_);
    return;
  }
  series_->fillPositions(world_->nrows(), world_->ncols());

  viewer_.population =
      demo_.populationSelector->currentIndex() < 0 ? 0 : demo_.populationSelector->currentIndex();
  viewer.prepareForWorld();
  viewer.showResults(lastGeneration_, world_->numberOfCells(), world_->nrows(), world_->ncols());
  viewer.show();
  viewer.raise();

  if (populations() >= 2) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             demo_.growthRateP2, demo_.migrationRateP2, demo_.growthRateP2Label,
             demo_.migrationRateP2Label, demo_.populationSelector, demo_.populationLabel}) {
      w->setEnabled(true);
    }
  }
  demo_.showResults->setEnabled(true);
  demo_.run->setEnabled(true);
  genetics_.doSimulations->setEnabled(false);
  setGeneticInputsEnabled(false);
  genetics_.status->setText("No demographic database available");
}

void TFrictionForm::run() {
  const auto scope = guard_.begin("RUN");
  if (!scope) return;
  if (!world_->isBuilt()) {
    dialogs_.messageBox("The world has not been built: please press \"Build World\" first.",
                        "ERROR: simulating world");
    return;
  }
  TExtendedSettings& s = world_->settings();
  try {
    log_ << "Simulating demography ..." << std::endl;
    demo_.progressBar->setValue(0);
    genetics_.doSimulations->setEnabled(false);
    genetics_.status->setText("Executing Demographic Simulation...");
    updateNumericSettings();
    s.fillTables();
    float seconds = 0.0f;
    {
      const TWorldInUse inUse(worldInUse_);
      // The run replaces the stored demography: nothing of an earlier run is shown meanwhile.
      demographyDone_ = false;
      if (SimulateWorld(*world_, seconds) == 0) return;  // the reason is in the log
    }
    demo_.duration->setText(QString::number(static_cast<double>(seconds), 'f', 2));
    printDemographicReport(*world_);

    demographyDone_ = true;
    lastGeneration_ = world_->database().endTime();
    viewer_.numberOfGenerations = lastGeneration_;
    writeOutputs(true, false);
    if (resultViewer_) {
      resultViewer_->redraw();
      resultViewer_->setTimeSliderEnabled(true);
    }
    writeOutputs(false, true);
    if (resultViewer_) {
      resultViewer_->displayGeneration(lastGeneration_);
      resultViewer_->setTimeSliderToEnd();
    }

    genetics_.doSimulations->setEnabled(true);
    genetics_.status->setText("Ready to simulate genetics");
    setGeneticInputsEnabled(true);
    const bool severalSources = world_->numberOfSources() >= 2;
    for (QWidget* w :
         std::initializer_list<QWidget*>{genetics_.tau, genetics_.tauLabel, genetics_.ancestralSize,
                                         genetics_.ancestralSizeLabel}) {
      w->setEnabled(severalSources);
    }
    demo_.outputAgain->setEnabled(true);
    updateCellDetail();
  } catch (const TException& e) {
    reportCommandException(log_, std::cout, services_, kSimulatingPrefix, e);
  } catch (...) {
    reportSimulatingFailure(services_);
  }
}

bool TFrictionForm::writeOutputs(bool arrivalTimes, bool maps) {
  TExtendedSettings& s = world_->settings();
  TDemographicOutputRequest request;
  request.arrivalTimes = arrivalTimes && s.hasKey(my_string("ArrivalCellFile"));
  request.step = integerPart(demo_.outputEvery->text());
  request.drawing = viewer_.drawing();
  if (maps) {
    request.bitmapDensity = demo_.bmpDensity->isChecked();
    request.bitmapMigration = demo_.bmpMigrants->isChecked();
    request.bitmapOccupation = demo_.bmpOccupation->isChecked();
    request.ascii.density = demo_.asciiDensity->isChecked();
    request.ascii.migration = demo_.asciiMigrants->isChecked();
    request.ascii.occupation = demo_.asciiOccupation->isChecked();
  }
  if (!request.arrivalTimes && !maps) return true;
  const TWorldInUse inUse(worldInUse_);
  return writeDemographicOutputs(*world_, request, world_->seaLevelSeries()) == 1;
}

void TFrictionForm::outputAgain() {
  const auto scope = guard_.begin("Output again after simulation");
  if (!scope || !demographyDone_) return;
  try {
    writeOutputs(false, true);
  } catch (const TException& e) {
    reportCommandException(log_, std::cout, services_, kSimulatingPrefix, e);
  }
}

void TFrictionForm::showResults() {
  const auto scope = guard_.begin("Show results");
  if (!scope) return;
  if (resultViewer_) {
    resultViewer_->show();
    resultViewer_->raise();
    resultViewer_->activateWindow();
    return;
  }
  TFormResultViewer& viewer = ensureResultViewer();
  viewer.showResults(lastGeneration_, world_->numberOfCells(), world_->nrows(), world_->ncols());
  if (demographyDone_) viewer.setTimeSliderToEnd();
  viewer.show();
}

void TFrictionForm::browseSamples() {
  if (const auto file = dialogs_.chooseOpenFile("Open a samples file", kSamplesFilter)) {
    genetics_.sampleFile->setText(*file);
  }
}

void TFrictionForm::browseGeneticParameters() {
  if (const auto file =
          dialogs_.chooseOpenFile("Open a genetic parameter file", kParametersFilter)) {
    genetics_.geneticFile->setText(*file);
  }
}

void TFrictionForm::onDoSimulationsClicked() {
  const auto scope = guard_.begin("Do simulations !");
  if (!scope) return;
  coalescenceZoom_ = zoomFromList();
  updateNumericGeneticSettings();
  try {
    world_->settings().fillTables();
  } catch (const TException& e) {
    reportCommandException(log_, std::cout, services_, kSimulatingPrefix, e);
    return;
  }
  doSimulations();
}

void TFrictionForm::doSimulations() {
  // The genetic simulations come with the coalescent's driver: until then the command says so.
  dialogs_.messageBox("The genetic simulation is not available in this build.",
                      "WARNING: genetic simulation");
}

}  // namespace orvantis
