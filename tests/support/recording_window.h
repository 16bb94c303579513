#pragma once
// Window services for tests: records every box and progress report; questions are answered
// with OK/Yes (or Cancel/No when `answer` is false) and recorded like boxes.

#include <string>
#include <vector>

#include "foundation/window_services.h"

namespace orvantis::testing {

struct RecordedBox {
  std::string text;
  std::string caption;
};

class RecordingWindow : public TWindowServices {
 public:
  void messageBox(const std::string& text, const std::string& caption) override {
    boxes.push_back({text, caption});
  }
  bool askOkCancel(const std::string& text, const std::string& caption) override {
    questions.push_back({text, caption});
    return answer;
  }
  bool askYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back({text, caption});
    return answer;
  }
  void progress(const TProgress& p) override { progressReports.push_back(p); }
  void processPendingEvents() override { ++pendingEventCalls; }

  std::vector<RecordedBox> boxes;
  std::vector<RecordedBox> questions;
  std::vector<TProgress> progressReports;
  int pendingEventCalls = 0;
  bool answer = true;
};

}  // namespace orvantis::testing
