#pragma once
// The controls of the main window, by page, with the captions and defaults the user sees; the
// builders create them and the window's commands read and set them.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QWidget>

namespace orvantis {

// The first page: the settings file, the demographic parameters, the outputs and the commands.
struct TDemographyControls {
  QLineEdit* settingsFile = nullptr;
  QPushButton* openSettings = nullptr;
  QPushButton* viewSettings = nullptr;
  QWidget* parameterPanel = nullptr;  // hidden until a settings file has been opened

  QLineEdit* generationTime = nullptr;
  QLineEdit* startTime = nullptr;
  QLineEdit* generations = nullptr;
  QComboBox* modelList = nullptr;

  QGroupBox* onePopulationGroup = nullptr;
  QLineEdit* growthRate = nullptr;
  QLineEdit* migrationRate = nullptr;

  QGroupBox* twoPopulationGroup = nullptr;
  QLineEdit* growthRateP1 = nullptr;
  QLineEdit* growthRateP2 = nullptr;
  QLineEdit* migrationRateP1 = nullptr;
  QLineEdit* migrationRateP2 = nullptr;
  QLabel* growthRateP1Label = nullptr;
  QLabel* growthRateP2Label = nullptr;
  QLabel* migrationRateP1Label = nullptr;
  QLabel* migrationRateP2Label = nullptr;
  QGroupBox* admixtureGroup = nullptr;
  QLineEdit* p2ToP1 = nullptr;
  QLineEdit* p1ToP2 = nullptr;

  QGroupBox* staticDynamicGroup = nullptr;  // never shown; carries the vegetation switch
  QRadioButton* staticChoice = nullptr;
  QRadioButton* dynamicChoice = nullptr;
  QLineEdit* dynamicPeriod = nullptr;

  QCheckBox* bmpDensity = nullptr;
  QCheckBox* bmpMigrants = nullptr;
  QCheckBox* bmpOccupation = nullptr;
  QCheckBox* asciiDensity = nullptr;
  QCheckBox* asciiMigrants = nullptr;
  QCheckBox* asciiOccupation = nullptr;
  QLineEdit* outputEvery = nullptr;
  QPushButton* outputAgain = nullptr;

  QComboBox* storage = nullptr;  // "auto", "memory", "compressed"
  QPushButton* saveDemography = nullptr;
  QPushButton* loadDemography = nullptr;

  QPushButton* buildWorld = nullptr;
  QPushButton* run = nullptr;
  QPushButton* showResults = nullptr;
  QLabel* populationLabel = nullptr;
  QComboBox* populationSelector = nullptr;
  QProgressBar* progressBar = nullptr;
  QLabel* duration = nullptr;
};

// The "Coalescent simulations" page.
struct TCoalescentControls {
  QLineEdit* sampleFile = nullptr;
  QPushButton* browseSamples = nullptr;
  QLineEdit* geneticFile = nullptr;
  QPushButton* browseGenetics = nullptr;
  QLineEdit* numSimulations = nullptr;
  QLineEdit* maxGenerations = nullptr;
  QLabel* tauLabel = nullptr;
  QLineEdit* tau = nullptr;
  QLabel* ancestralSizeLabel = nullptr;
  QLineEdit* ancestralSize = nullptr;

  QCheckBox* genealogies = nullptr;
  QCheckBox* immigrants = nullptr;
  QCheckBox* coalescentTrees = nullptr;
  QCheckBox* coalescentSpatial = nullptr;
  QCheckBox* coalescentTemporal = nullptr;
  QCheckBox* nexus = nullptr;

  QComboBox* zoomFactor = nullptr;
  QLineEdit* refreshRate = nullptr;
  QPushButton* doSimulations = nullptr;
  QPushButton* drawCoalescences = nullptr;
  QPushButton* drawMrca = nullptr;
  QLabel* status = nullptr;

  QLabel* simulationCounter = nullptr;
  QLabel* coalescenceTime = nullptr;
  QLabel* frictionTime = nullptr;
  QLabel* activeDemes = nullptr;
  QLabel* remainingLineages = nullptr;
  QLabel* coalescentEvents = nullptr;
  QLabel* migrationEvents = nullptr;
  QLabel* liveView = nullptr;  // the demography at the generation the genealogies have reached
  QLabel* coalescenceView = nullptr;  // the coalescence bitmap of the genealogy being built
  QTabWidget* views = nullptr;        // the two pictures

  // "Generate bitmap": lineage snapshots saved while the genealogies grow, and how they and the
  // live view are drawn.
  QCheckBox* geneticBitmaps = nullptr;  // "every" ... "generations"
  QLineEdit* bitmapEvery = nullptr;
  QRadioButton* backgroundOccupation = nullptr;
  QRadioButton* backgroundDensity = nullptr;
  QRadioButton* colourGray = nullptr;
  QRadioButton* colourColour = nullptr;
};

// Builds the controls into the page.
void buildDemographyPage(QWidget* page, TDemographyControls& c);
void buildCoalescentPage(QWidget* page, TCoalescentControls& c);

}  // namespace orvantis
