// The controls of the result viewer and how they are laid out.

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "gui/result_viewer.h"

namespace orvantis {

namespace {

QLabel* captionedValue(QGridLayout* grid, int row, const QString& caption, QWidget* parent) {
  grid->addWidget(new QLabel(caption, parent), row, 0);
  auto* value = new QLabel("0", parent);
  value->setMinimumWidth(70);
  grid->addWidget(value, row, 1);
  return value;
}

}  // namespace

void TFormResultViewer::buildControls() {
  auto* top = new QHBoxLayout(this);

  auto* scroll = new QScrollArea(this);
  outputImage_ = new TMapImageLabel(scroll);
  outputImage_->setObjectName("OutputImage");
  scroll->setWidget(outputImage_);
  scroll->setMinimumSize(420, 340);
  top->addWidget(scroll, 1);

  colorPalette_ = new QLabel(this);
  colorPalette_->setObjectName("ColorPalette");
  colorPalette_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  colorPalette_->setFixedWidth(52);
  top->addWidget(colorPalette_);

  auto* side = new QVBoxLayout();
  top->addLayout(side);

  auto* timeBox = new QGroupBox("Time", this);
  auto* timeGrid = new QGridLayout(timeBox);
  displTime_ = captionedValue(timeGrid, 0, "Generations:", timeBox);
  displTime_->setObjectName("DisplTime");
  displSimulTime_ = captionedValue(timeGrid, 1, "Simul. time:", timeBox);
  displSimulTime_->setObjectName("DisplSimulTime");
  displRealTime_ = captionedValue(timeGrid, 2, "Real time:", timeBox);
  displRealTime_->setObjectName("DisplRealTime");
  selectTime_ = new QSlider(Qt::Horizontal, timeBox);
  selectTime_->setObjectName("SelectTime");
  selectTime_->setRange(0, 100);
  selectTime_->setEnabled(false);
  timeGrid->addWidget(selectTime_, 3, 0, 1, 2);
  side->addWidget(timeBox);

  auto* cellBox = new QGroupBox("Cell", this);
  auto* cellGrid = new QGridLayout(cellBox);
  selRowY_ = captionedValue(cellGrid, 0, "Row :", cellBox);
  selRowY_->setObjectName("SelRow_y");
  selColX_ = captionedValue(cellGrid, 1, "Col :", cellBox);
  selColX_->setObjectName("SelCol_x");
  cellDensity_ = captionedValue(cellGrid, 2, "Density :", cellBox);
  cellDensity_->setObjectName("CellDensity");
  side->addWidget(cellBox);

  immZoomFact_ = new QComboBox(this);
  immZoomFact_->setObjectName("ImmZoomFact");
  for (int z = 1; z <= 8; ++z) immZoomFact_->addItem("X " + QString::number(z));
  immZoomFact_->setPlaceholderText("Zoom Factor");
  immZoomFact_->setCurrentIndex(-1);
  side->addWidget(immZoomFact_);

  auto* displayBox = new QGroupBox("Dynamic Display", this);
  displayBox->setObjectName("DisplayChoiceRadioGroup1");
  auto* displayLayout = new QVBoxLayout(displayBox);
  densityRadio_ = new QRadioButton("Density", displayBox);
  migrationRadio_ = new QRadioButton("Migration", displayBox);
  occupationRadio_ = new QRadioButton("Occupation", displayBox);
  densityRadio_->setChecked(true);
  for (QRadioButton* r : {densityRadio_, migrationRadio_, occupationRadio_}) {
    displayLayout->addWidget(r);
  }
  side->addWidget(displayBox);

  auto* colourBox = new QGroupBox("Color Choice", this);
  colourBox->setObjectName("ColorChoiceRadioGroup1");
  auto* colourLayout = new QVBoxLayout(colourBox);
  colourRadio_ = new QRadioButton("Color", colourBox);
  grayRadio_ = new QRadioButton("Gray", colourBox);
  colourRadio_->setChecked(true);
  colourLayout->addWidget(colourRadio_);
  colourLayout->addWidget(grayRadio_);
  side->addWidget(colourBox);

  auto* arrows = new QGridLayout();
  drawMigrationCheck_ = new QCheckBox("Draw immigrations: ", this);
  drawMigrationCheck_->setObjectName("DrawMigrationDirectionCheck");
  arrows->addWidget(drawMigrationCheck_, 0, 0, 1, 2);
  aggrFactorLabel_ = new QLabel("Aggr. factor: ", this);
  aggrFactorEdit_ = new QLineEdit("2", this);
  aggrFactorEdit_->setObjectName("AggrFactorEdit");
  aggrFactorEdit_->setMaximumWidth(50);
  aggrFactorLabel_->setEnabled(false);
  aggrFactorEdit_->setEnabled(false);
  arrows->addWidget(aggrFactorLabel_, 1, 0);
  arrows->addWidget(aggrFactorEdit_, 1, 1);
  side->addLayout(arrows);

  saveMapButton_ = new QPushButton("&Save to *.BMP...", this);
  saveLegendButton_ = new QPushButton("Save Legend", this);
  carryingCapacityButton_ = new QPushButton("Carr. Cap.", this);
  frictionButton_ = new QPushButton("Friction", this);
  carryingCapacityButton_->setEnabled(false);
  frictionButton_->setEnabled(false);
  side->addWidget(saveMapButton_);
  side->addWidget(saveLegendButton_);
  auto* maps = new QHBoxLayout();
  maps->addWidget(carryingCapacityButton_);
  maps->addWidget(frictionButton_);
  side->addLayout(maps);

  auto* arrival = new QGridLayout();
  arrivalTimeButton_ = new QPushButton("Arrival time", this);
  minDensityEdit_ = new QLineEdit("1", this);
  minDensityEdit_->setObjectName("MinDensityArrivalTime");
  minDensityEdit_->setMaximumWidth(60);
  arrival->addWidget(arrivalTimeButton_, 0, 0, 1, 2);
  arrival->addWidget(new QLabel("Min density:", this), 1, 0);
  arrival->addWidget(minDensityEdit_, 1, 1);
  side->addLayout(arrival);
  side->addStretch(1);
}

}  // namespace orvantis
