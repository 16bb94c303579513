#pragma once
// The "Demographic time series" page: the active row and column, and the charts of that cell's
// density, emigrants, cumulative density and admixture events over the generations.

#include <QComboBox>
#include <QTabWidget>
#include <QWidget>

#include "gui/cell_series.h"
#include "gui/chart_panel.h"

namespace orvantis {

class TTimeSeriesPage : public QWidget {
 public:
  TTimeSeriesPage(TUserDialogs& dialogs, QWidget* parent = nullptr);

  // Rows 0 .. nrows - 1 and columns 0 .. ncols - 1, the first of each selected, without
  // announcing a change.
  void fillPositions(int nrows, int ncols);
  // Selects the cell without announcing a change; false when it is not in the lists.
  bool selectCell(int row, int col);
  int activeRow() const { return rowList_->currentIndex(); }
  int activeColumn() const { return columnList_->currentIndex(); }
  // Shows the series of the cell (titled with its position) or empty charts.
  void plot(int row, int col, const TCellSeries& series);
  void clearCharts();
  // The admixture tab is there with two populations only.
  void showAdmixture(bool shown);
  bool admixtureShown() const { return charts_->isTabVisible(charts_->indexOf(admixtureTab_)); }

  QComboBox* rowList() const { return rowList_; }
  QComboBox* columnList() const { return columnList_; }
  TChartPanel* densityChart() const { return density_; }
  TChartPanel* emigrantsChart() const { return emigrants_; }
  TChartPanel* cumulativeChart() const { return cumulative_; }
  TChartPanel* admixtureChart() const { return admixture_; }

 private:
  QComboBox* rowList_;
  QComboBox* columnList_;
  QTabWidget* charts_;
  QWidget* admixtureTab_;
  TChartPanel* density_;
  TChartPanel* emigrants_;
  TChartPanel* cumulative_;
  TChartPanel* admixture_;
};

}  // namespace orvantis
