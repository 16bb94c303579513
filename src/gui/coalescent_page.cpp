// The "Coalescent simulations" page: the files and counts of the genetic simulations, their
// output files, the commands, the counters and the live view of the lineages.

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "gui/form_controls.h"

namespace orvantis {

namespace {

QLineEdit* labelledField(QGridLayout* grid, int row, const QString& caption, const QString& text,
                         QWidget* parent, QLabel** label = nullptr) {
  auto* l = new QLabel(caption, parent);
  grid->addWidget(l, row, 0);
  auto* edit = new QLineEdit(text, parent);
  edit->setMaximumWidth(110);
  grid->addWidget(edit, row, 1);
  if (label) *label = l;
  return edit;
}

QLabel* counter(QGridLayout* grid, int row, const QString& caption, QWidget* parent) {
  grid->addWidget(new QLabel(caption, parent), row, 0);
  auto* value = new QLabel("0", parent);
  value->setMinimumWidth(70);
  grid->addWidget(value, row, 1);
  return value;
}

QGroupBox* filesGroup(QWidget* parent, TCoalescentControls& c) {
  auto* group = new QGroupBox("Coalescent simulations", parent);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel("Samples file:", group), 0, 0);
  c.sampleFile = new QLineEdit(group);
  c.browseSamples = new QPushButton("Browse ...", group);
  grid->addWidget(c.sampleFile, 0, 1);
  grid->addWidget(c.browseSamples, 0, 2);
  grid->addWidget(new QLabel("Genetic parameter file:", group), 1, 0);
  c.geneticFile = new QLineEdit(group);
  c.browseGenetics = new QPushButton("Browse ...", group);
  grid->addWidget(c.geneticFile, 1, 1);
  grid->addWidget(c.browseGenetics, 1, 2);
  grid->setColumnStretch(1, 1);
  return group;
}

QGroupBox* runGroup(QWidget* parent, TCoalescentControls& c) {
  auto* group = new QGroupBox("Simulations", parent);
  auto* grid = new QGridLayout(group);
  c.numSimulations = labelledField(grid, 0, "No. of simulations: ", "2", group);
  c.maxGenerations = labelledField(grid, 1, "Max. no. of simulated generations", "10000", group);
  auto* sources = new QGroupBox("Multiple source populations", group);
  auto* sourcesGrid = new QGridLayout(sources);
  c.tau = labelledField(sourcesGrid, 0, "Tau:", "100000", sources, &c.tauLabel);
  c.ancestralSize =
      labelledField(sourcesGrid, 1, "Ancestral size:", "100", sources, &c.ancestralSizeLabel);
  grid->addWidget(sources, 2, 0, 1, 2);
  return group;
}

QGroupBox* outputFilesGroup(QWidget* parent, TCoalescentControls& c) {
  auto* group = new QGroupBox("Output files", parent);
  auto* layout = new QVBoxLayout(group);
  c.genealogies = new QCheckBox("Genealogies", group);
  c.immigrants = new QCheckBox("Immigrants", group);
  c.coalescentTrees = new QCheckBox("Coalecent trees", group);
  c.coalescentSpatial = new QCheckBox("Coalescent spatial distribution", group);
  c.coalescentTemporal = new QCheckBox("Coalescent temporal distribution", group);
  c.nexus = new QCheckBox("Nexus", group);
  for (QCheckBox* check : {c.genealogies, c.immigrants, c.coalescentTrees, c.coalescentSpatial,
                           c.coalescentTemporal, c.nexus}) {
    layout->addWidget(check);
  }
  return group;
}

QGroupBox* displayGroup(QWidget* parent, TCoalescentControls& c) {
  auto* group = new QGroupBox("Display", parent);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel("Zoom factor: ", group), 0, 0);
  c.zoomFactor = new QComboBox(group);
  c.zoomFactor->addItems({"1", "2", "3", "4", "5", "6", "8", "10"});
  c.zoomFactor->setCurrentIndex(-1);
  grid->addWidget(c.zoomFactor, 0, 1);
  grid->addWidget(new QLabel("Refresh rate: ", group), 1, 0);
  c.refreshRate = new QLineEdit("10", group);
  c.refreshRate->setMaximumWidth(70);
  grid->addWidget(c.refreshRate, 1, 1);
  grid->addWidget(new QLabel("Draw:", group), 2, 0);
  auto* draw = new QHBoxLayout();
  c.drawCoalescences = new QPushButton("Coalescences", group);
  c.drawMrca = new QPushButton("MRCA", group);
  c.drawCoalescences->setEnabled(false);
  c.drawMrca->setEnabled(false);
  draw->addWidget(c.drawCoalescences);
  draw->addWidget(c.drawMrca);
  grid->addLayout(draw, 2, 1);
  return group;
}

QGroupBox* bitmapGroup(QWidget* parent, TCoalescentControls& c) {
  auto* group = new QGroupBox("Generate bitmap", parent);
  auto* grid = new QGridLayout(group);
  auto* every = new QHBoxLayout();
  c.geneticBitmaps = new QCheckBox("every", group);
  c.bitmapEvery = new QLineEdit("100", group);
  c.bitmapEvery->setMaximumWidth(60);
  every->addWidget(c.geneticBitmaps);
  every->addWidget(c.bitmapEvery);
  every->addWidget(new QLabel("generations", group));
  every->addStretch(1);
  grid->addLayout(every, 0, 0, 1, 2);

  auto* background = new QGroupBox("Background", group);
  auto* backgroundLayout = new QVBoxLayout(background);
  c.backgroundOccupation = new QRadioButton("Occupation", background);
  c.backgroundDensity = new QRadioButton("Density", background);
  c.backgroundOccupation->setChecked(true);
  backgroundLayout->addWidget(c.backgroundOccupation);
  backgroundLayout->addWidget(c.backgroundDensity);
  grid->addWidget(background, 1, 0);

  auto* colours = new QGroupBox("Color choice", group);
  auto* coloursLayout = new QVBoxLayout(colours);
  c.colourGray = new QRadioButton("Gray", colours);
  c.colourColour = new QRadioButton("Color", colours);
  c.colourColour->setChecked(true);
  coloursLayout->addWidget(c.colourGray);
  coloursLayout->addWidget(c.colourColour);
  grid->addWidget(colours, 1, 1);
  return group;
}

QScrollArea* pictureArea(QWidget* parent, QLabel** picture) {
  auto* scroll = new QScrollArea(parent);
  *picture = new QLabel(scroll);
  (*picture)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  scroll->setWidget(*picture);
  return scroll;
}

QGroupBox* countersGroup(QWidget* parent, TCoalescentControls& c) {
  auto* group = new QGroupBox("Progress", parent);
  auto* grid = new QGridLayout(group);
  c.simulationCounter = new QLabel(group);
  c.simulationCounter->hide();  // shown while genetic simulations run
  grid->addWidget(c.simulationCounter, 0, 0, 1, 2);
  c.coalescenceTime = counter(grid, 1, "Coalescence time: ", group);
  c.frictionTime = counter(grid, 2, "Friction time: ", group);
  c.activeDemes = counter(grid, 3, "Active demes: ", group);
  c.remainingLineages = counter(grid, 4, "Remaining lineages: ", group);
  c.coalescentEvents = counter(grid, 5, "Coalescent events: ", group);
  c.migrationEvents = counter(grid, 6, "Migration events: ", group);
  return group;
}

}  // namespace

void buildCoalescentPage(QWidget* page, TCoalescentControls& c) {
  auto* layout = new QHBoxLayout(page);
  auto* left = new QVBoxLayout();
  layout->addLayout(left, 1);
  left->addWidget(filesGroup(page, c));
  auto* middle = new QHBoxLayout();
  middle->addWidget(runGroup(page, c));
  middle->addWidget(outputFilesGroup(page, c));
  left->addLayout(middle);
  auto* lower = new QHBoxLayout();
  lower->addWidget(displayGroup(page, c));
  lower->addWidget(bitmapGroup(page, c));
  lower->addWidget(countersGroup(page, c));
  left->addLayout(lower);
  auto* command = new QHBoxLayout();
  c.doSimulations = new QPushButton("Do simulations !", page);
  c.doSimulations->setEnabled(false);
  c.doSimulations->setMinimumWidth(140);
  command->addWidget(c.doSimulations);
  c.status = new QLabel("No demographic simulations available", page);
  command->addWidget(c.status, 1);
  left->addLayout(command);
  left->addStretch(1);

  c.views = new QTabWidget(page);
  c.views->addTab(pictureArea(c.views, &c.coalescenceView), "Coalescence map");
  c.views->addTab(pictureArea(c.views, &c.liveView), "Live view");
  c.views->setMinimumSize(300, 240);
  layout->addWidget(c.views, 1);
}

}  // namespace orvantis
