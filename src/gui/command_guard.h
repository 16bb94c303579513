#pragma once
// One command of the window at a time. The long steps let the window process its events, so a
// button can be pressed while a command runs; the guard refuses the second command with a box
// instead of letting it touch the world that the first one is using.

#include <QString>
#include <functional>
#include <optional>

#include "gui/user_dialogs.h"

namespace orvantis {

class TCommandGuard;

// Marks a command as running for its lifetime.
class TCommandScope {
 public:
  TCommandScope(const TCommandScope&) = delete;
  TCommandScope& operator=(const TCommandScope&) = delete;
  TCommandScope(TCommandScope&& other) noexcept : guard_(other.guard_) { other.guard_ = nullptr; }
  ~TCommandScope();

 private:
  friend class TCommandGuard;
  explicit TCommandScope(TCommandGuard* guard) : guard_(guard) {}
  TCommandGuard* guard_;
};

class TCommandGuard {
 public:
  inline static const QString kRefusedCaption = "WARNING: command refused";

  explicit TCommandGuard(TUserDialogs& dialogs) : dialogs_(dialogs) {}

  // Starts the command, or shows a box naming the running command and returns nothing.
  std::optional<TCommandScope> begin(const QString& command);
  bool running() const { return !running_.isEmpty(); }
  const QString& runningCommand() const { return running_; }
  // Called with true when a command starts and with false when it ends.
  void setOnChange(std::function<void(bool)> onChange) { onChange_ = std::move(onChange); }

  // The text of the box that refuses `command` while `running` runs.
  static QString refusedText(const QString& command, const QString& running);

 private:
  friend class TCommandScope;
  void end();

  TUserDialogs& dialogs_;
  QString running_;
  std::function<void(bool)> onChange_;
};

}  // namespace orvantis
