// The main window's controls and the settings: what opening a file shows, what the steps write
// back, and the enabling rules that follow from them.

#include <QTest>

#include "gui_study.h"
#include "gui_test_registry.h"

namespace orvantis::testing {

namespace {

std::string settingValue(TFrictionForm& form, const char* key) {
  return form.world().settings().textValue(my_string(key)).str();
}

}  // namespace

class TestSettingsRoundTrip : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void opensWithTheWindowsDefaults() {
    TWindowUnderTest w;
    QCOMPARE(w.form->windowTitle(), QString("ORVANTIS 3.0"));
    QVERIFY(w.logText().rfind("ORVANTIS 3.0 | Logfile\n**************************\n", 0) == 0);
    QVERIFY(w.demo().parameterPanel->isHidden());
    QCOMPARE(w.genetics().status->text(), QString("No demographic simulations available"));
    QVERIFY(!w.demo().run->isEnabled());
    QVERIFY(!w.demo().showResults->isEnabled());
    QVERIFY(!w.demo().outputAgain->isEnabled());
    QVERIFY(!w.genetics().doSimulations->isEnabled());
    QVERIFY(!w.genetics().drawCoalescences->isEnabled());
    QVERIFY(!w.genetics().drawMrca->isEnabled());
    QVERIFY(!w.demo().populationSelector->isEnabled());
  }

  // Model 14 selects "4. One population with LDD"; Build World writes 14 back. A model typed
  // into the list then reaches the settings at the next step.
  void modelFourteenRoundTrip() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.form->openSettingsFile(study.writeSmallStudy({{"ChosenDemographicModel", "14"}}));
    QVERIFY(!w.demo().parameterPanel->isHidden());
    QCOMPARE(w.demo().modelList->count(), 6);
    QCOMPARE(w.demo().modelList->currentText(), QString("4. One population with LDD"));
    w.demo().buildWorld->click();
    QVERIFY2(w.form->world().isBuilt(), w.logText().c_str());
    QCOMPARE(settingValue(*w.form, "ChosenDemographicModel"), std::string("14"));
    QCOMPARE(w.form->world().settings().intParameter(IntParam::ChosenDemographicModel), 14);

    w.demo().modelList->setCurrentIndex(2);
    Q_EMIT w.demo().modelList->activated(2);
    w.form->updateNumericSettings();
    QCOMPARE(settingValue(*w.form, "ChosenDemographicModel"), std::string("3"));
  }

  // Model 35 has no item: nothing is selected, Build World writes 0, and RUN reports the unknown
  // model in its box and the log.
  void unknownModelSelectsNothingAndRunReportsIt() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.form->openSettingsFile(study.writeSmallStudy({{"ChosenDemographicModel", "35"}}));
    QCOMPARE(w.demo().modelList->currentIndex(), -1);
    w.demo().buildWorld->click();
    QCOMPARE(settingValue(*w.form, "ChosenDemographicModel"), std::string("0"));
    QVERIFY(w.demo().run->isEnabled());
    w.demo().run->click();
    QVERIFY(w.dialogs.shown().contains(
        "ERROR: demographic model ID : The ID of the demographic model is not known!"));
    QVERIFY(w.logText().find("--> model 0 unknown!") != std::string::npos);
    QVERIFY(!w.genetics().doSimulations->isEnabled());
    QCOMPARE(w.form->lastGeneration(), 0);
  }

  void changingTheGenerationsDisablesRunUntilTheWorldIsBuiltAgain() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.form->openSettingsFile(study.writeSmallStudy());
    w.demo().buildWorld->click();
    QVERIFY(w.demo().run->isEnabled());
    QTest::keyClicks(w.demo().generations, "0");
    QCOMPARE(w.demo().generations->text(), QString("400"));
    QVERIFY(!w.demo().run->isEnabled());
    w.demo().dynamicChoice->setChecked(true);
    w.demo().staticChoice->setChecked(true);
    QVERIFY(!w.demo().run->isEnabled());
    w.demo().buildWorld->click();
    QVERIFY(w.demo().run->isEnabled());
    QCOMPARE(w.form->world().database().endTime(), 400);
  }

  // Without GenerateOutputMDensityBMP the update stops at the first check box: all six keep
  // their state, and the log gets the update's error line.
  void missingOutputKeyLeavesTheCheckBoxesAndLogs() {
    TGuiStudy study;
    TWindowUnderTest w;
    const QString settings = study.writeSmallStudy({{"GenerateOutputMDensityBMP", "<none>"},
                                                    {"GenerateOutputMigrationBMP", "1"},
                                                    {"GenerateOutputOccupationASCII", "1"}});
    w.demo().bmpMigrants->setChecked(false);
    w.demo().asciiDensity->setChecked(true);
    w.form->openSettingsFile(settings);
    QVERIFY(!w.demo().bmpMigrants->isChecked());
    QVERIFY(w.demo().asciiDensity->isChecked());
    QVERIFY(!w.demo().asciiOccupation->isChecked());
    QVERIFY(w.logText().find(" ERROR: {TFrictionForm::updateGraphicSettings()} [unable to update "
                             "grpahic settings]\n") != std::string::npos);
    // The steps before went through and the command went on.
    QCOMPARE(w.demo().generations->text(), QString("40"));
    QVERIFY(w.logText().find("... Done !\n") != std::string::npos);
    QVERIFY(!w.demo().parameterPanel->isHidden());

    // With every key the boxes follow the file, and the next step writes them back.
    study.editSettings({{"GenerateOutputMDensityBMP", "1"}});
    w.form->openSettingsFile(settings);
    QVERIFY(w.demo().bmpDensity->isChecked());
    QVERIFY(w.demo().bmpMigrants->isChecked());
    QVERIFY(!w.demo().asciiDensity->isChecked());
    w.demo().bmpOccupation->setChecked(true);
    w.form->updateNumericSettings();
    QCOMPARE(settingValue(*w.form, "GenerateOutputOccupationBMP"), std::string("1"));
    QCOMPARE(settingValue(*w.form, "GenerateOutputMDensityASCII"), std::string("0"));
  }

  // "View Settings File" with an empty field, and a settings file that cannot be opened: their
  // boxes, the panel hidden; a cancelled dialog changes nothing.
  void filesThatCannotBeOpenedAreReported() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.demo().viewSettings->click();
    QCOMPARE(w.dialogs.shown(),
             QStringList{"ERROR: Settings File: Error when opening Settings file"});
    QVERIFY(w.dialogs.openedWithDesktop.isEmpty());

    w.dialogs.fileAnswers.push_back(study.path("missing.txt"));
    w.demo().openSettings->click();
    QCOMPARE(w.dialogs.dialogTitles, QStringList{"Open Settings"});
    const std::string message =
        "Inputfile '" + study.path("missing.txt").toStdString() + "' could not be opened!";
    QCOMPARE(w.dialogs.shown().back(),
             ": Problem when loading project file:" + QString::fromStdString(message));
    QVERIFY(w.logText().find("\nERROR:" + message + "\n") != std::string::npos);
    QVERIFY(w.demo().parameterPanel->isHidden());
    w.demo().openSettings->click();
    QCOMPARE(w.dialogs.boxes.size(), std::size_t{2});

    w.form->openSettingsFile(study.writeSmallStudy());
    w.demo().viewSettings->click();
    QCOMPARE(w.dialogs.openedWithDesktop, QStringList{study.path("settings.txt")});
    QCOMPARE(w.dialogs.boxes.size(), std::size_t{2});
  }

  // Two populations: their controls, the model list of two-population models, the admixture tab
  // and the population selector; Build World enables the selector.
  void twoPopulationControls() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.form->openSettingsFile(study.writeSmallStudy({{"DoublePopulationMode", "1"},
                                                    {"ChosenDemographicModel", "24"},
                                                    {"GrowthRate_P2", "0.5"},
                                                    {"MigrationRate_P2", "0.25"},
                                                    {"MigrRate_P2_to_P1", "0.05"},
                                                    {"MigrRate_P1_to_P2", "0"},
                                                    {"Veg2K_P2_File", "veg2k.txt"},
                                                    {"Veg2F_P2_File", "veg2f.txt"},
                                                    {"Veg2m_P2_File", "veg2f.txt"}}));
    QVERIFY(w.demo().onePopulationGroup->isHidden());
    QVERIFY(!w.demo().twoPopulationGroup->isHidden());
    QCOMPARE(w.demo().modelList->currentText(),
             QString("10. Two populations with hybridization, no competition"));
    QCOMPARE(w.demo().p2ToP1->text(), QString("0.05"));
    QVERIFY(!w.genetics().coalescentTrees->isEnabled());
    QVERIFY(w.form->timeSeriesPage()->admixtureShown());
    QVERIFY(!w.demo().populationSelector->isHidden());
    QVERIFY(!w.demo().populationSelector->isEnabled());

    w.demo().growthRateP2->setText("0.45");
    w.demo().buildWorld->click();
    QVERIFY2(w.form->world().isBuilt(), w.logText().c_str());
    QVERIFY(w.demo().populationSelector->isEnabled());
    QCOMPARE(settingValue(*w.form, "GrowthRate_P2"), std::string("0.45"));
    QCOMPARE(settingValue(*w.form, "ChosenDemographicModel"), std::string("24"));

    // Back to one population: the one-population controls again.
    w.form->openSettingsFile(study.writeSmallStudy());
    QVERIFY(!w.demo().onePopulationGroup->isHidden());
    QVERIFY(w.demo().twoPopulationGroup->isHidden());
    QVERIFY(!w.form->timeSeriesPage()->admixtureShown());
    QVERIFY(w.genetics().coalescentTrees->isEnabled());
  }

  // The genetic controls: filled from the settings, written back by their own update, and their
  // error lines when a value is missing or not a number.
  void geneticControlsRoundTrip() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.form->openSettingsFile(study.writeSmallStudy({{"SampleFile", "samples.sam"},
                                                    {"GeneticFile", "genetics.par"},
                                                    {"NumGeneticSimulations", "7"},
                                                    {"MaxNumGenerations", "2500"},
                                                    {"GenealogiesFile", "1"},
                                                    {"NexusFile", "1"},
                                                    {"ImmigDistrFile", "0"},
                                                    {"TauValue", "300"}}));
    QCOMPARE(w.genetics().numSimulations->text(), QString("7"));
    QVERIFY(w.genetics().genealogies->isChecked());
    QVERIFY(!w.genetics().coalescentTemporal->isChecked());
    QCOMPARE(w.genetics().tau->text(), QString("300"));
    QCOMPARE(w.genetics().ancestralSize->text(), QString("0"));  // not in the file
    QVERIFY(w.logText().find("genetic graphic settings") == std::string::npos);

    w.genetics().coalescentTemporal->setChecked(true);
    w.genetics().ancestralSize->setText("250");
    w.genetics().numSimulations->setText("3");
    w.form->updateNumericGeneticSettings();
    QCOMPARE(settingValue(*w.form, "TemporalCoalescenceFile"), std::string("1"));
    QCOMPARE(settingValue(*w.form, "AncestralSize"), std::string("250"));
    QCOMPARE(settingValue(*w.form, "NumGeneticSimulations"), std::string("3"));
    QCOMPARE(settingValue(*w.form, "SampleFile"), std::string("samples.sam"));

    w.genetics().maxGenerations->setText("many");
    w.form->updateNumericGeneticSettings();
    QVERIFY(w.logText().find(" ERROR: {TFrictionForm::updateNumericGeneticSettings()} [unable to "
                             "update genetic numeric settings]\n") != std::string::npos);

    // "Browse ..." puts the chosen file into its field; a cancelled dialog leaves it.
    w.dialogs.fileAnswers.push_back("/data/other.sam");
    w.genetics().browseSamples->click();
    w.genetics().browseGenetics->click();
    QCOMPARE(w.genetics().sampleFile->text(), QString("/data/other.sam"));
    QCOMPARE(w.genetics().geneticFile->text(), QString("genetics.par"));

    // A study that names no sample file: the update logs its line.
    TWindowUnderTest fresh;
    fresh.form->openSettingsFile(study.writeSmallStudy());
    QVERIFY(
        fresh.logText().find(" ERROR: {TFrictionForm::updateGraphicGeneticSettings()} [unable to "
                             "update genetic graphic settings]\n") != std::string::npos);
  }

  // A friction choice out of range stops the update of the controls; a number of generations
  // that is not a whole number stops Build World with a clear box.
  void valuesThatCannotBeUsedAreReported() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.form->openSettingsFile(study.writeSmallStudy({{"FrictionChoice", "3"}}));
    QVERIFY(w.logText().find("[unable to update grpahic settings]") != std::string::npos);
    w.form->openSettingsFile(study.writeSmallStudy());
    w.demo().generations->setText("forty");
    w.demo().buildWorld->click();
    QVERIFY(!w.form->world().isBuilt());
    QCOMPARE(w.dialogs.shown(),
             QStringList{": Problem when loading project file:The value 'forty' of \"Number of "
                         "generations:\" is not a whole number"});
  }
};

ORVANTIS_GUI_TEST(TestSettingsRoundTrip);

}  // namespace orvantis::testing

#include "settings_round_trip_test.moc"
