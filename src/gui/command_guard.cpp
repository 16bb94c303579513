#include "gui/command_guard.h"

namespace orvantis {

TCommandScope::~TCommandScope() {
  if (guard_) guard_->end();
}

QString TCommandGuard::refusedText(const QString& command, const QString& running) {
  return "\"" + command + "\" cannot start while \"" + running +
         "\" is running. Please wait until it has finished.";
}

std::optional<TCommandScope> TCommandGuard::begin(const QString& command) {
  if (running()) {
    dialogs_.messageBox(refusedText(command, running_), kRefusedCaption);
    return std::nullopt;
  }
  running_ = command;
  if (onChange_) onChange_(true);
  return TCommandScope(this);
}

void TCommandGuard::end() {
  running_.clear();
  if (onChange_) onChange_(false);
}

}  // namespace orvantis
