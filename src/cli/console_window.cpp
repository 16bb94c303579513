#include "cli/console_window.h"

#include <cstdio>
#include <iomanip>

namespace orvantis {

TConsoleWindow::TConsoleWindow(std::ostream& err, bool cancelOnQuestion, bool showProgress)
    : err_(err), cancelOnQuestion_(cancelOnQuestion), showProgress_(showProgress) {}

void TConsoleWindow::endProgressLine() {
  if (progressLineOpen_) {
    err_ << '\n';
    progressLineOpen_ = false;
  }
}

void TConsoleWindow::messageBox(const std::string& text, const std::string& caption) {
  endProgressLine();
  if (caption.empty()) {
    err_ << text << std::endl;
  } else {
    err_ << caption << ": " << text << std::endl;
  }
}

bool TConsoleWindow::askOkCancel(const std::string& text, const std::string& caption) {
  messageBox(text, caption);
  err_ << (cancelOnQuestion_ ? "-> Cancel" : "-> OK") << std::endl;
  return !cancelOnQuestion_;
}

bool TConsoleWindow::askYesNo(const std::string& text, const std::string& caption) {
  messageBox(text, caption);
  err_ << (cancelOnQuestion_ ? "-> No" : "-> Yes") << std::endl;
  return !cancelOnQuestion_;
}

void TConsoleWindow::progress(const TProgress& p) {
  if (!showProgress_ || p.total <= 0) return;
  // A finished bar is not drawn again (the closing report only adds the duration).
  if (p.total == lastTotal_ && p.current >= p.total && lastCurrent_ >= p.total) return;
  const auto now = std::chrono::steady_clock::now();
  if (p.total != lastTotal_ || p.current == 0 || p.current < lastCurrent_) progressStart_ = now;
  lastTotal_ = p.total;
  lastCurrent_ = p.current;
  const double fraction = static_cast<double>(p.current) / static_cast<double>(p.total);
  const double elapsed = std::chrono::duration<double>(now - progressStart_).count();
  const double left = fraction > 0.0 ? elapsed * (1.0 - fraction) / fraction : 0.0;
  constexpr int kWidth = 30;
  const int filled = static_cast<int>(fraction * kWidth + 0.5);
  err_ << '\r' << p.label << " [" << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << p.unit << ' '
       << p.current << '/' << p.total << ' ' << std::setw(3) << static_cast<int>(fraction * 100.0)
       << "%  " << std::fixed << std::setprecision(1) << left << " s left" << std::defaultfloat
       << std::flush;
  progressLineOpen_ = true;
  if (p.current >= p.total) endProgressLine();
}

}  // namespace orvantis
