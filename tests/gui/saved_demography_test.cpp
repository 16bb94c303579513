// The demographic database from the window: the storage choice reaching the world, a finished
// demography saved and loaded again for the genetic simulations, and the loads that are refused.

#include <QFileInfo>
#include <QTest>

#include "gui_study.h"
#include "gui_test_registry.h"

namespace orvantis::testing {

namespace {

// The small study with a sample file and a genetic parameters file of its own.
QString writeGeneticSmallStudy(TGuiStudy& study, const TKeys& keys = {}) {
  study.write("samples.sam", "2\nhere 6 0 2.5 2.5\nthere 4 0 1.5 1.5\n");
  study.write("genetics.par",
              "1\n#chromosome 1\n1\nDNA 50 0 0.0001 0.25 0.25 0.25 0.25 1 4 1 1 4 1\n");
  TKeys all = {{"SampleFile", "samples.sam"},
               {"GeneticFile", "genetics.par"},
               {"NumGeneticSimulations", "2"},
               {"MaxNumGenerations", "100000"},
               {"GenotypicData", "0"}};
  for (const auto& [key, value] : keys) all[key] = value;
  return study.writeSmallStudy(all);
}

}  // namespace

class TestSavedDemography : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Each choice of the list is the storage of the next construction and run (the command's tests
  // show that the results do not depend on it).
  void storageChoiceReachesTheWorld() {
    const struct {
      const char* item;
      TDatabaseStorage storage;
    } cases[] = {{"memory", TDatabaseStorage::Memory},
                 {"compressed", TDatabaseStorage::Compressed},
                 {"auto", TDatabaseStorage::Auto}};
    for (const auto& row : cases) {
      TGuiStudy study;
      TWindowUnderTest w;
      w.form->openSettingsFile(study.writeSmallStudy());
      QCOMPARE(w.demo().storage->currentText(), QString("auto"));
      w.demo().storage->setCurrentText(row.item);
      w.demo().buildWorld->click();
      QCOMPARE(w.form->world().databaseStorage(), row.storage);
      w.demo().run->click();
      QCOMPARE(w.form->lastGeneration(), 40);
    }
  }

  // Saved after RUN and loaded in another window, the demography gives the same genetic data
  // as the run that saved it (model 1 draws no random number, both windows have seed 1).
  void savedDemographyRunsTheGeneticsAgain() {
    TGuiStudy study;
    const QString settings = writeGeneticSmallStudy(study);
    const QString saved = study.path("run.sdem");
    std::string firstData;
    {
      TWindowUnderTest w;
      w.form->openSettingsFile(settings);
      QVERIFY(!w.demo().saveDemography->isEnabled());
      w.demo().buildWorld->click();
      w.demo().run->click();
      QVERIFY(w.demo().saveDemography->isEnabled());
      w.dialogs.fileAnswers.push_back(saved);
      w.demo().saveDemography->click();
      QCOMPARE(w.dialogs.dialogTitles.back(), QString("Save demography"));
      QVERIFY2(QFileInfo::exists(saved), w.logText().c_str());
      w.genetics().doSimulations->click();
      QCOMPARE(w.genetics().status->text(), QString("Simulations are over!"));
      firstData = study.read("GeneticsOutput/settings_samples_2.arp");
      QVERIFY(!firstData.empty());
    }
    QFile::remove(study.path("GeneticsOutput/settings_samples_2.arp"));

    TWindowUnderTest w;
    w.form->openSettingsFile(settings);
    w.dialogs.fileAnswers.push_back(saved);
    w.demo().loadDemography->click();
    QVERIFY2(w.dialogs.boxes.empty(), qPrintable(w.dialogs.shown().join("\n")));
    QVERIFY(w.form->world().holdsSavedDemography());
    QCOMPARE(w.form->lastGeneration(), 40);
    QVERIFY(!w.demo().run->isEnabled());  // a saved demography is not run again
    QVERIFY(!w.demo().saveDemography->isEnabled());
    QVERIFY(w.genetics().doSimulations->isEnabled());
    QCOMPARE(w.genetics().status->text(), QString("Ready to simulate genetics"));
    TFormResultViewer* viewer = w.form->resultViewer();
    QVERIFY(viewer != nullptr);
    QCOMPARE(viewer->displTime()->text(), QString("40"));
    QCOMPARE(w.form->timeSeriesPage()->rowList()->count(), 4);

    w.genetics().doSimulations->click();
    QCOMPARE(w.genetics().status->text(), QString("Simulations are over!"));
    QCOMPARE(study.read("GeneticsOutput/settings_samples_2.arp"), firstData);

    // Building the world again makes it runnable.
    w.demo().buildWorld->click();
    QVERIFY(!w.form->world().holdsSavedDemography());
    QVERIFY(w.demo().run->isEnabled());
  }

  // A load that is refused says why and leaves nothing to simulate.
  void refusedLoadsLeaveNothingToSimulate() {
    TGuiStudy study;
    const QString settings = writeGeneticSmallStudy(study);
    const QString saved = study.path("run.sdem");
    {
      TWindowUnderTest w;
      w.form->openSettingsFile(settings);
      w.demo().buildWorld->click();
      w.demo().run->click();
      w.dialogs.fileAnswers.push_back(saved);
      w.demo().saveDemography->click();
      QVERIFY(QFileInfo::exists(saved));
    }
    study.write("damaged.sdem", "not a saved demography at all");

    // A damaged file; then settings with another number of generations typed in the window.
    const struct {
      QString file;
      QString generations;
      QString reason;
    } cases[] = {{study.path("damaged.sdem"), "40", "it is not a saved demography"},
                 {saved, "30", "EndTime: 40 in the saved demography, 30 in these settings"}};
    for (const auto& row : cases) {
      TWindowUnderTest w;
      w.form->openSettingsFile(settings);
      w.demo().generations->setText(row.generations);
      w.dialogs.fileAnswers.push_back(row.file);
      w.demo().loadDemography->click();
      QVERIFY2(!w.dialogs.boxes.empty(), qPrintable(row.file));
      QVERIFY2(w.dialogs.boxes.front().text.contains(row.reason),
               qPrintable(w.dialogs.shown().join("\n")));
      QVERIFY(!w.genetics().doSimulations->isEnabled());
      QCOMPARE(w.genetics().status->text(), QString("No demographic database available"));
      w.form->doSimulations();  // refused: nothing was loaded
      QVERIFY(w.dialogs.shown().back().startsWith("ERROR: genetic simulations: There is no"));
    }

    // Cancelling the dialog changes nothing.
    TWindowUnderTest w;
    w.form->openSettingsFile(settings);
    w.demo().loadDemography->click();
    QVERIFY(w.dialogs.boxes.empty());
    QVERIFY(!w.form->world().holdsSavedDemography());
  }
};

ORVANTIS_GUI_TEST(TestSavedDemography);

}  // namespace orvantis::testing

#include "saved_demography_test.moc"
