#pragma once
// A line chart of the time-series page with its two export buttons: "&Save to *.SVG..." writes
// the chart as a vector image (SVG) and "&Copy to Clipboard" puts it on the clipboard as SVG and
// as a picture.

#include <QByteArray>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPushButton>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "gui/user_dialogs.h"

namespace orvantis {

class TChartPanel : public QWidget {
 public:
  TChartPanel(const QString& title, const QStringList& seriesNames, TUserDialogs& dialogs,
              QWidget* parent = nullptr);

  void setTitle(const QString& title);
  QString title() const;
  // The values of series i at generations 0, 1, 2, ...; the axes fit the values.
  void setSeries(int i, const std::vector<long long>& values);
  void clear();
  int seriesCount() const { return static_cast<int>(series_.size()); }
  QLineSeries* series(int i) const { return series_[static_cast<std::size_t>(i)]; }

  // The chart as an SVG document.
  QByteArray svg() const;
  // The save dialog ("Save to SVG"), then the SVG file; false when nothing was written.
  bool saveSvg();
  void copyToClipboard();

  QChartView* view() const { return view_; }
  QPushButton* saveButton() const { return saveButton_; }
  QPushButton* copyButton() const { return copyButton_; }

 private:
  void fitAxes();

  TUserDialogs& dialogs_;
  QChart* chart_;
  QChartView* view_;
  std::vector<QLineSeries*> series_;
  QPushButton* saveButton_;
  QPushButton* copyButton_;
};

}  // namespace orvantis
