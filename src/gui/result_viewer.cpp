#include "gui/result_viewer.h"

#include <QApplication>
#include <QCloseEvent>
#include <algorithm>
#include <cmath>
#include <exception>

#include "gui/map_viewer.h"
#include "gui/number_text.h"
#include "gui/qt_image.h"
#include "world/landscape/world.h"
#include "world/output/bitmaps.h"
#include "world/output/landscape_maps.h"
#include "world/output/legend.h"
#include "world/output/world_map.h"

namespace orvantis {

namespace {

// The wait cursor for the lifetime of the object.
class TWaitCursor {
 public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

int settingsInt(World& world, const char* key) {
  try {
    return static_cast<int>(world.settings().intValue(my_string(key)));
  } catch (const TException&) {
    return 0;
  }
}

}  // namespace

TFormResultViewer::TFormResultViewer(TResultViewerHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), host_(host), state_(host.viewerState()) {
  setWindowTitle(kCaption);
  buildControls();
  outputImage_->onMove = [this](QPoint at) { mouseMovedOnMap(at); };
  outputImage_->onLeftClick = [this](QPoint at) { clickedOnMap(at); };
  outputImage_->onRightClick = [this](QPoint at) { rightClickedOnMap(at); };
  connect(selectTime_, &QSlider::valueChanged, this, [this](int p) { onTimeMoved(p); });
  connect(immZoomFact_, &QComboBox::activated, this, [this](int i) { onZoomChosen(i); });
  for (QRadioButton* r :
       {densityRadio_, migrationRadio_, occupationRadio_, colourRadio_, grayRadio_}) {
    connect(r, &QRadioButton::clicked, this, [this] { onDisplayChosen(); });
  }
  connect(drawMigrationCheck_, &QCheckBox::toggled, this,
          [this](bool on) { onMigrationDirectionToggled(on); });
  connect(aggrFactorEdit_, &QLineEdit::editingFinished, this, [this] { drawMap(); });
  connect(saveMapButton_, &QPushButton::clicked, this, [this] { saveMap(); });
  connect(saveLegendButton_, &QPushButton::clicked, this, [this] { saveLegend(); });
  connect(carryingCapacityButton_, &QPushButton::clicked, this, [this] { showCarryingCapacity(); });
  connect(frictionButton_, &QPushButton::clicked, this, [this] { showFriction(); });
  connect(arrivalTimeButton_, &QPushButton::clicked, this, [this] { showArrivalTime(); });
  // The controls reflect the shared state, which outlives a closed viewer.
  (state_.style == TColourStyle::Gray ? grayRadio_ : colourRadio_)->setChecked(true);
  displayChoice(state_.display)->setChecked(true);
  drawMigrationCheck_->setChecked(state_.drawImmigrations);
  aggrFactorEdit_->setText(QString::number(state_.aggregation));
  resize(900, 640);
}

QRadioButton* TFormResultViewer::displayChoice(TMapKind kind) const {
  switch (kind) {
    case TMapKind::Density:
      return densityRadio_;
    case TMapKind::Migration:
      return migrationRadio_;
    case TMapKind::Occupation:
      return occupationRadio_;
  }
  return densityRadio_;
}

bool TFormResultViewer::worldHasRun() const {
  World& world = host_.world();
  return !host_.worldInUse() && world.isBuilt() && world.database().isAllocated();
}

int TFormResultViewer::shownPopulation() const {
  const int populations = host_.world().database().numberOfPopulations();
  return std::clamp(state_.population, 0, std::max(populations - 1, 0));
}

int TFormResultViewer::displayedRealTime() {
  World& world = host_.world();
  // The start date the world was built with, which the simulation's dates count from (the
  // settings' RealBPTime may since have been overwritten by the window's start time field).
  const long long real =
      static_cast<long long>(world.realBPTime()) +
      static_cast<long long>(settingsInt(world, "GenerationTime")) * state_.displayedGeneration;
  return static_cast<int>(std::clamp<long long>(real, INT32_MIN, INT32_MAX));
}

void TFormResultViewer::prepareForWorld() {
  aggrFactorEdit_->setEnabled(false);
  aggrFactorLabel_->setEnabled(false);
  carryingCapacityButton_->setEnabled(true);
  frictionButton_->setEnabled(true);
}

void TFormResultViewer::showResults(int lastGeneration, int activeDemes, int nrows, int ncols) {
  setToolTip(
      QString("%1 active demes on %2 rows x %3 columns").arg(activeDemes).arg(nrows).arg(ncols));
  displayGeneration(lastGeneration);
}

void TFormResultViewer::displayGeneration(int generation) {
  state_.displayedGeneration = std::max(generation, 0);
  displTime_->setText(QString::number(state_.displayedGeneration));
  if (host_.world().isBuilt()) {
    World& world = host_.world();
    const long long simulated =
        static_cast<long long>(settingsInt(world, "GenerationTime")) * state_.displayedGeneration;
    displSimulTime_->setText(QString::number(simulated));
    displRealTime_->setText(QString::number(displayedRealTime()));
  }
  redraw();
}

void TFormResultViewer::setTimeSliderToEnd() {
  const QSignalBlocker block(selectTime_);
  selectTime_->setValue(selectTime_->maximum());
}

void TFormResultViewer::onTimeMoved(int position) {
  const double generation = position * 0.01 * state_.numberOfGenerations;
  displayGeneration(static_cast<int>(std::trunc(generation)));
}

void TFormResultViewer::onZoomChosen(int index) {
  if (index < 0) return;
  state_.zoom = index + 1;
  drawMap();
}

void TFormResultViewer::onDisplayChosen() {
  if (densityRadio_->isChecked()) state_.display = TMapKind::Density;
  if (migrationRadio_->isChecked()) state_.display = TMapKind::Migration;
  if (occupationRadio_->isChecked()) state_.display = TMapKind::Occupation;
  state_.style = grayRadio_->isChecked() ? TColourStyle::Gray : TColourStyle::Colour;
  const TWaitCursor wait;
  redraw();
}

void TFormResultViewer::onMigrationDirectionToggled(bool checked) {
  state_.drawImmigrations = checked;
  aggrFactorEdit_->setEnabled(checked);
  aggrFactorLabel_->setEnabled(checked);
  drawMap();
}

void TFormResultViewer::redraw() {
  drawLegendImage();
  drawMap();
}

void TFormResultViewer::drawLegendImage() {
  if (!worldHasRun()) return;
  const TWorldDemographyMap map(host_.world(), host_.world().seaLevelSeries());
  const long long maximum = state_.display == TMapKind::Occupation
                                ? 0
                                : scaleMaximum(map, state_.display, shownPopulation());
  legend_ = drawLegend(state_.display, maximum, map.numberOfPopulations(), state_.style);
  colorPalette_->setPixmap(QPixmap::fromImage(toQImage(legend_)));
  colorPalette_->resize(legend_.width(), legend_.height());
}

void TFormResultViewer::drawMap() {
  if (!worldHasRun()) return;
  World& world = host_.world();
  const TWorldDemographyMap map(world, world.seaLevelSeries());
  const int population = shownPopulation();
  const int t = std::clamp(state_.displayedGeneration, 0, map.endTime());
  const auto aggregation = parseWholeNumber(aggrFactorEdit_->text());
  state_.aggregation = aggregation.value_or(0);
  TMapDrawing drawing = state_.drawing();
  const int zoom = drawing.effectiveZoom();
  try {
    if (state_.display == TMapKind::Occupation) {
      drawing.viewerOccupationColours = true;
      map_ = drawOccupationBitmap(map, t, drawing);
      if (drawing.drawImmigrations) {
        drawImmigrationArrows(map_, map, t, drawing.aggregation, zoom);
      }
    } else {
      const long long maximum = scaleMaximum(map, state_.display, population);
      map_ = drawDensityBitmap(map, state_.display, population, t, maximum, drawing);
    }
  } catch (const std::exception&) {
    host_.log() << "Could not load or alter bitmap" << std::endl;
    return;
  }
  if (state_.drawImmigrationLineOnce) {
    state_.drawImmigrationLineOnce = false;
    // A vector of length 0 draws nothing: the line would be a single point.
    if (immigration_.dx != 0.0f || immigration_.dy != 0.0f) {
      const int col = state_.selectedCol;
      const int row = state_.selectedRow;
      map_.drawLine(col * zoom, row * zoom,
                    static_cast<int>(std::trunc((static_cast<float>(col) + immigration_.dx) *
                                                static_cast<float>(zoom))),
                    static_cast<int>(std::trunc((static_cast<float>(row) + immigration_.dy) *
                                                static_cast<float>(zoom))),
                    kRed);
    }
  }
  outputImage_->setPixmap(QPixmap::fromImage(toQImage(map_)));
  outputImage_->resize(map_.width(), map_.height());
}

QPoint TFormResultViewer::boundedCell(QPoint at) const {
  const int zoom = std::max(state_.zoom, 1);
  const World& world = host_.world();
  const int col = std::clamp(at.x() / zoom, 0, std::max(world.ncols() - 1, 0));
  const int row = std::clamp(at.y() / zoom, 0, std::max(world.nrows() - 1, 0));
  return {col, row};
}

void TFormResultViewer::mouseMovedOnMap(QPoint at) {
  const int zoom = std::max(state_.zoom, 1);
  World& world = host_.world();
  cellColumn_ = at.x() / zoom;
  cellRow_ = at.y() / zoom;
  selRowY_->setText(QString::number(world.nrows() - cellRow_));
  selColX_->setText(QString::number(cellColumn_));
  int density = 0;
  if (worldHasRun() && at.x() >= 0 && at.y() >= 0) {
    const TWorldDemographyMap map(world);
    if (cellRow_ < world.nrows() && cellColumn_ < world.ncols() &&
        map.hasDeme(cellRow_, cellColumn_)) {
      const int t = std::clamp(state_.displayedGeneration, 0, map.endTime());
      density = map.size(cellRow_, cellColumn_, shownPopulation(), t);
    }
  }
  cellDensity_->setText(QString::number(density));
}

void TFormResultViewer::clickedOnMap(QPoint at) {
  const QPoint cell = boundedCell(at);
  state_.selectedRow = cell.y();
  state_.selectedCol = cell.x();
  host_.selectCell(cell.y(), cell.x());
}

void TFormResultViewer::rightClickedOnMap(QPoint at) {
  const QPoint cell = boundedCell(at);
  state_.selectedRow = cell.y();
  state_.selectedCol = cell.x();
  if (!worldHasRun()) return;
  const TWorldDemographyMap map(host_.world());
  if (!map.hasDeme(cell.y(), cell.x())) return;
  const int t = std::clamp(state_.displayedGeneration, 0, map.endTime());
  TImmigrationVector v = orvantis::immigrationVector(map, cell.y(), cell.x(), 0, t);
  const float length = std::sqrt(v.dx * v.dx + v.dy * v.dy);
  if (length > 0.0f) {
    v.dx /= length;
    v.dy /= length;
  }
  v.dx *= 20.0f;
  v.dy *= 20.0f;
  immigration_ = v;
  state_.drawImmigrationLineOnce = true;
  drawMap();
}

void TFormResultViewer::saveMap() {
  saveImageWithDialog(host_.dialogs(), host_.log(), map_);
}

void TFormResultViewer::saveLegend() {
  saveImageWithDialog(host_.dialogs(), host_.log(), legend_);
}

void TFormResultViewer::showCarryingCapacity() {
  if (!worldHasRun()) return;
  World& world = host_.world();
  try {
    host_.showMap(TMapViewerSlot::CarryingCapacity, "Carrying Capacity",
                  drawCarryingCapacityMap(world, shownPopulation(), state_.style, state_.zoom,
                                          world.seaLevelSeries(), displayedRealTime()));
  } catch (const std::exception&) {
    host_.log() << "Could not load or alter bitmap" << std::endl;
  }
}

void TFormResultViewer::showFriction() {
  if (!worldHasRun()) return;
  World& world = host_.world();
  try {
    host_.showMap(TMapViewerSlot::Friction, "Friction",
                  drawFrictionMap(world, shownPopulation(), state_.style, state_.zoom,
                                  world.seaLevelSeries(), displayedRealTime()));
  } catch (const std::exception&) {
    host_.log() << "Could not load or alter bitmap" << std::endl;
  }
}

void TFormResultViewer::showArrivalTime() {
  if (!worldHasRun()) return;
  const auto minDensity = parseWholeNumber(minDensityEdit_->text());
  if (!minDensity) {
    host_.dialogs().messageBox("The minimum density must be a whole number.", "ERROR: Min density");
    return;
  }
  try {
    host_.showMap(TMapViewerSlot::ArrivalTime,
                  "Time of first reach of " + QString::number(*minDensity) + " people",
                  drawArrivalTimeMap(host_.world(), shownPopulation(), *minDensity, state_.zoom));
  } catch (const std::exception&) {
    host_.log() << "Could not load or alter bitmap" << std::endl;
  }
}

void TFormResultViewer::closeEvent(QCloseEvent* event) {
  host_.resultViewerClosed();
  QWidget::closeEvent(event);
}

}  // namespace orvantis
