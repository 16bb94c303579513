#include "gui/coalescent_display.h"

#include <QPixmap>
#include <algorithm>
#include <exception>

#include "coalescent/deme_collection.h"
#include "gui/number_text.h"
#include "gui/qt_image.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

TColourStyle styleOf(const TGeneticOptions& options) {
  return options.colours == TGeneticBitmapColours::Gray ? TColourStyle::Gray : TColourStyle::Colour;
}

void showImage(QLabel* label, const TRgbImage& image) {
  if (label == nullptr) return;
  label->setPixmap(QPixmap::fromImage(toQImage(image)));
  label->resize(label->pixmap().size());
}

}  // namespace

template <class Draw>
void TCoalescentDisplay::guarded(Draw draw) {
  try {
    draw();
  } catch (const std::exception&) {
    log_ << "Could not load or alter coalescent bitmap" << std::endl;
  }
}

TRgbImage drawCoalescenceBitmap(const TCellGrid& grid, const std::vector<int>& counts,
                                const std::vector<TSampleSquare>& samples,
                                const TCellDrawing& drawing) {
  TRgbImage image = drawCountMap(grid, counts, kCoalescenceScale, drawing);
  // The sample demes are the background of the events: a deme where lineages coalesced shows its
  // count instead.
  std::vector<TSampleSquare> background;
  background.reserve(samples.size());
  for (const TSampleSquare& square : samples) {
    if (square.row < 0 || square.row >= grid.rows || square.col < 0 || square.col >= grid.cols) {
      continue;
    }
    const int cell = grid.cellIndexAt(square.row, square.col);
    const bool counted = cell >= 0 && static_cast<std::size_t>(cell) < counts.size() &&
                         counts[static_cast<std::size_t>(cell)] > 0;
    if (!counted) background.push_back(square);
  }
  paintSampleSquares(image, background, drawing.block());
  return image;
}

void TCoalescentDisplay::beginRun(World& world, const TGeneticOptions& options, bool onePixel,
                                  int numSimulations) {
  clear();
  map_ = std::make_unique<TWorldDemographyMap>(world, world.seaLevelSeries());
  grid_ = TCellGrid::fromWorld(world);
  options_ = options;
  onePixel_ = onePixel;
  numSimulations_ = numSimulations;
  densityMaximum_ = options.background == TGeneticBitmapBackground::Density
                        ? lineageDensityMaximum(*map_, options.population)
                        : 1;
  counts_.assign(static_cast<std::size_t>(grid_.numCells()), 0);
  coalescence_ = blankCellPicture(grid_.rows, grid_.cols, drawing());
  c_.simulationCounter->clear();
  c_.simulationCounter->show();
}

void TCoalescentDisplay::endRun() {
  c_.simulationCounter->hide();
}

void TCoalescentDisplay::clear() {
  map_.reset();
  grid_ = TCellGrid();
  samplesKnown_ = false;
  squares_.clear();
  snapshotSquares_.clear();
  counts_.clear();
  generation_ = 0;
  liveDrawn_ = false;
  genealogyDrawn_ = false;
  coalescence_ = TRgbImage();
  live_ = TRgbImage();
  c_.liveView->clear();
  c_.coalescenceView->clear();
}

void TCoalescentDisplay::setZoom(int zoom, bool onePixel) {
  options_.coalescenceZoom = zoom;
  onePixel_ = onePixel;
  if (!map_) return;
  guarded([this] {
    paintCoalescence();
    if (liveDrawn_) paintLive();
    showPictures();
  });
}

void TCoalescentDisplay::showLabels(const TCoalescentLabels& labels) {
  c_.coalescenceTime->setText(QString::number(labels.coalescenceTime));
  c_.frictionTime->setText(QString::number(labels.frictionTime));
  c_.remainingLineages->setText(QString::number(labels.remainingLineages));
  c_.activeDemes->setText(QString::number(labels.activeDemes));
  c_.coalescentEvents->setText(QString::number(labels.coalescenceEvents));
  c_.migrationEvents->setText(QString::number(labels.migrationEvents));
}

void TCoalescentDisplay::showSimulationNumber(int simulation) {
  c_.simulationCounter->setText(
      QString("Simulation %1 of %2").arg(simulation).arg(numSimulations_));
  c_.simulationCounter->show();
}

int TCoalescentDisplay::refreshRate(int configured) const {
  const int typed = integerPart(c_.refreshRate->text());
  return typed > 0 ? typed : configured;
}

void TCoalescentDisplay::learnSamples(const TDemeCollection& collection) {
  if (samplesKnown_) return;
  squares_ = sampleSquares(collection, TSampleColouring::CoalescenceBackground);
  snapshotSquares_ = sampleSquares(collection, TSampleColouring::Snapshot);
  samplesKnown_ = true;
}

void TCoalescentDisplay::redraw(const TDemeCollection& collection) {
  if (!map_) return;
  guarded([&] {
    learnSamples(collection);
    const std::vector<int>& counts = collection.coalescencesPerCell();
    counts_.assign(counts.begin(), counts.end());
    generation_ = std::max(collection.walkTime(), 0);
    paintCoalescence();
    // The redraw that closes a genealogy keeps the genealogy just drawn.
    if (genealogyDrawn_) {
      drawGenealogyLines(coalescence_, collection.tree(), grid_, drawing().block());
      genealogyDrawn_ = false;
    }
    paintLive();
    showPictures();
  });
}

void TCoalescentDisplay::drawLineageMap(const TDemeCollection& collection, int generation) {
  if (!map_) return;
  guarded([&] {
    learnSamples(collection);
    generation_ = std::max(generation, 0);
    paintLive();
    showImage(c_.liveView, live_);
  });
}

void TCoalescentDisplay::drawGenealogy(const TDemeCollection& collection, int simulation) {
  (void)simulation;
  if (!map_) return;
  guarded([&] {
    learnSamples(collection);
    const std::vector<int>& counts = collection.coalescencesPerCell();
    counts_.assign(counts.begin(), counts.end());
    paintCoalescence();
    drawGenealogyLines(coalescence_, collection.tree(), grid_, drawing().block());
    showImage(c_.coalescenceView, coalescence_);
    genealogyDrawn_ = true;
  });
}

void TCoalescentDisplay::paintCoalescence() {
  coalescence_ = drawCoalescenceBitmap(grid_, counts_, squares_, drawing());
}

void TCoalescentDisplay::paintLive() {
  const int endTime = map_->endTime();
  if (endTime < 0) return;
  const int t = std::min(generation_, endTime);
  // As the snapshot files: the one-pixel mode applies to the occupation background only.
  const TCellDrawing live{options_.coalescenceZoom,
                          onePixel_ && options_.background == TGeneticBitmapBackground::Occupation};
  // The picture is reused while its size and mode stay; in the one-pixel mode only one pixel per
  // cell is painted, so a picture of the other mode would keep stale squares.
  if (live_.width() != grid_.cols * live.block() || live_.height() != grid_.rows * live.block() ||
      liveOnePixel_ != live.onePixel) {
    live_ = blankCellPicture(grid_.rows, grid_.cols, live);
    liveOnePixel_ = live.onePixel;
  }
  paintLineageBackground(live_, *map_, t, options_.population, options_.background,
                         styleOf(options_), densityMaximum_, live);
  paintSampleSquares(live_, snapshotSquares_, live.block());
  liveDrawn_ = true;
}

void TCoalescentDisplay::showPictures() {
  showImage(c_.coalescenceView, coalescence_);
  if (liveDrawn_) showImage(c_.liveView, live_);
}

}  // namespace orvantis
