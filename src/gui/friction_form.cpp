// The main window: its pages, the links between its controls and its commands, the events that
// enable and disable commands, and what it does for the result viewer.

#include "gui/friction_form.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "gui/model_list.h"

namespace orvantis {

TFrictionForm::TFrictionForm(std::ostream& log, TUserDialogs& dialogs, std::optional<int> seed,
                             QWidget* parent)
    : QMainWindow(parent),
      log_(log),
      dialogs_(dialogs),
      services_(dialogs),
      context_(log, services_),
      guard_(dialogs) {
  if (seed) context_.random.setFixedSeed(*seed);
  // Creating the world seeds the generator, which writes the log header.
  world_ = std::make_unique<World>(context_);
  setWindowTitle(kTitle);
  buildPages();
  services_.setProgressBar(demo_.progressBar);
  services_.setCoalescentDisplay(&display_, [this] { pages_->setCurrentWidget(coalescentPage_); });
  connectControls();
  guard_.setOnChange([this](bool running) { onCommandStateChanged(running); });

  // Until a settings file names two populations their controls stay off.
  demo_.populationSelector->setEnabled(false);
  demo_.populationLabel->setEnabled(false);
  for (QWidget* w : std::initializer_list<QWidget*>{
           demo_.growthRateP1, demo_.growthRateP2, demo_.migrationRateP1, demo_.migrationRateP2,
           demo_.growthRateP1Label, demo_.growthRateP2Label, demo_.migrationRateP1Label,
           demo_.migrationRateP2Label, demo_.admixtureGroup}) {
    w->setEnabled(false);
  }
  // The sources of the study are known after a run; with fewer than two they stay off.
  for (QWidget* w :
       std::initializer_list<QWidget*>{genetics_.tau, genetics_.tauLabel, genetics_.ancestralSize,
                                       genetics_.ancestralSizeLabel}) {
    w->setEnabled(false);
  }
  resize(1100, 640);
}

TFrictionForm::~TFrictionForm() {
  // The viewers read the world: they go first.
  delete resultViewer_;
  for (auto& [slot, viewer] : mapViewers_) delete viewer;
}

void TFrictionForm::buildPages() {
  pages_ = new QTabWidget(this);
  auto* demography = new QWidget(pages_);
  buildDemographyPage(demography, demo_);
  pages_->addTab(demography, "Demographic simulation");
  series_ = new TTimeSeriesPage(dialogs_, pages_);
  pages_->addTab(series_, "Demographic time series");
  coalescentPage_ = new QWidget(pages_);
  buildCoalescentPage(coalescentPage_, genetics_);
  pages_->addTab(coalescentPage_, "Coalescent simulations");
  setCentralWidget(pages_);
}

void TFrictionForm::connectControls() {
  connect(demo_.openSettings, &QPushButton::clicked, this, [this] { openSettings(); });
  connect(demo_.viewSettings, &QPushButton::clicked, this, [this] { viewSettingsFile(); });
  connect(demo_.buildWorld, &QPushButton::clicked, this, [this] { buildWorld(); });
  connect(demo_.run, &QPushButton::clicked, this, [this] { run(); });
  connect(demo_.showResults, &QPushButton::clicked, this, [this] { showResults(); });
  connect(demo_.outputAgain, &QPushButton::clicked, this, [this] { outputAgain(); });
  connect(genetics_.browseSamples, &QPushButton::clicked, this, [this] { browseSamples(); });
  connect(genetics_.browseGenetics, &QPushButton::clicked, this,
          [this] { browseGeneticParameters(); });
  connect(genetics_.doSimulations, &QPushButton::clicked, this,
          [this] { onDoSimulationsClicked(); });

  // A model chosen by the user makes the world runnable again; a changed number of generations
  // or vegetation dynamics needs the world built again.
  connect(demo_.modelList, &QComboBox::activated, this,
          [this] { demo_.run->setEnabled(world_->isBuilt()); });
  connect(demo_.generations, &QLineEdit::textChanged, this,
          [this] { demo_.run->setEnabled(false); });
  connect(demo_.dynamicChoice, &QRadioButton::toggled, this,
          [this] { demo_.run->setEnabled(false); });

  connect(demo_.populationSelector, &QComboBox::activated, this, [this](int index) {
    viewer_.population = index;
    if (resultViewer_) {
      resultViewer_->showResults(lastGeneration_, world_->numberOfCells(), world_->nrows(),
                                 world_->ncols());
    }
    updateCellDetail();
  });
  connect(genetics_.zoomFactor, &QComboBox::currentIndexChanged, this,
          [this] { onZoomFactorChanged(); });
  connect(genetics_.drawCoalescences, &QPushButton::clicked, this, [this] { drawCoalescences(); });
  connect(genetics_.drawMrca, &QPushButton::clicked, this, [this] { drawMrca(); });
  connect(demo_.saveDemography, &QPushButton::clicked, this, [this] { saveDemography(); });
  connect(demo_.loadDemography, &QPushButton::clicked, this, [this] { loadDemography(); });
  connect(series_->rowList(), &QComboBox::currentIndexChanged, this,
          [this] { updateCellDetail(); });
  connect(series_->columnList(), &QComboBox::currentIndexChanged, this,
          [this] { updateCellDetail(); });
}

int TFrictionForm::populations() const {
  return world_->settings().numberOfPopulations() >= 2 ? 2 : 1;
}

int TFrictionForm::zoomFromList() const {
  constexpr int kZooms[] = {1, 2, 3, 4, 5, 6, 8, 10};
  const int index = genetics_.zoomFactor->currentIndex();
  if (index < 0 || index >= static_cast<int>(std::size(kZooms))) return 4;
  return kZooms[index];
}

void TFrictionForm::onZoomFactorChanged() {
  coalescenceZoom_ = zoomFromList();
  // The one-pixel mode follows the result viewer's zoom at the time of the redraw.
  display_.setZoom(coalescenceZoom_, viewer_.zoom == 1);
}

void TFrictionForm::forgetGeneticResults() {
  display_.clear();
  geneticReport_.reset();
  geneticGrid_ = TCellGrid();
  coalescenceTotals_.clear();
  mrcaLocations_ = TMrcaLocations();
  genetics_.drawCoalescences->setEnabled(false);
  genetics_.drawMrca->setEnabled(false);
}

void TFrictionForm::setGeneticInputsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           genetics_.sampleFile, genetics_.browseSamples, genetics_.geneticFile,
           genetics_.browseGenetics, genetics_.numSimulations, genetics_.maxGenerations,
           genetics_.refreshRate, genetics_.zoomFactor}) {
    w->setEnabled(enabled);
  }
}

void TFrictionForm::onCommandStateChanged(bool running) {
  if (running) {
    setCursor(Qt::BusyCursor);
  } else {
    unsetCursor();
  }
}

TFormResultViewer& TFrictionForm::ensureResultViewer() {
  if (!resultViewer_) {
    resultViewer_ = new TFormResultViewer(*this, this);
    resultViewer_->setAttribute(Qt::WA_DeleteOnClose);
    if (world_->isBuilt()) resultViewer_->prepareForWorld();
    resultViewer_->setTimeSliderEnabled(demographyDone_);
  }
  return *resultViewer_;
}

TFormFrictionViewer* TFrictionForm::mapViewer(TMapViewerSlot slot) const {
  const auto found = mapViewers_.find(slot);
  return found == mapViewers_.end() ? nullptr : found->second.data();
}

void TFrictionForm::showMap(TMapViewerSlot slot, const QString& title, TRgbImage image) {
  QPointer<TFormFrictionViewer>& viewer = mapViewers_[slot];
  if (!viewer) viewer = new TFormFrictionViewer(dialogs_, log_, this);
  viewer->showImage(title, std::move(image));
}

void TFrictionForm::resultViewerClosed() {
  resultViewer_ = nullptr;
}

void TFrictionForm::selectCell(int row, int col) {
  series_->selectCell(row, col);
  pages_->setCurrentIndex(1);
  updateCellDetail();
}

void TFrictionForm::updateCellDetail() {
  if (worldInUse_) return;
  const int row = series_->activeRow();
  const int col = series_->activeColumn();
  if (!demographyDone_ || row < 0 || col < 0) {
    series_->clearCharts();
    return;
  }
  const int modelId = world_->settings().intParameter(IntParam::ChosenDemographicModel);
  series_->plot(row, col,
                cellSeries(*world_, row, col, viewer_.population, lastGeneration_, modelId));
}

void TFrictionForm::closeEvent(QCloseEvent* event) {
  if (guard_.running()) {
    dialogs_.messageBox(TCommandGuard::refusedText("Close", guard_.runningCommand()),
                        TCommandGuard::kRefusedCaption);
    event->ignore();
    return;
  }
  if (resultViewer_) resultViewer_->close();
  for (auto& [slot, viewer] : mapViewers_) {
    if (viewer) viewer->close();
  }
  // Releases the coalescence bitmap.
  display_.clear();
  event->accept();
}

}  // namespace orvantis
