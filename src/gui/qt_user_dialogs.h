#pragma once
// The dialogs of the desktop program as real modal Qt dialogs.

#include <QWidget>

#include "gui/user_dialogs.h"

namespace orvantis {

// The filter of a Qt file dialog for label|pattern pairs: "Text files (.txt)|*.txt|All files|*.*"
// gives "Text files (.txt) (*.txt);;All files (*.*)"; a label that already shows its pattern in
// brackets is kept as it is.
QString qtFileFilter(const QString& pipeFilter);

class TQtUserDialogs : public TUserDialogs {
 public:
  // Dialogs are centred on the parent's window (none: the screen's centre).
  explicit TQtUserDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void messageBox(const QString& text, const QString& caption) override;
  bool askOkCancel(const QString& text, const QString& caption) override;
  bool askYesNo(const QString& text, const QString& caption) override;
  std::optional<QString> chooseOpenFile(const QString& title, const QString& filter) override;
  std::optional<QString> chooseSaveFile(const QString& title, const QString& defaultSuffix,
                                        const QString& filter) override;
  bool openWithDesktop(const QString& path) override;

 private:
  QWidget* parent_;
};

}  // namespace orvantis
