#pragma once
// The window's side of the core's window interface: boxes and questions through the user's
// dialogs, progress on the main window's progress bar, and the pending events of the window
// processed whenever a long step of the core offers it, so the window stays responsive.

#include <QPointer>
#include <QProgressBar>
#include <functional>

#include "foundation/window_services.h"
#include "gui/user_dialogs.h"

namespace orvantis {

class TCoalescentDisplay;

class TGuiWindowServices : public TWindowServices {
 public:
  explicit TGuiWindowServices(TUserDialogs& dialogs) : dialogs_(dialogs) {}

  void setProgressBar(QProgressBar* bar) { bar_ = bar; }
  // The coalescent page's counters and pictures, and how to bring the page forward.
  void setCoalescentDisplay(TCoalescentDisplay* display, std::function<void()> showPage) {
    display_ = display;
    showPage_ = std::move(showPage);
  }

  void messageBox(const std::string& text, const std::string& caption) override;
  bool askOkCancel(const std::string& text, const std::string& caption) override;
  bool askYesNo(const std::string& text, const std::string& caption) override;
  void progress(const TProgress& progress) override;
  void processPendingEvents() override;

  void showCoalescentLabels(const TCoalescentLabels& labels) override;
  int coalescenceRefreshRate(int configured) override;
  void redrawCoalescenceDisplay(const TDemeCollection& collection) override;
  void drawLineageMap(const TDemeCollection& collection, int generation) override;
  void drawGenealogy(const TDemeCollection& collection, int simulation) override;
  void showGeneticSimulationNumber(int simulation) override;
  void showCoalescentPage() override;

 private:
  TUserDialogs& dialogs_;
  QPointer<QProgressBar> bar_;
  TCoalescentDisplay* display_ = nullptr;
  std::function<void()> showPage_;
};

}  // namespace orvantis
