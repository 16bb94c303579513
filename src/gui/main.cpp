// orvantis-gui: the desktop program. Opens a study's settings file in the main window, from
// which the user builds the world, runs the simulations and inspects the results.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <iostream>

#include "foundation/log.h"
#include "gui/friction_form.h"
#include "gui/number_text.h"
#include "gui/qt_user_dialogs.h"
#include "gui/screenshots.h"

int main(int argc, char** argv) {
  using namespace orvantis;
  QApplication app(argc, argv);
  QApplication::setApplicationName("orvantis-gui");
  QApplication::setApplicationDisplayName(TFrictionForm::kTitle);
  QApplication::setApplicationVersion("3.0");

  QCommandLineParser parser;
  parser.setApplicationDescription("ORVANTIS 3.0: population expansions and their genetic traces.");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption seedOption(
      "seed", "Seed the random generator with N (0 <= N < 2000000) instead of the clock.", "N");
  const QCommandLineOption screenshotsOption(
      "screenshots", "Build and run the study, save pictures of the windows into DIR, and quit.",
      "DIR");
  parser.addOption(seedOption);
  parser.addOption(screenshotsOption);
  parser.addPositionalArgument("settings", "The settings file of the study to open.",
                               "[SETTINGS_FILE]");
  parser.process(app);

  std::optional<int> seed;
  if (parser.isSet(seedOption)) {
    seed = parseWholeNumber(parser.value(seedOption));
    if (!seed || *seed < 0 || *seed >= 2000000) {
      std::cerr << "--seed needs a whole number from 0 to 1999999" << std::endl;
      return 2;
    }
  }
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    std::cerr << "Give at most one settings file" << std::endl;
    return 2;
  }
  // Opening the settings changes the current directory: names given here are made absolute.
  const QString settingsFile =
      files.isEmpty() ? QString() : QFileInfo(files.front()).absoluteFilePath();
  const QString screenshots = parser.isSet(screenshotsOption)
                                  ? QDir(parser.value(screenshotsOption)).absolutePath()
                                  : QString();
  if (!screenshots.isEmpty() && settingsFile.isEmpty()) {
    std::cerr << "--screenshots needs a settings file" << std::endl;
    return 2;
  }

  // The log lives in the directory current at program start, created before any window.
  TLogFile logFile;
  TQtUserDialogs dialogs;
  TFrictionForm form(logFile.stream(), dialogs, seed);
  dialogs.setParent(&form);
  form.show();
  if (!settingsFile.isEmpty()) form.openSettingsFile(settingsFile);
  if (!screenshots.isEmpty()) {
    // The source lies at row 58, column 58 of the example study; the charts show a cell the
    // wave reaches on its way north.
    return takeScreenshots(form, screenshots, 40, 50);
  }
  return app.exec();
}
