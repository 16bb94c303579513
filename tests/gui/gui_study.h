#pragma once
// Studies on disk for the window's tests, in a temporary directory: a copy of the bundled example
// study, or a small world written here; and a main window with scripted dialogs and a log in
// memory. The current directory, which opening a settings file changes, is restored afterwards.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gui/friction_form.h"
#include "scripted_dialogs.h"

namespace orvantis::testing {

using TKeys = std::map<std::string, std::string>;

class TGuiStudy {
 public:
  TGuiStudy() : cwd_(QDir::currentPath()) {}
  ~TGuiStudy() { QDir::setCurrent(cwd_); }
  TGuiStudy(const TGuiStudy&) = delete;
  TGuiStudy& operator=(const TGuiStudy&) = delete;

  QString path(const QString& name) const { return dir_.filePath(name); }
  void write(const QString& name, const std::string& content) const {
    QFile file(path(name));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content.data(), static_cast<qint64>(content.size()));
  }
  std::string read(const QString& name) const {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
  }

  // The example study copied into the directory; its settings file with `keys` set (replacing the
  // file's lines) and `removed` keys taken out.
  QString copyExample(const TKeys& keys = {}, const std::vector<std::string>& removed = {}) {
    const QDir example(QString(ORVANTIS_SOURCE_DIR) + "/examples/expansion");
    for (const QString& name : example.entryList(QDir::Files)) {
      QFile::copy(example.filePath(name), path(name));
    }
    editSettings(keys, removed);
    return path("settings.txt");
  }

  // A world of 4 rows and 5 columns of class 1 (K 100, F 0.5) with water at row 0, column 4; one
  // source of 50 at row 2, column 2; model 1 over 40 generations; every output key 0; `keys` set
  // ("<none>" removes a key).
  QString writeSmallStudy(const TKeys& keys = {}) {
    write("vegetation.asc",
          "ncols 5\nnrows 4\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n"
          "1 1 1 1 -9999\n1 1 1 1 1\n1 1 1 1 1\n1 1 1 1 1\n");
    write("veg2k_g0.txt", "1 100 grassland\n");
    write("veg2k.txt", "1\n0 veg2k_g0.txt\n");
    write("veg2f_g0.txt", "1 0.5 grassland\n");
    write("veg2f.txt", "1\n0 veg2f_g0.txt\n");
    write("sources.txt", "1\nfounders 50 1.5 2.5 0 0 0 0 0 0\n");
    write("settings.txt",
          "PresVegetationFile = vegetation.asc\nVeg2KFile = veg2k.txt\nVeg2FFile = veg2f.txt\n"
          "FrictionChoice = 0\nPopDensityFile = sources.txt\nDoublePopulationMode = 0\n"
          "ChosenDemographicModel = 1\nGrowthRate = 0.3\nMigrationRate = 0.2\nEndTime = 40\n"
          "GenerationTime = 25\nRealBPTime = -1000\nGenerateOutputMDensityBMP = 0\n"
          "GenerateOutputMigrationBMP = 0\nGenerateOutputOccupationBMP = 0\n"
          "GenerateOutputMDensityASCII = 0\nGenerateOutputMigrationASCII = 0\n"
          "GenerateOutputOccupationASCII = 0\n");
    editSettings(keys);
    return path("settings.txt");
  }

  // Sets keys of settings.txt (the value "<none>" removes the key) and removes the `removed` keys.
  void editSettings(const TKeys& keys, const std::vector<std::string>& removed = {}) {
    std::istringstream in(read("settings.txt"));
    std::string out;
    std::string line;
    while (std::getline(in, line)) {
      const std::string key = line.substr(0, line.find_first_of(" =\t"));
      if (keys.count(key) || std::find(removed.begin(), removed.end(), key) != removed.end()) {
        continue;
      }
      out += line + "\n";
    }
    for (const auto& [key, value] : keys) {
      if (value != "<none>") out += key + " = " + value + "\n";
    }
    write("settings.txt", out);
  }

 private:
  QTemporaryDir dir_;
  QString cwd_;
};

// A main window as a user has it, with scripted dialogs, a log in memory and seed 1.
struct TWindowUnderTest {
  TWindowUnderTest() : form(std::make_unique<TFrictionForm>(log, dialogs, 1)) {}

  std::string logText() const { return log.str(); }
  const TDemographyControls& demo() const { return form->demographyControls(); }
  const TCoalescentControls& genetics() const { return form->coalescentControls(); }

  std::ostringstream log;
  TScriptedDialogs dialogs;
  std::unique_ptr<TFrictionForm> form;
};

}  // namespace orvantis::testing
