#include "gui/qt_user_dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace orvantis {

namespace {

QString captionOrTitle(const QString& caption) {
  return caption.isEmpty() ? QApplication::applicationDisplayName() : caption;
}

}  // namespace

QString qtFileFilter(const QString& pipeFilter) {
  const QStringList parts = pipeFilter.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& label = parts[i];
    const QString pattern = QString(parts[i + 1]).replace(';', ' ');
    filters << (label.contains("(" + pattern + ")") ? label : label + " (" + pattern + ")");
  }
  return filters.join(";;");
}

void TQtUserDialogs::messageBox(const QString& text, const QString& caption) {
  QMessageBox::information(parent_, captionOrTitle(caption), text);
}

bool TQtUserDialogs::askOkCancel(const QString& text, const QString& caption) {
  return QMessageBox::question(parent_, captionOrTitle(caption), text,
                               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool TQtUserDialogs::askYesNo(const QString& text, const QString& caption) {
  return QMessageBox::question(parent_, captionOrTitle(caption), text,
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> TQtUserDialogs::chooseOpenFile(const QString& title, const QString& filter) {
  const QString name = QFileDialog::getOpenFileName(parent_, title, {}, qtFileFilter(filter));
  if (name.isEmpty()) return std::nullopt;
  return name;
}

std::optional<QString> TQtUserDialogs::chooseSaveFile(const QString& title,
                                                      const QString& defaultSuffix,
                                                      const QString& filter) {
  QFileDialog dialog(parent_, title, {}, qtFileFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

bool TQtUserDialogs::openWithDesktop(const QString& path) {
  if (!QFileInfo::exists(path)) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

}  // namespace orvantis
