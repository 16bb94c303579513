// The result viewer and the map viewers on a small world after a run: the mouse, the immigration
// line and arrows, the time track bar, the display choices and the maps it opens.

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "gui_study.h"
#include "gui_test_registry.h"
#include "world/output/landscape_maps.h"

namespace orvantis::testing {

namespace {

int countPixels(const TRgbImage& image, TRgbColour colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour ? 1 : 0;
  }
  return n;
}

void moveMouse(QWidget* widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

// Sets the arrivals of one cell at generation t from the four sides.
void setArrivals(World& world, int row, int col, int t, int north, int south, int east, int west) {
  const int index = world.cellAt(row, col)->index;
  TGenerationRow generation = world.database().generationRow(t);
  generation.setArrival(index, 0, FromSide::North, north);
  generation.setArrival(index, 0, FromSide::South, south);
  generation.setArrival(index, 0, FromSide::East, east);
  generation.setArrival(index, 0, FromSide::West, west);
}

}  // namespace

class TestResultViewer : public QObject {
  Q_OBJECT

 private:
  TGuiStudy study_;
  std::unique_ptr<TWindowUnderTest> w_;
  TFormResultViewer* viewer_ = nullptr;

 private Q_SLOTS:
  void init() {
    w_ = std::make_unique<TWindowUnderTest>();
    w_->form->openSettingsFile(study_.writeSmallStudy());
    w_->demo().buildWorld->click();
    w_->demo().run->click();
    viewer_ = w_->form->resultViewer();
    QVERIFY(viewer_ != nullptr);
    QCOMPARE(w_->form->lastGeneration(), 40);
  }
  void cleanup() { w_.reset(); }

  // At zoom 3 the pixel (7, 4) is column 2 and row 1; the row label counts from the bottom.
  void mouseMappingAtZoomThree() {
    viewer_->immZoomFact()->setCurrentIndex(2);
    Q_EMIT viewer_->immZoomFact()->activated(2);
    QCOMPARE(viewer_->mapImage().width(), 15);
    moveMouse(viewer_->outputImage(), QPoint(7, 4));
    QCOMPARE(viewer_->cellColumn(), 2);
    QCOMPARE(viewer_->cellRow(), 1);
    QCOMPARE(viewer_->selColX()->text(), QString("2"));
    QCOMPARE(viewer_->selRowY()->text(), QString("3"));  // 4 rows - row 1
    const World& world = w_->form->world();
    QCOMPARE(viewer_->cellDensity()->text(),
             QString::number(world.database().get_N(world.cellAt(1, 2)->index, 0, 40)));
    // Water and positions beyond the grid show 0.
    moveMouse(viewer_->outputImage(), QPoint(3 * 4 + 1, 1));
    QCOMPARE(viewer_->cellDensity()->text(), QString("0"));
    moveMouse(viewer_->outputImage(), QPoint(200, 200));
    QCOMPARE(viewer_->cellDensity()->text(), QString("0"));
  }

  // A right click on a cell with equal arrivals from all sides draws no line; an unbalanced cell
  // gets a red line along its immigration direction, scaled to 20 cells.
  void rightClickImmigrationLine() {
    World& world = w_->form->world();
    setArrivals(world, 2, 2, 40, 3, 3, 3, 3);
    viewer_->redraw();
    const TRgbImage plain = viewer_->mapImage();
    QCOMPARE(countPixels(plain, kRed), 0);
    QTest::mouseClick(viewer_->outputImage(), Qt::RightButton, {}, QPoint(2 * 4 + 1, 2 * 4 + 1));
    QCOMPARE(viewer_->immigrationVector().dx, 0.0f);
    QCOMPARE(viewer_->immigrationVector().dy, 0.0f);
    QVERIFY(viewer_->mapImage().pixel(8, 8) == plain.pixel(8, 8));
    QCOMPARE(countPixels(viewer_->mapImage(), kRed), 0);

    // More from the west than from the east: dx = east - west < 0, the line runs west from the
    // corner of the cell.
    setArrivals(world, 1, 1, 40, 0, 0, 1, 5);
    QTest::mouseClick(viewer_->outputImage(), Qt::RightButton, {}, QPoint(4 + 2, 4 + 2));
    QCOMPARE(viewer_->immigrationVector().dx, -20.0f);
    QCOMPARE(viewer_->immigrationVector().dy, 0.0f);
    QCOMPARE(viewer_->mapImage().pixel(4, 4), kRed);
    QCOMPARE(viewer_->mapImage().pixel(0, 4), kRed);  // the line is clipped at the border
    // The line is drawn once: the next drawing leaves it out.
    viewer_->redraw();
    QCOMPARE(countPixels(viewer_->mapImage(), kRed), 0);
  }

  // The arrows: none when the aggregation factor exceeds the grid, some with factor 1.
  void aggregationLargerThanTheGridDrawsNoArrow() {
    viewer_->drawMigrationDirectionCheck()->setChecked(true);
    QVERIFY(viewer_->aggrFactorEdit()->isEnabled());
    QVERIFY(viewer_->aggrFactorLabel()->isEnabled());
    viewer_->aggrFactorEdit()->setText("50");
    Q_EMIT viewer_->aggrFactorEdit()->editingFinished();
    QCOMPARE(countPixels(viewer_->mapImage(), kSilver), 0);
    QCOMPARE(countPixels(viewer_->mapImage(), kRed), 0);
    viewer_->aggrFactorEdit()->setText("1");
    Q_EMIT viewer_->aggrFactorEdit()->editingFinished();
    QVERIFY(countPixels(viewer_->mapImage(), kSilver) > 0);
    viewer_->drawMigrationDirectionCheck()->setChecked(false);
    QVERIFY(!viewer_->aggrFactorEdit()->isEnabled());
    QCOMPARE(countPixels(viewer_->mapImage(), kSilver), 0);
  }

  // The track bar: generation = trunc(position x 0.01 x 40), with the simulated and real times.
  void timeTrackBar() {
    viewer_->selectTime()->setValue(33);
    QCOMPARE(viewer_->displTime()->text(), QString("13"));
    QCOMPARE(viewer_->displSimulTime()->text(), QString("325"));
    QCOMPARE(viewer_->displRealTime()->text(), QString("-675"));  // -1000 + 325
    viewer_->selectTime()->setValue(0);
    // Generation 0: only the source cell holds individuals.
    const TRgbImage& map = viewer_->mapImage();
    QVERIFY(map.pixel(2 * 4 + 1, 2 * 4 + 1) != kWhite);
    QCOMPARE(map.pixel(1, 1), kWhite);
    QCOMPARE(map.pixel(4 * 4 + 1, 1), kWaterBlue);
  }

  // Display and colour choices redraw the legend and the map.
  void displayAndColourChoices() {
    QCOMPARE(viewer_->legendImage().height(), 500);
    viewer_->displayChoice(TMapKind::Occupation)->click();
    QCOMPARE(viewer_->legendImage().height(), 300);
    QCOMPARE(viewer_->mapImage().pixel(2 * 4 + 1, 2 * 4 + 1), kBlack);
    viewer_->grayChoice()->click();
    viewer_->displayChoice(TMapKind::Density)->click();
    QCOMPARE(viewer_->legendImage().pixel(25, 2), kGrayZero);
    const TRgbColour c = viewer_->mapImage().pixel(2 * 4 + 1, 2 * 4 + 1);
    QVERIFY(c.red == c.green && c.green == c.blue);
    // The legend and map can be saved through the dialog.
    w_->dialogs.fileAnswers.push_back(study_.path("legend.bmp"));
    viewer_->saveLegend();
    QCOMPARE(QImage(study_.path("legend.bmp")).height(), 500);
    QCOMPARE(w_->dialogs.dialogTitles.back(), QString("Save image to bmp"));
  }

  // The carrying capacity, friction and arrival-time maps open in map viewers with their titles.
  void mapViewers() {
    viewer_->carryingCapacityButton()->click();
    TFormFrictionViewer* k = w_->form->mapViewer(TMapViewerSlot::CarryingCapacity);
    QVERIFY(k != nullptr);
    QCOMPARE(k->windowTitle(), QString("Carrying Capacity"));
    QCOMPARE(k->image().pixel(1, 1), carryingCapacityColour(100, TColourStyle::Colour));
    QCOMPARE(k->image().pixel(4 * 4 + 1, 1), kWaterBlue);
    QCOMPARE(k->imageFrictionAndPaths()->size(), QSize(20, 16));

    viewer_->frictionButton()->click();
    TFormFrictionViewer* f = w_->form->mapViewer(TMapViewerSlot::Friction);
    QCOMPARE(f->windowTitle(), QString("Friction"));

    viewer_->minDensityArrivalTime()->setText("30");
    viewer_->arrivalTimeButton()->click();
    TFormFrictionViewer* a = w_->form->mapViewer(TMapViewerSlot::ArrivalTime);
    QCOMPARE(a->windowTitle(), QString("Time of first reach of 30 people"));
    // The source reached 30 at generation 0 (white); a cell never that dense is white too.
    QCOMPARE(a->image().pixel(2 * 4 + 1, 2 * 4 + 1), kWhite);

    w_->dialogs.fileAnswers.push_back(study_.path("friction.bmp"));
    f->saveButton()->click();
    QCOMPARE(QImage(study_.path("friction.bmp")).size(), QSize(20, 16));

    // Closing the viewer makes the main window forget it; "Show results" makes another.
    viewer_->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w_->form->resultViewer() == nullptr);
    w_->demo().showResults->click();
    QVERIFY(w_->form->resultViewer() != nullptr);
    QCOMPARE(w_->form->resultViewer()->displTime()->text(), QString("40"));
  }
};

ORVANTIS_GUI_TEST(TestResultViewer);

}  // namespace orvantis::testing

#include "result_viewer_test.moc"
