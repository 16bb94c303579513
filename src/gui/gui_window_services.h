#pragma once
// The window's side of the core's window interface: boxes and questions through the user's
// dialogs, progress on the main window's progress bar, and the pending events of the window
// processed whenever a long step of the core offers it, so the window stays responsive.

#include <QPointer>
#include <QProgressBar>

#include "foundation/window_services.h"
#include "gui/user_dialogs.h"

namespace orvantis {

class TGuiWindowServices : public TWindowServices {
 public:
  explicit TGuiWindowServices(TUserDialogs& dialogs) : dialogs_(dialogs) {}

  void setProgressBar(QProgressBar* bar) { bar_ = bar; }

  void messageBox(const std::string& text, const std::string& caption) override;
  bool askOkCancel(const std::string& text, const std::string& caption) override;
  bool askYesNo(const std::string& text, const std::string& caption) override;
  void progress(const TProgress& progress) override;
  void processPendingEvents() override;

 private:
  TUserDialogs& dialogs_;
  QPointer<QProgressBar> bar_;
};

}  // namespace orvantis
