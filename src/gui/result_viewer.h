#pragma once
// The result viewer: the density, migration or occupation map of any stored generation, with the
// cell under the mouse, immigration directions, the legend, and buttons that open the carrying
// capacity, friction and arrival-time maps in map viewers.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QWidget>

#include "gui/map_image_label.h"
#include "gui/result_viewer_host.h"
#include "world/output/arrows.h"

namespace orvantis {

class TWorldDemographyMap;

class TFormResultViewer : public QWidget {
 public:
  inline static const QString kCaption = "Outputs";

  explicit TFormResultViewer(TResultViewerHost& host, QWidget* parent = nullptr);

  // Shows the run: the time display at `lastGeneration`, the legend and the map redrawn.
  void showResults(int lastGeneration, int activeDemes, int nrows, int ncols);
  // After "Build World": the aggregation factor off, the carrying-capacity and friction maps on.
  void prepareForWorld();
  void setTimeSliderEnabled(bool enabled) { selectTime_->setEnabled(enabled); }
  // The time display at the generation: labels, then the map.
  void displayGeneration(int generation);
  void setTimeSliderToEnd();
  // Legend, then map, in the chosen display and style.
  void redraw();

  // Events of the map, in pixels of the picture.
  void mouseMovedOnMap(QPoint at);
  void clickedOnMap(QPoint at);
  void rightClickedOnMap(QPoint at);

  // Buttons.
  void saveMap();
  void saveLegend();
  void showCarryingCapacity();
  void showFriction();
  void showArrivalTime();

  const TRgbImage& mapImage() const { return map_; }
  const TRgbImage& legendImage() const { return legend_; }
  const TImmigrationVector& immigrationVector() const { return immigration_; }
  int cellColumn() const { return cellColumn_; }
  int cellRow() const { return cellRow_; }

  // Controls, named as in the window's design.
  TMapImageLabel* outputImage() const { return outputImage_; }
  QLabel* displTime() const { return displTime_; }
  QLabel* displSimulTime() const { return displSimulTime_; }
  QLabel* displRealTime() const { return displRealTime_; }
  QLabel* selRowY() const { return selRowY_; }
  QLabel* selColX() const { return selColX_; }
  QLabel* cellDensity() const { return cellDensity_; }
  QSlider* selectTime() const { return selectTime_; }
  QComboBox* immZoomFact() const { return immZoomFact_; }
  QRadioButton* displayChoice(TMapKind kind) const;
  QRadioButton* grayChoice() const { return grayRadio_; }
  QRadioButton* colourChoice() const { return colourRadio_; }
  QCheckBox* drawMigrationDirectionCheck() const { return drawMigrationCheck_; }
  QLineEdit* aggrFactorEdit() const { return aggrFactorEdit_; }
  QLabel* aggrFactorLabel() const { return aggrFactorLabel_; }
  QPushButton* carryingCapacityButton() const { return carryingCapacityButton_; }
  QPushButton* frictionButton() const { return frictionButton_; }
  QPushButton* arrivalTimeButton() const { return arrivalTimeButton_; }
  QLineEdit* minDensityArrivalTime() const { return minDensityEdit_; }
  QLabel* colorPalette() const { return colorPalette_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void onTimeMoved(int position);
  void onZoomChosen(int index);
  void onDisplayChosen();
  void onMigrationDirectionToggled(bool checked);
  void drawMap();
  void drawLegendImage();
  // The cell under a pixel, bounded to the grid.
  QPoint boundedCell(QPoint at) const;
  // Real time of the displayed generation: the world's start date + GenerationTime x generation.
  int displayedRealTime();
  // The map of the world's stored run, or false when there is nothing to draw.
  bool worldHasRun() const;
  int shownPopulation() const;

  TResultViewerHost& host_;
  TViewerState& state_;
  TRgbImage map_;
  TRgbImage legend_;
  TImmigrationVector immigration_;
  int cellColumn_ = 0;
  int cellRow_ = 0;

  TMapImageLabel* outputImage_ = nullptr;
  QLabel* displTime_ = nullptr;
  QLabel* displSimulTime_ = nullptr;
  QLabel* displRealTime_ = nullptr;
  QLabel* selRowY_ = nullptr;
  QLabel* selColX_ = nullptr;
  QLabel* cellDensity_ = nullptr;
  QSlider* selectTime_ = nullptr;
  QComboBox* immZoomFact_ = nullptr;
  QRadioButton* densityRadio_ = nullptr;
  QRadioButton* migrationRadio_ = nullptr;
  QRadioButton* occupationRadio_ = nullptr;
  QRadioButton* colourRadio_ = nullptr;
  QRadioButton* grayRadio_ = nullptr;
  QCheckBox* drawMigrationCheck_ = nullptr;
  QLineEdit* aggrFactorEdit_ = nullptr;
  QLabel* aggrFactorLabel_ = nullptr;
  QPushButton* saveMapButton_ = nullptr;
  QPushButton* saveLegendButton_ = nullptr;
  QPushButton* carryingCapacityButton_ = nullptr;
  QPushButton* frictionButton_ = nullptr;
  QPushButton* arrivalTimeButton_ = nullptr;
  QLineEdit* minDensityEdit_ = nullptr;
  QLabel* colorPalette_ = nullptr;
};

}  // namespace orvantis
