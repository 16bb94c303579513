// The commands of the main window: the demographic workflow (open the settings, build the world,
// run, write the outputs), the viewers, and the genetic simulations.

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <exception>
#include <iostream>

#include "coalescent/deme_collection.h"
#include "coalescent/driver_series.h"
#include "foundation/command_errors.h"
#include "foundation/paths.h"
#include "gui/friction_form.h"
#include "gui/number_text.h"
#include "gui/world_in_use.h"
#include "world/demography/report.h"
#include "world/demography/simulate_world.h"
#include "world/output/demographic_files.h"

namespace orvantis {

namespace {

constexpr const char* kSettingsFilter = "Text files (.txt)|*.txt|All files|*.*";
constexpr const char* kSamplesFilter = "Genetic samples file (*.sam)|*.sam|All files (*.*)|*.*";
constexpr const char* kParametersFilter =
    "Genetic parameter file (*.par)|*.par|All files (*.*)|*.*";

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
    demo_.saveDemography->setEnabled(false);
    viewer.setTimeSliderEnabled(false);
    forgetGeneticResults();
    world_->setDatabaseStorage(storageChoice());
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
      demo_.saveDemography->setEnabled(false);
      forgetGeneticResults();
      world_->setDatabaseStorage(storageChoice());
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

    enableGeneticStep();
    demo_.outputAgain->setEnabled(true);
    demo_.saveDemography->setEnabled(true);
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

void TFrictionForm::enableGeneticStep() {
  genetics_.doSimulations->setEnabled(true);
  genetics_.status->setText("Ready to simulate genetics");
  setGeneticInputsEnabled(true);
  const bool severalSources = world_->numberOfSources() >= 2;
  for (QWidget* w :
       std::initializer_list<QWidget*>{genetics_.tau, genetics_.tauLabel, genetics_.ancestralSize,
                                       genetics_.ancestralSizeLabel}) {
    w->setEnabled(severalSources);
  }
}

TGeneticOptions TFrictionForm::geneticOptions() const {
  TGeneticOptions o;
  // "Coalecent trees" is off with two populations even when its box stays ticked.
  o.coalescentTrees =
      genetics_.coalescentTrees->isChecked() && genetics_.coalescentTrees->isEnabled();
  o.spatialCoalescence = genetics_.coalescentSpatial->isChecked();
  o.temporalCoalescence = genetics_.coalescentTemporal->isChecked();
  o.geneticBitmaps = genetics_.geneticBitmaps->isChecked();
  o.geneticBitmapStep = integerPart(genetics_.bitmapEvery->text());
  o.background = genetics_.backgroundDensity->isChecked() ? TGeneticBitmapBackground::Density
                                                          : TGeneticBitmapBackground::Occupation;
  o.colours = genetics_.colourGray->isChecked() ? TGeneticBitmapColours::Gray
                                                : TGeneticBitmapColours::Colour;
  o.population = viewer_.population;
  o.coalescenceZoom = coalescenceZoom_;
  const int rate = integerPart(genetics_.refreshRate->text());
  o.refreshRate = rate > 0 ? rate : kDefaultCoalescenceRefreshRate;
  return o;
}

void TFrictionForm::doSimulations() {
  if (!demographyDone_) {
    dialogs_.messageBox(
        "There is no demographic database: press \"RUN\" or load a saved demography first.",
        "ERROR: genetic simulations");
    return;
  }
  TGeneticRunInputs inputs;
  inputs.options = geneticOptions();
  if (inputs.options.geneticBitmaps && inputs.options.geneticBitmapStep < 1) {
    dialogs_.messageBox("The lineage bitmaps need a number of generations above 0 in \"every\".",
                        "ERROR: genetic simulations");
    return;
  }
  inputs.onePixelMaps = viewer_.zoom == 1;
  inputs.console = &std::cout;

  forgetGeneticResults();
  genetics_.status->setText("Simulations are running...");
  const int simulations = world_->settings().intParameter(IntParam::NumGeneticSimulations);
  TGeneticRunReport report;
  try {
    const TWorldInUse inUse(worldInUse_);
    display_.beginRun(*world_, inputs.options, inputs.onePixelMaps, simulations);
    TDemeCollection& collection = world_->demeCollection();
    // The simulations run one after the other on the window's thread, which the counters and
    // pictures of the page are drawn on between the steps of the walk.
    TGeneticSeries series(*world_, inputs, collection);
    if (series.setUp()) {
      const int total = series.plan().numSimulations;
      services_.progress({"Genetic simulations", 0, total, "simulation"});
      for (int s = 1; s <= total; ++s) {
        services_.showGeneticSimulationNumber(s);
        const bool goOn = series.merge(simulateGenetics(series.plan(), collection, s));
        services_.progress({"Genetic simulations", s, total, "simulation"});
        if (!goOn) break;
      }
    }
    series.finish();
    report = series.report();
    geneticGrid_ = display_.grid();
    coalescenceTotals_ = series.coalescenceTotals();
    mrcaLocations_ = series.mrcaLocations();
  } catch (const TException& e) {
    display_.endRun();
    reportCommandException(log_, std::cout, services_, kSimulatingPrefix, e);
    genetics_.status->setText("Simulations stopped: see the log");
    return;
  } catch (const std::exception& e) {
    display_.endRun();
    log_ << "ERROR: {TFrictionForm::doSimulations()} [" << e.what() << "]" << std::endl;
    dialogs_.messageBox(QString("The genetic simulations stopped: ") + e.what(),
                        "ERROR: genetic simulations stopped");
    genetics_.status->setText("Simulations stopped: see the log");
    return;
  }
  display_.endRun();
  geneticReport_ = report;
  if (report.status == TGeneticRunStatus::NotRun) {
    // Nothing was simulated: the study stays ready for another attempt.
    genetics_.status->setText("Ready to simulate genetics");
    if (!report.problem.empty()) {
      dialogs_.messageBox(QString::fromStdString(report.problem),
                          "ERROR: genetic simulations not run");
    }
    return;
  }
  genetics_.status->setText("Simulations are over!");
  genetics_.drawCoalescences->setEnabled(true);
  genetics_.drawMrca->setEnabled(true);
  if (report.status == TGeneticRunStatus::Failed && !report.problem.empty()) {
    dialogs_.messageBox(QString::fromStdString(report.problem),
                        "ERROR: genetic simulations stopped");
  }
}

void TFrictionForm::drawCoalescences() {
  const auto scope = guard_.begin("Coalescences");
  if (!scope || geneticGrid_.rows == 0) return;
  try {
    showMap(TMapViewerSlot::Coalescences, "Number of Coalescent Events Map",
            drawCountMap(geneticGrid_, coalescenceTotals_, kCoalescenceScale,
                         TCellDrawing{coalescenceZoom_, false}));
  } catch (const std::exception&) {
    log_ << "Could not load or alter coalescent bitmap" << std::endl;
  }
}

void TFrictionForm::drawMrca() {
  const auto scope = guard_.begin("MRCA");
  if (!scope || geneticGrid_.rows == 0) return;
  const TExtendedSettings& s = world_->settings();
  // The first NumGeneticSimulations x NumIndeLoci entries, the values the settings hold now.
  const long long entries =
      static_cast<long long>(s.intParameter(IntParam::NumGeneticSimulations)) *
      static_cast<long long>(s.intParameter(IntParam::NumIndeLoci));
  const int counted = static_cast<int>(
      std::clamp<long long>(entries, 0, static_cast<long long>(mrcaLocations_.numEntries())));
  try {
    showMap(TMapViewerSlot::Mrca, "MRCA Distribution Map",
            drawMrcaDensityMap(geneticGrid_, mrcaLocations_, counted,
                               TCellDrawing{coalescenceZoom_, false}));
  } catch (const std::exception&) {
    log_ << "Could not load or alter coalescent bitmap" << std::endl;
  }
}

}  // namespace orvantis
