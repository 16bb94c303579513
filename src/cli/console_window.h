#pragma once
// Window services of the command line: boxes go to standard error as "CAPTION: TEXT" (the text
// alone without a caption), questions are answered OK/Yes unless told to cancel, and progress is
// a one-line bar on standard error when it is a terminal.

#include <chrono>
#include <ostream>

#include "foundation/window_services.h"

namespace orvantis {

class TConsoleWindow : public TWindowServices {
 public:
  TConsoleWindow(std::ostream& err, bool cancelOnQuestion, bool showProgress);

  void messageBox(const std::string& text, const std::string& caption) override;
  bool askOkCancel(const std::string& text, const std::string& caption) override;
  bool askYesNo(const std::string& text, const std::string& caption) override;
  void progress(const TProgress& progress) override;
  void processPendingEvents() override {}

 private:
  void endProgressLine();

  std::ostream& err_;
  bool cancelOnQuestion_;
  bool showProgress_;
  bool progressLineOpen_ = false;
  std::chrono::steady_clock::time_point progressStart_;
  long lastTotal_ = -1;
  long lastCurrent_ = -1;
};

}  // namespace orvantis
