#include "gui/chart_panel.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPainter>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace orvantis {

TChartPanel::TChartPanel(const QString& title, const QStringList& seriesNames,
                         TUserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), chart_(new QChart()) {
  chart_->setTitle(title);
  auto* xAxis = new QValueAxis(chart_);
  auto* yAxis = new QValueAxis(chart_);
  xAxis->setTitleText("Generation");
  xAxis->setLabelFormat("%d");
  yAxis->setLabelFormat("%.0f");
  chart_->addAxis(xAxis, Qt::AlignBottom);
  chart_->addAxis(yAxis, Qt::AlignLeft);
  for (const QString& name : seriesNames) {
    auto* s = new QLineSeries(chart_);
    s->setName(name);
    chart_->addSeries(s);
    s->attachAxis(xAxis);
    s->attachAxis(yAxis);
    series_.push_back(s);
  }
  chart_->legend()->setVisible(seriesNames.size() > 1);
  chart_->legend()->setAlignment(Qt::AlignRight);
  fitAxes();

  view_ = new QChartView(chart_, this);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(360, 220);
  saveButton_ = new QPushButton("&Save to *.SVG...", this);
  copyButton_ = new QPushButton("&Copy to Clipboard", this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_, 1);
  auto* buttons = new QHBoxLayout();
  buttons->addWidget(saveButton_);
  buttons->addWidget(copyButton_);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(saveButton_, &QPushButton::clicked, this, [this] { saveSvg(); });
  connect(copyButton_, &QPushButton::clicked, this, [this] { copyToClipboard(); });
}

void TChartPanel::setTitle(const QString& title) {
  chart_->setTitle(title);
}

QString TChartPanel::title() const {
  return chart_->title();
}

void TChartPanel::setSeries(int i, const std::vector<long long>& values) {
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(values.size()));
  for (std::size_t t = 0; t < values.size(); ++t) {
    points.append(QPointF(static_cast<double>(t), static_cast<double>(values[t])));
  }
  series_[static_cast<std::size_t>(i)]->replace(points);
  fitAxes();
}

void TChartPanel::clear() {
  for (QLineSeries* s : series_) s->clear();
  fitAxes();
}

void TChartPanel::fitAxes() {
  double maxX = 1.0;
  double maxY = 1.0;
  for (const QLineSeries* s : series_) {
    for (const QPointF& p : s->points()) {
      maxX = std::max(maxX, p.x());
      maxY = std::max(maxY, p.y());
    }
  }
  const auto axesX = chart_->axes(Qt::Horizontal);
  const auto axesY = chart_->axes(Qt::Vertical);
  if (!axesX.isEmpty()) axesX.front()->setRange(0.0, maxX);
  if (!axesY.isEmpty()) {
    axesY.front()->setRange(0.0, maxY * 1.05);
    if (auto* y = qobject_cast<QValueAxis*>(axesY.front())) y->applyNiceNumbers();
  }
}

QByteArray TChartPanel::svg() const {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QSize size = view_->size().expandedTo(QSize(600, 400));
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  generator.setTitle(chart_->title());
  QPainter painter(&generator);
  chart_->scene()->render(&painter, QRectF(QPoint(0, 0), size), chart_->sceneBoundingRect());
  painter.end();
  return bytes;
}

bool TChartPanel::saveSvg() {
  const auto name =
      dialogs_.chooseSaveFile("Save to SVG", "svg", "SVG files (.svg)|*.svg|All Files (*.*)|*.*");
  if (!name) return false;
  QFile file(*name);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(svg()) < 0) {
    dialogs_.messageBox("Could not write the chart to " + *name, "ERROR: saving chart");
    return false;
  }
  return true;
}

void TChartPanel::copyToClipboard() {
  auto* data = new QMimeData();
  data->setData("image/svg+xml", svg());
  data->setImageData(view_->grab().toImage());
  QApplication::clipboard()->setMimeData(data);
}

}  // namespace orvantis
