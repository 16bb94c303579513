#pragma once
// Window services for tests: records every box, question and progress report, and answers
// questions with preset answers (OK/Yes by default).

#include <deque>
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
    return nextAnswer();
  }
  bool askYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back({text, caption});
    return nextAnswer();
  }
  void progress(const TProgress& p) override { progressReports.push_back(p); }
  void processPendingEvents() override { ++pendingEventCalls; }

  std::vector<RecordedBox> boxes;
  std::vector<RecordedBox> questions;
  std::vector<TProgress> progressReports;
  std::deque<bool> answers;  // consumed in order; true (OK/Yes) once empty
  int pendingEventCalls = 0;

 private:
  bool nextAnswer() {
    if (answers.empty()) return true;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace orvantis::testing
