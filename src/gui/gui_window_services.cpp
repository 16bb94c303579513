#include "gui/gui_window_services.h"

#include <QCoreApplication>
#include <QString>

#include "gui/coalescent_display.h"

namespace orvantis {

namespace {
QString text(const std::string& s) {
  return QString::fromStdString(s);
}
}  // namespace

void TGuiWindowServices::messageBox(const std::string& body, const std::string& caption) {
  dialogs_.messageBox(text(body), text(caption));
}

bool TGuiWindowServices::askOkCancel(const std::string& body, const std::string& caption) {
  return dialogs_.askOkCancel(text(body), text(caption));
}

bool TGuiWindowServices::askYesNo(const std::string& body, const std::string& caption) {
  return dialogs_.askYesNo(text(body), text(caption));
}

void TGuiWindowServices::progress(const TProgress& p) {
  if (!bar_) return;
  // A progress bar counts in int; totals beyond its range are shown in proportion.
  const long total = p.total > 0 ? p.total : 1;
  const long current = p.current < 0 ? 0 : (p.current > total ? total : p.current);
  bar_->setRange(0, 1000);
  bar_->setValue(static_cast<int>(current * 1000 / total));
  bar_->setFormat(text(p.label) + "  %p%");
  bar_->repaint();
}

void TGuiWindowServices::processPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TGuiWindowServices::showCoalescentLabels(const TCoalescentLabels& labels) {
  if (display_) display_->showLabels(labels);
}

int TGuiWindowServices::coalescenceRefreshRate(int configured) {
  return display_ ? display_->refreshRate(configured) : configured;
}

void TGuiWindowServices::redrawCoalescenceDisplay(const TDemeCollection& collection) {
  if (display_) display_->redraw(collection);
}

void TGuiWindowServices::drawLineageMap(const TDemeCollection& collection, int generation) {
  if (display_) display_->drawLineageMap(collection, generation);
}

void TGuiWindowServices::drawGenealogy(const TDemeCollection& collection, int simulation) {
  if (display_) display_->drawGenealogy(collection, simulation);
}

void TGuiWindowServices::showGeneticSimulationNumber(int simulation) {
  if (display_) display_->showSimulationNumber(simulation);
}

void TGuiWindowServices::showCoalescentPage() {
  if (showPage_) showPage_();
}

}  // namespace orvantis
