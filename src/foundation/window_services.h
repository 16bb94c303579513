#pragma once
// The only way the core reaches the user: message boxes, questions, progress, and letting the
// window process its pending events. The window, the command line and the tests implement it.

#include <string>

namespace orvantis {

struct TProgress {
  std::string label;  // what is running, e.g. "Simulating demography"
  long current = 0;   // e.g. the generation reached
  long total = 0;     // e.g. EndTime
};

class TWindowServices {
 public:
  virtual ~TWindowServices() = default;
  // A modal box with one OK button; an empty caption means the system's default caption.
  virtual void messageBox(const std::string& text, const std::string& caption) = 0;
  // True for OK, false for Cancel.
  virtual bool askOkCancel(const std::string& text, const std::string& caption) = 0;
  // True for Yes, false for No.
  virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
  virtual void progress(const TProgress& progress) = 0;
  virtual void processPendingEvents() = 0;
};

// Answers every question with OK/Yes and shows nothing; for code that runs without a user.
class TSilentWindow : public TWindowServices {
 public:
  void messageBox(const std::string&, const std::string&) override {}
  bool askOkCancel(const std::string&, const std::string&) override { return true; }
  bool askYesNo(const std::string&, const std::string&) override { return true; }
  void progress(const TProgress&) override {}
  void processPendingEvents() override {}
};

}  // namespace orvantis
