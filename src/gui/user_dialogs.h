#pragma once
// Everything the desktop program asks of the user through a modal dialog: message boxes,
// questions, file choices, and opening a file with the desktop's application. The program shows
// real dialogs; the tests answer them from a script.

#include <QString>
#include <optional>

namespace orvantis {

class TUserDialogs {
 public:
  virtual ~TUserDialogs() = default;

  // A box with one OK button; an empty caption shows the program's own title.
  virtual void messageBox(const QString& text, const QString& caption) = 0;
  // True for OK, false for Cancel.
  virtual bool askOkCancel(const QString& text, const QString& caption) = 0;
  // True for Yes, false for No.
  virtual bool askYesNo(const QString& text, const QString& caption) = 0;
  // The file chosen in an open dialog, or nothing when the user cancels. The filter is written
  // as label|pattern pairs, e.g. "Text files (.txt)|*.txt|All files|*.*".
  virtual std::optional<QString> chooseOpenFile(const QString& title, const QString& filter) = 0;
  // The name chosen in a save dialog (with defaultSuffix added when the name has none), or
  // nothing when the user cancels.
  virtual std::optional<QString> chooseSaveFile(const QString& title, const QString& defaultSuffix,
                                                const QString& filter) = 0;
  // Opens the file with the desktop's default application for it; false when that fails.
  virtual bool openWithDesktop(const QString& path) = 0;
};

}  // namespace orvantis
