// The first page of the main window: the settings file, the parameters of the demography, the
// outputs and the commands of the demographic workflow.

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "gui/form_controls.h"

namespace orvantis {

namespace {

QLineEdit* field(const QString& text, QWidget* parent, int width = 90) {
  auto* edit = new QLineEdit(text, parent);
  edit->setMaximumWidth(width);
  return edit;
}

QLineEdit* labelledField(QGridLayout* grid, int row, const QString& caption, const QString& text,
                         QWidget* parent, QLabel** label = nullptr) {
  auto* l = new QLabel(caption, parent);
  grid->addWidget(l, row, 0);
  QLineEdit* edit = field(text, parent);
  grid->addWidget(edit, row, 1);
  if (label) *label = l;
  return edit;
}

QGroupBox* demographyGroup(QWidget* parent, TDemographyControls& c) {
  auto* group = new QGroupBox("Demography", parent);
  auto* layout = new QVBoxLayout(group);
  auto* times = new QGridLayout();
  c.generationTime = labelledField(times, 0, "Generation time (years): ", "20", group);
  c.startTime = labelledField(times, 1, "Start Time (years B.P.): ", "-120000", group);
  c.generations = labelledField(times, 2, "Number of generations:", "500", group);
  layout->addLayout(times);

  c.modelList = new QComboBox(group);
  c.modelList->setPlaceholderText("choose a migration model");
  c.modelList->setMinimumContentsLength(36);
  c.modelList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  layout->addWidget(c.modelList);

  c.onePopulationGroup = new QGroupBox("One pop. model", group);
  auto* one = new QGridLayout(c.onePopulationGroup);
  c.growthRate = labelledField(one, 0, "Growth rate:", "0.1", c.onePopulationGroup);
  c.migrationRate = labelledField(one, 1, "Migration rate:", "0.2", c.onePopulationGroup);
  layout->addWidget(c.onePopulationGroup);

  c.twoPopulationGroup = new QGroupBox("Two pop. model", group);
  auto* two = new QGridLayout(c.twoPopulationGroup);
  QWidget* g2 = c.twoPopulationGroup;
  c.growthRateP1 = labelledField(two, 0, "Growth rate P1:", "0.1", g2, &c.growthRateP1Label);
  c.growthRateP2 = labelledField(two, 1, "Growth rate P2:", "0.1", g2, &c.growthRateP2Label);
  c.migrationRateP1 =
      labelledField(two, 2, "Migration rate P1:", "0.2", g2, &c.migrationRateP1Label);
  c.migrationRateP2 =
      labelledField(two, 3, "Migration rate P2:", "0.2", g2, &c.migrationRateP2Label);
  c.admixtureGroup = new QGroupBox("Admixture", g2);
  auto* admixture = new QGridLayout(c.admixtureGroup);
  c.p2ToP1 = labelledField(admixture, 0, "P2 to P1:", "0.1", c.admixtureGroup);
  c.p1ToP2 = labelledField(admixture, 1, "P1 to P2:", "0.0", c.admixtureGroup);
  two->addWidget(c.admixtureGroup, 4, 0, 1, 2);
  layout->addWidget(c.twoPopulationGroup);
  layout->addStretch(1);
  return group;
}

QGroupBox* environmentGroup(QWidget* parent, TDemographyControls& c) {
  auto* group = new QGroupBox("Environment", parent);
  auto* layout = new QVBoxLayout(group);
  auto* note =
      new QLabel("Settings linked to the environment must be set in the Settings file", group);
  note->setWordWrap(true);
  layout->addWidget(note);
  c.staticDynamicGroup = new QGroupBox("Vegetation", group);
  auto* choice = new QGridLayout(c.staticDynamicGroup);
  c.staticChoice = new QRadioButton("Static", c.staticDynamicGroup);
  c.dynamicChoice = new QRadioButton("Dynamic", c.staticDynamicGroup);
  c.staticChoice->setChecked(true);
  choice->addWidget(c.staticChoice, 0, 0);
  choice->addWidget(c.dynamicChoice, 1, 0);
  c.dynamicPeriod = field("500", c.staticDynamicGroup);
  choice->addWidget(c.dynamicPeriod, 1, 1);
  c.staticDynamicGroup->hide();
  layout->addWidget(c.staticDynamicGroup);
  layout->addStretch(1);
  return group;
}

// Where the demographic database keeps its rows, and a finished demography saved to a file or
// loaded from one to run the genetic simulations again without simulating it anew.
QGroupBox* databaseGroup(QWidget* parent, TDemographyControls& c) {
  auto* group = new QGroupBox("Demographic database", parent);
  auto* layout = new QVBoxLayout(group);
  auto* storage = new QHBoxLayout();
  storage->addWidget(new QLabel("Storage:", group));
  c.storage = new QComboBox(group);
  c.storage->addItems({"auto", "memory", "compressed"});
  c.storage->setCurrentIndex(0);
  c.storage->setToolTip(
      "auto: compressed only when the plain rows would not fit in memory; the choice holds for "
      "the next \"Build World\" and \"RUN\" and does not change the results");
  storage->addWidget(c.storage, 1);
  layout->addLayout(storage);
  c.saveDemography = new QPushButton("Save demography...", group);
  c.saveDemography->setEnabled(false);
  c.loadDemography = new QPushButton("Load demography...", group);
  layout->addWidget(c.saveDemography);
  layout->addWidget(c.loadDemography);
  return group;
}

QGroupBox* outputsGroup(QWidget* parent, TDemographyControls& c) {
  auto* group = new QGroupBox("Outputs", parent);
  auto* layout = new QVBoxLayout(group);
  auto checks = [&](const QString& title, QCheckBox*& density, QCheckBox*& migrants,
                    QCheckBox*& occupation) {
    auto* box = new QGroupBox(title, group);
    auto* l = new QVBoxLayout(box);
    density = new QCheckBox("population density", box);
    migrants = new QCheckBox("number of migrants", box);
    occupation = new QCheckBox("occupation", box);
    for (QCheckBox* check : {density, migrants, occupation}) l->addWidget(check);
    layout->addWidget(box);
  };
  checks(" generate BMP of ", c.bmpDensity, c.bmpMigrants, c.bmpOccupation);
  checks(" generate ASCII raster of ", c.asciiDensity, c.asciiMigrants, c.asciiOccupation);
  auto* every = new QHBoxLayout();
  every->addWidget(new QLabel("During simulation, every", group));
  c.outputEvery = field("50", group, 60);
  every->addWidget(c.outputEvery);
  every->addWidget(new QLabel("generations:", group));
  every->addStretch(1);
  layout->addLayout(every);
  c.outputAgain = new QPushButton("Output again after simulation", group);
  c.outputAgain->setEnabled(false);
  layout->addWidget(c.outputAgain);
  layout->addStretch(1);
  return group;
}

}  // namespace

void buildDemographyPage(QWidget* page, TDemographyControls& c) {
  auto* layout = new QVBoxLayout(page);

  auto* file = new QHBoxLayout();
  c.settingsFile = new QLineEdit(page);
  c.settingsFile->setPlaceholderText(
      "Open a Settings file before changing parameter values below...");
  c.openSettings = new QPushButton("Open Settings...", page);
  c.viewSettings = new QPushButton("View Settings File", page);
  file->addWidget(c.settingsFile, 1);
  file->addWidget(c.openSettings);
  file->addWidget(c.viewSettings);
  layout->addLayout(file);

  c.parameterPanel = new QWidget(page);
  auto* panel = new QVBoxLayout(c.parameterPanel);
  panel->setContentsMargins(0, 0, 0, 0);
  auto* groups = new QHBoxLayout();
  groups->addWidget(demographyGroup(c.parameterPanel, c), 3);
  auto* middle = new QVBoxLayout();
  middle->addWidget(environmentGroup(c.parameterPanel, c), 1);
  middle->addWidget(databaseGroup(c.parameterPanel, c));
  groups->addLayout(middle, 1);
  groups->addWidget(outputsGroup(c.parameterPanel, c), 2);
  panel->addLayout(groups, 1);

  auto* commands = new QHBoxLayout();
  c.buildWorld = new QPushButton("Build World", c.parameterPanel);
  c.run = new QPushButton("RUN", c.parameterPanel);
  c.showResults = new QPushButton("Show results", c.parameterPanel);
  c.run->setEnabled(false);
  c.showResults->setEnabled(false);
  for (QPushButton* b : {c.buildWorld, c.run, c.showResults}) {
    b->setMinimumWidth(110);
    commands->addWidget(b);
  }
  commands->addSpacing(20);
  c.populationLabel = new QLabel("layer", c.parameterPanel);
  c.populationSelector = new QComboBox(c.parameterPanel);
  c.populationSelector->addItems({"P1", "P2"});
  c.populationSelector->setCurrentIndex(0);
  commands->addWidget(c.populationLabel);
  commands->addWidget(c.populationSelector);
  commands->addStretch(1);
  panel->addLayout(commands);

  auto* progress = new QHBoxLayout();
  c.progressBar = new QProgressBar(c.parameterPanel);
  c.progressBar->setRange(0, 1000);
  c.progressBar->setValue(0);
  progress->addWidget(c.progressBar, 1);
  progress->addWidget(new QLabel("Simulation duration (sec):", c.parameterPanel));
  c.duration = new QLabel("0", c.parameterPanel);
  c.duration->setMinimumWidth(60);
  progress->addWidget(c.duration);
  panel->addLayout(progress);

  layout->addWidget(c.parameterPanel, 1);
  c.parameterPanel->hide();
  layout->addStretch(0);
}

}  // namespace orvantis
