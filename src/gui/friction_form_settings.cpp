// The main window's controls and the settings: filled from the settings when a file is opened,
// written back into them before every step.

#include <initializer_list>

#include "foundation/exception.h"
#include "gui/friction_form.h"
#include "gui/model_list.h"
#include "gui/number_text.h"

namespace orvantis {

namespace {

// The six output check boxes and their keys, in the order of the window.
struct TOutputKey {
  QCheckBox* TDemographyControls::*box;
  const char* key;
};
constexpr TOutputKey kOutputKeys[] = {
    {&TDemographyControls::bmpDensity, "GenerateOutputMDensityBMP"},
    {&TDemographyControls::bmpMigrants, "GenerateOutputMigrationBMP"},
    {&TDemographyControls::bmpOccupation, "GenerateOutputOccupationBMP"},
    {&TDemographyControls::asciiDensity, "GenerateOutputMDensityASCII"},
    {&TDemographyControls::asciiMigrants, "GenerateOutputMigrationASCII"},
    {&TDemographyControls::asciiOccupation, "GenerateOutputOccupationASCII"},
};

QString rate(TExtendedSettings& settings, const char* key) {
  return generalFormat(settings.realValue(my_string(key), true));
}

QString whole(TExtendedSettings& settings, const char* key, bool required) {
  return QString::number(settings.intValue(my_string(key), required));
}

my_string text(const QLineEdit* edit) {
  return my_string(edit->text().toStdString());
}

// The whole number of a field, or a TException naming the field.
int wholeNumber(const QLineEdit* edit, const char* caption) {
  const auto value = parseWholeNumber(edit->text());
  if (!value) {
    throw TException(my_string("The value '" + edit->text().toStdString() + "' of \"" + caption +
                               "\" is not a whole number"));
  }
  return *value;
}

void setShownAndEnabled(std::initializer_list<QWidget*> widgets) {
  for (QWidget* w : widgets) {
    w->show();
    w->setEnabled(true);
  }
}

}  // namespace

void TFrictionForm::updateGraphicSettings() {
  TExtendedSettings& s = world_->settings();
  try {
    if (populations() < 2) {
      demo_.twoPopulationGroup->hide();
      demo_.populationLabel->hide();
      setShownAndEnabled({demo_.onePopulationGroup, demo_.growthRate, demo_.migrationRate});
      genetics_.coalescentTrees->setEnabled(true);
      demo_.modelList->clear();
      for (const TModelItem& item : modelItems(1)) demo_.modelList->addItem(item.label);
      series_->showAdmixture(false);
      demo_.populationSelector->hide();
      demo_.growthRate->setText(rate(s, "GrowthRate"));
      demo_.migrationRate->setText(rate(s, "MigrationRate"));
    } else {
      demo_.migrationRateP2->setText(rate(s, "MigrationRate_P2"));
      demo_.p2ToP1->setText(rate(s, "MigrRate_P2_to_P1"));
      demo_.p1ToP2->setText(rate(s, "MigrRate_P1_to_P2"));
      demo_.growthRateP2->setText(rate(s, "GrowthRate_P2"));
      demo_.growthRateP1->setText(rate(s, "GrowthRate"));
      demo_.migrationRateP1->setText(rate(s, "MigrationRate"));
      setShownAndEnabled({demo_.twoPopulationGroup, demo_.growthRateP1, demo_.growthRateP2,
                          demo_.migrationRateP1, demo_.migrationRateP2, demo_.growthRateP1Label,
                          demo_.growthRateP2Label, demo_.migrationRateP1Label,
                          demo_.migrationRateP2Label, demo_.admixtureGroup, demo_.p2ToP1,
                          demo_.p1ToP2});
      demo_.populationLabel->show();
      demo_.onePopulationGroup->hide();
      genetics_.coalescentTrees->setEnabled(false);
      demo_.modelList->clear();
      for (const TModelItem& item : modelItems(2)) demo_.modelList->addItem(item.label);
      series_->showAdmixture(true);
      demo_.populationSelector->show();
    }
    demo_.modelList->setCurrentIndex(
        modelIndexOf(populations(), s.intValue(my_string("ChosenDemographicModel"), true)));

    demo_.generations->setText(whole(s, "EndTime", true));
    demo_.generationTime->setText(whole(s, "GenerationTime", true));
    demo_.startTime->setText(whole(s, "RealBPTime", true));

    if (s.lgmVegetationPresent()) demo_.dynamicChoice->setChecked(true);
    demo_.dynamicPeriod->setText(whole(s, "DynamicVegetationChangeTime", false));

    if (s.hasKey(my_string("FrictionChoice"))) {
      const long choice = s.intValue(my_string("FrictionChoice"));
      if (choice < 0 || choice > 2) {
        throw TException(
            my_string("The choice of friction type in the settings file is not 0, 1, or 2!"));
      }
    }
    for (const TOutputKey& output : kOutputKeys) {
      (demo_.*output.box)->setChecked(s.intValue(my_string(output.key), true) != 0);
    }
  } catch (...) {
    log_ << " ERROR: {TFrictionForm::updateGraphicSettings()} [unable to update grpahic settings]"
         << std::endl;
  }
}

void TFrictionForm::updateGraphicGeneticSettings() {
  TExtendedSettings& s = world_->settings();
  try {
    genetics_.sampleFile->setText(
        QString::fromStdString(s.textValue(my_string("SampleFile"), true).str()));
    genetics_.geneticFile->setText(
        QString::fromStdString(s.textValue(my_string("GeneticFile"), true).str()));
    genetics_.numSimulations->setText(whole(s, "NumGeneticSimulations", true));
    genetics_.maxGenerations->setText(whole(s, "MaxNumGenerations", true));
    genetics_.genealogies->setChecked(s.intValue(my_string("GenealogiesFile")) == 1);
    genetics_.coalescentTemporal->setChecked(s.intValue(my_string("TemporalCoalescenceFile")) == 1);
    genetics_.nexus->setChecked(s.intValue(my_string("NexusFile")) == 1);
    genetics_.immigrants->setChecked(s.intValue(my_string("ImmigDistrFile")) == 1);
    genetics_.tau->setText(whole(s, "TauValue", false));
    genetics_.ancestralSize->setText(whole(s, "AncestralSize", false));
  } catch (...) {
    log_ << " ERROR: {TFrictionForm::updateGraphicGeneticSettings()} [unable to update genetic "
            "graphic settings]"
         << std::endl;
  }
}

void TFrictionForm::updateNumericSettings() {
  TExtendedSettings& s = world_->settings();
  s.setValue(my_string("ChosenDemographicModel"),
             modelIdAt(populations(), demo_.modelList->currentIndex()));
  if (populations() < 2) {
    s.setValue(my_string("GrowthRate"), text(demo_.growthRate));
    s.setValue(my_string("MigrationRate"), text(demo_.migrationRate));
  } else {
    s.setValue(my_string("GrowthRate"), text(demo_.growthRateP1));
    s.setValue(my_string("MigrationRate"), text(demo_.migrationRateP1));
    s.setValue(my_string("GrowthRate_P2"), text(demo_.growthRateP2));
    s.setValue(my_string("MigrationRate_P2"), text(demo_.migrationRateP2));
    s.setValue(my_string("MigrRate_P2_to_P1"), text(demo_.p2ToP1));
    s.setValue(my_string("MigrRate_P1_to_P2"), text(demo_.p1ToP2));
  }
  s.setValue(my_string("EndTime"), wholeNumber(demo_.generations, "Number of generations:"));
  s.setValue(my_string("RealBPTime"), wholeNumber(demo_.startTime, "Start Time (years B.P.): "));
  s.setValue(my_string("GenerationTime"), text(demo_.generationTime));
  s.setDynamicVegetation(demo_.dynamicChoice->isChecked());
  s.setValue(my_string("DynamicVegetationChangeTime"), text(demo_.dynamicPeriod));
  for (const TOutputKey& output : kOutputKeys) {
    s.setValue(my_string(output.key), (demo_.*output.box)->isChecked() ? 1 : 0);
  }
}

void TFrictionForm::updateNumericGeneticSettings() {
  TExtendedSettings& s = world_->settings();
  try {
    s.setValue(my_string("SampleFile"), text(genetics_.sampleFile));
    s.setValue(my_string("GeneticFile"), text(genetics_.geneticFile));
    s.setValue(my_string("NumGeneticSimulations"),
               wholeNumber(genetics_.numSimulations, "No. of simulations: "));
    s.setValue(my_string("MaxNumGenerations"),
               wholeNumber(genetics_.maxGenerations, "Max. no. of simulated generations"));
    s.setValue(my_string("TauValue"), wholeNumber(genetics_.tau, "Tau:"));
    s.setValue(my_string("AncestralSize"), wholeNumber(genetics_.ancestralSize, "Ancestral size:"));
    s.setValue(my_string("GenealogiesFile"), genetics_.genealogies->isChecked() ? 1 : 0);
    s.setValue(my_string("TemporalCoalescenceFile"),
               genetics_.coalescentTemporal->isChecked() ? 1 : 0);
    s.setValue(my_string("NexusFile"), genetics_.nexus->isChecked() ? 1 : 0);
    s.setValue(my_string("ImmigDistrFile"), genetics_.immigrants->isChecked() ? 1 : 0);
  } catch (...) {
    log_ << " ERROR: {TFrictionForm::updateNumericGeneticSettings()} [unable to update genetic "
            "numeric settings]"
         << std::endl;
  }
}

}  // namespace orvantis
