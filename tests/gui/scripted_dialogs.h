#pragma once
// Dialogs for the window's tests: every box is recorded, questions are answered OK/Yes, and file
// dialogs answer from a queue (an empty queue cancels).

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "gui/user_dialogs.h"

namespace orvantis::testing {

struct TShownBox {
  QString text;
  QString caption;
};

class TScriptedDialogs : public TUserDialogs {
 public:
  void messageBox(const QString& text, const QString& caption) override {
    boxes.push_back({text, caption});
  }
  bool askOkCancel(const QString& text, const QString& caption) override {
    boxes.push_back({text, caption});
    return true;
  }
  bool askYesNo(const QString& text, const QString& caption) override {
    boxes.push_back({text, caption});
    return true;
  }
  std::optional<QString> chooseOpenFile(const QString& title, const QString&) override {
    return answer(title);
  }
  std::optional<QString> chooseSaveFile(const QString& title, const QString&,
                                        const QString&) override {
    return answer(title);
  }
  bool openWithDesktop(const QString& path) override {
    openedWithDesktop << path;
    return desktopOpens;
  }

  // The texts of the boxes shown so far, as "CAPTION: TEXT".
  QStringList shown() const {
    QStringList all;
    for (const TShownBox& box : boxes) all << box.caption + ": " + box.text;
    return all;
  }

  std::vector<TShownBox> boxes;
  std::deque<QString> fileAnswers;
  QStringList dialogTitles;
  QStringList openedWithDesktop;
  bool desktopOpens = true;

 private:
  std::optional<QString> answer(const QString& title) {
    dialogTitles << title;
    if (fileAnswers.empty()) return std::nullopt;
    QString file = fileAnswers.front();
    fileAnswers.pop_front();
    return file;
  }
};

}  // namespace orvantis::testing
