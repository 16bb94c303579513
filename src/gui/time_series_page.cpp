#include "gui/time_series_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace orvantis {

namespace {

constexpr const char* kDensityTitle = "Density per generation";
constexpr const char* kEmigrantsTitle = "Number of emmigrants per generation";
constexpr const char* kCumulativeTitle = "Cummulative density over all generations";
constexpr const char* kAdmixtureTitle = "Number of admixture events per generation";

QString titled(const char* title, int row, int col) {
  return QString("%1 - Cell (%2,%3)").arg(title).arg(row).arg(col);
}

}  // namespace

TTimeSeriesPage::TTimeSeriesPage(TUserDialogs& dialogs, QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  auto* cellRow = new QHBoxLayout();
  rowList_ = new QComboBox(this);
  columnList_ = new QComboBox(this);
  rowList_->setMinimumWidth(80);
  columnList_->setMinimumWidth(80);
  cellRow->addWidget(new QLabel("Active row:", this));
  cellRow->addWidget(rowList_);
  cellRow->addSpacing(20);
  cellRow->addWidget(new QLabel("Active column:", this));
  cellRow->addWidget(columnList_);
  cellRow->addStretch(1);
  layout->addLayout(cellRow);

  charts_ = new QTabWidget(this);
  auto* demography = new QWidget(charts_);
  auto* grid = new QGridLayout(demography);
  density_ = new TChartPanel(kDensityTitle, {"Density"}, dialogs, demography);
  emigrants_ =
      new TChartPanel(kEmigrantsTitle, {"North", "South", "East", "West"}, dialogs, demography);
  cumulative_ = new TChartPanel(kCumulativeTitle, {"Cumulative density"}, dialogs, demography);
  grid->addWidget(density_, 0, 0);
  grid->addWidget(emigrants_, 0, 1);
  grid->addWidget(cumulative_, 1, 0);
  charts_->addTab(demography, "Demography");
  admixtureTab_ = new QWidget(charts_);
  auto* admixtureLayout = new QVBoxLayout(admixtureTab_);
  admixture_ = new TChartPanel(kAdmixtureTitle, {"P1 to P2", "P2 to P1"}, dialogs, admixtureTab_);
  admixtureLayout->addWidget(admixture_);
  charts_->addTab(admixtureTab_, "Admixture events");
  layout->addWidget(charts_, 1);
  showAdmixture(false);
}

void TTimeSeriesPage::fillPositions(int nrows, int ncols) {
  const QSignalBlocker rows(rowList_);
  const QSignalBlocker cols(columnList_);
  rowList_->clear();
  columnList_->clear();
  for (int r = 0; r < nrows; ++r) rowList_->addItem(QString::number(r));
  for (int c = 0; c < ncols; ++c) columnList_->addItem(QString::number(c));
}

bool TTimeSeriesPage::selectCell(int row, int col) {
  if (row < 0 || col < 0 || row >= rowList_->count() || col >= columnList_->count()) return false;
  const QSignalBlocker rows(rowList_);
  const QSignalBlocker cols(columnList_);
  rowList_->setCurrentIndex(row);
  columnList_->setCurrentIndex(col);
  return true;
}

void TTimeSeriesPage::plot(int row, int col, const TCellSeries& series) {
  density_->setTitle(titled(kDensityTitle, row, col));
  emigrants_->setTitle(titled(kEmigrantsTitle, row, col));
  cumulative_->setTitle(titled(kCumulativeTitle, row, col));
  admixture_->setTitle(titled(kAdmixtureTitle, row, col));
  density_->setSeries(0, series.density);
  for (int d = 0; d < 4; ++d) {
    emigrants_->setSeries(d, series.emigrants[static_cast<std::size_t>(d)]);
  }
  cumulative_->setSeries(0, series.cumulativeDensity);
  admixture_->setSeries(0, series.p1ToP2);
  admixture_->setSeries(1, series.p2ToP1);
}

void TTimeSeriesPage::clearCharts() {
  for (TChartPanel* chart : {density_, emigrants_, cumulative_, admixture_}) chart->clear();
  density_->setTitle(kDensityTitle);
  emigrants_->setTitle(kEmigrantsTitle);
  cumulative_->setTitle(kCumulativeTitle);
  admixture_->setTitle(kAdmixtureTitle);
}

void TTimeSeriesPage::showAdmixture(bool shown) {
  charts_->setTabVisible(charts_->indexOf(admixtureTab_), shown);
}

}  // namespace orvantis
