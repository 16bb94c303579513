// The example study through the window's buttons: open, build, run, the outputs and report, the
// charts of a cell, the commands refused while a run goes on, and the genetic command on a sample
// file it refuses.

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include "gui_study.h"
#include "gui_test_registry.h"

namespace orvantis::testing {

class TestWorkflow : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void runsTheExampleStudyThroughTheButtons() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.dialogs.fileAnswers.push_back(study.copyExample({{"EndTime", "150"}}));
    w.demo().openSettings->click();
    QVERIFY(!w.demo().parameterPanel->isHidden());
    QCOMPARE(QDir::currentPath(), QFileInfo(study.path("settings.txt")).absolutePath());
    QCOMPARE(w.demo().generations->text(), QString("150"));
    QCOMPARE(w.demo().modelList->currentText(),
             QString("1. One population with even number of migrants"));

    w.demo().buildWorld->click();
    QVERIFY2(w.form->world().isBuilt(), w.logText().c_str());
    QCOMPARE(w.form->timeSeriesPage()->rowList()->count(), 80);
    QCOMPARE(w.form->timeSeriesPage()->columnList()->count(), 100);
    QVERIFY(w.demo().run->isEnabled());
    QVERIFY(w.demo().showResults->isEnabled());
    QCOMPARE(w.genetics().status->text(), QString("No demographic database available"));
    QVERIFY(!w.genetics().sampleFile->isEnabled());
    QVERIFY(!w.genetics().zoomFactor->isEnabled());
    TFormResultViewer* viewer = w.form->resultViewer();
    QVERIFY(viewer != nullptr);
    QVERIFY(viewer->isVisible());
    QVERIFY(viewer->carryingCapacityButton()->isEnabled());
    QVERIFY(viewer->frictionButton()->isEnabled());
    QVERIFY(!viewer->aggrFactorEdit()->isEnabled());
    QVERIFY(!viewer->selectTime()->isEnabled());

    w.demo().run->click();
    const std::string log = w.logText();
    QVERIFY2(log.find("Simulating demography ...\n") != std::string::npos, log.c_str());
    QVERIFY(
        log.find("Printing demographic report... \n\tDate of entire colonization, layer 0 : ") !=
        std::string::npos);
    QCOMPARE(w.form->lastGeneration(), 150);
    QCOMPARE(w.demo().progressBar->value(), w.demo().progressBar->maximum());
    QVERIFY(w.dialogs.boxes.empty());

    // The outputs of the ticked boxes, every 50 generations and at the end, and the arrivals.
    for (const char* file :
         {"bmp/density_g0.bmp", "bmp/density_g150.bmp", "bmp/occupation_g050.bmp",
          "ascii/density_g100.asc", "ascii/occupation_g150.asc", "places_output.txt"}) {
      QVERIFY2(QFileInfo::exists(study.path(file)), file);
    }
    QVERIFY(!QFileInfo::exists(study.path("bmp/migration_g0.bmp")));

    QVERIFY(w.genetics().doSimulations->isEnabled());
    QCOMPARE(w.genetics().status->text(), QString("Ready to simulate genetics"));
    QVERIFY(w.genetics().sampleFile->isEnabled());
    QVERIFY(w.demo().outputAgain->isEnabled());
    // One source: "Tau:" and "Ancestral size:" stay off.
    QVERIFY(!w.genetics().tau->isEnabled());
    QVERIFY(!w.genetics().ancestralSize->isEnabled());
    QVERIFY(!w.genetics().tauLabel->isEnabled());

    // The viewer shows the last generation with its slider at the end.
    QVERIFY(viewer->selectTime()->isEnabled());
    QCOMPARE(viewer->selectTime()->value(), 100);
    QCOMPARE(viewer->displTime()->text(), QString("150"));
    QCOMPARE(viewer->displSimulTime()->text(), QString("3750"));  // 25 x 150
    QCOMPARE(viewer->displRealTime()->text(), QString("0"));      // start -(25 x 150), + 3750
    // The window draws the same bitmaps the files hold, pixel for pixel.
    const QImage file(study.path("bmp/density_g150.bmp"));
    QCOMPARE(file.width(), viewer->mapImage().width());
    QCOMPARE(file.height(), viewer->mapImage().height());
    for (int y = 0; y < file.height(); y += 3) {
      for (int x = 0; x < file.width(); x += 2) {
        const QRgb p = file.pixel(x, y);
        QCOMPARE(viewer->mapImage().pixel(x, y), (TRgbColour{static_cast<std::uint8_t>(qRed(p)),
                                                             static_cast<std::uint8_t>(qGreen(p)),
                                                             static_cast<std::uint8_t>(qBlue(p))}));
      }
    }

    // Ticking the migrants and writing again adds their maps.
    w.demo().bmpMigrants->setChecked(true);
    w.demo().outputAgain->click();
    QVERIFY(QFileInfo::exists(study.path("bmp/migration_g150.bmp")));

    // "Do simulations !": the samples the short demography has not reached are left out after
    // the question, the others are simulated once (the genetics tests show the rest).
    w.genetics().numSimulations->setText("1");
    w.genetics().doSimulations->click();
    QCOMPARE(w.dialogs.boxes.size(), std::size_t(1));
    QVERIFY(w.dialogs.boxes.front().caption.startsWith("WARNING: Cell(s) not colonised"));
    QCOMPARE(w.form->geneticReport()->completed, 1);
  }

  // A command pressed while RUN processes its events is refused with a box and does not touch
  // the world; the run ends normally.
  void secondCommandDuringARunIsRefused() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.form->openSettingsFile(study.writeSmallStudy({{"EndTime", "60"}}));
    w.demo().buildWorld->click();
    bool pressed = false;
    QTimer::singleShot(0, w.form.get(), [&] {
      pressed = true;
      QVERIFY(w.form->commandRunning());
      w.demo().run->click();
      w.demo().buildWorld->click();
      w.form->close();
    });
    w.demo().run->click();
    QVERIFY(pressed);
    QVERIFY(!w.form->commandRunning());
    QStringList refused;
    for (const char* command : {"RUN", "Build World", "Close"}) {
      refused << TCommandGuard::kRefusedCaption + ": " + TCommandGuard::refusedText(command, "RUN");
    }
    QCOMPARE(w.dialogs.shown(), refused);
    const std::string log = w.logText();
    QVERIFY(log.find("Simulating demography ...") == log.rfind("Simulating demography ..."));
    QVERIFY(log.find("Building world ...") == log.rfind("Building world ..."));
    QCOMPARE(w.form->lastGeneration(), 60);
    QVERIFY(w.genetics().doSimulations->isEnabled());
  }

  // Charts of a cell: selected from the viewer, titled with the cell, the density equal to the
  // stored series; exported as SVG and to the clipboard.
  void cellChartsAndTheirExport() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.form->openSettingsFile(study.writeSmallStudy());
    w.demo().buildWorld->click();
    w.demo().run->click();
    TFormResultViewer* viewer = w.form->resultViewer();
    QTest::mouseClick(viewer->outputImage(), Qt::LeftButton, {}, QPoint(4 * 2 + 1, 4 * 2 + 2));
    QCOMPARE(w.form->pages()->currentIndex(), 1);
    TTimeSeriesPage* page = w.form->timeSeriesPage();
    QCOMPARE(page->activeRow(), 2);
    QCOMPARE(page->activeColumn(), 2);
    QCOMPARE(page->densityChart()->title(), QString("Density per generation - Cell (2,2)"));
    const StateDB& db = w.form->world().database();
    const int source = w.form->world().cellAt(2, 2)->index;
    QLineSeries* density = page->densityChart()->series(0);
    QCOMPARE(density->count(), 41);
    for (int t : {0, 1, 20, 40}) QCOMPARE(density->at(t).y(), double(db.get_N(source, 0, t)));
    QCOMPARE(page->emigrantsChart()->seriesCount(), 4);
    QCOMPARE(page->emigrantsChart()->series(0)->name(), QString("North"));
    // The source cell's emigrants to the north are the north neighbour's arrivals from the south.
    const int north = w.form->world().cellAt(1, 2)->index;
    QCOMPARE(page->emigrantsChart()->series(0)->at(5).y(),
             double(db.get_migrFromNeighbour(north, 0, TDirection::South, 5)));
    QVERIFY(page->emigrantsChart()->series(0)->at(5).y() > 0);
    // Row 0, column 3 has water to the east: its emigrants there are 0.
    page->rowList()->setCurrentIndex(0);
    page->columnList()->setCurrentIndex(3);
    for (const QPointF& p : page->emigrantsChart()->series(2)->points()) QCOMPARE(p.y(), 0.0);
    QVERIFY(page->cumulativeChart()->series(0)->at(40).y() >
            page->densityChart()->series(0)->at(40).y());

    w.dialogs.fileAnswers.push_back(study.path("density.svg"));
    page->densityChart()->saveButton()->click();
    QCOMPARE(w.dialogs.dialogTitles.back(), QString("Save to SVG"));
    const std::string svg = study.read("density.svg");
    QVERIFY(svg.find("<svg") != std::string::npos);
    QVERIFY(svg.find("Density per generation") != std::string::npos);

    page->emigrantsChart()->copyButton()->click();
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    QVERIFY(copied != nullptr);
    QVERIFY(copied->data("image/svg+xml").contains("<svg"));
  }

  // RUN on a world whose construction failed is refused; a failed construction shows its box.
  void failedConstructionIsReported() {
    TGuiStudy study;
    TWindowUnderTest w;
    w.form->openSettingsFile(study.writeSmallStudy());
    study.write("vegetation.asc", "ncols 5\nnrows 4\n");
    w.demo().buildWorld->click();
    QVERIFY(!w.form->world().isBuilt());
    QVERIFY(w.dialogs.shown().contains("ERROR: BuildWorld: Error with constructing a World") ||
            w.dialogs.shown().contains(
                "ERROR: reading input maps: A problem occurs with the reading of the input maps, "
                "please see winfriction.log for more details"));
    w.form->run();
    QVERIFY(w.dialogs.shown().back().startsWith("ERROR: simulating world: The world has not been"));
  }
};

ORVANTIS_GUI_TEST(TestWorkflow);

}  // namespace orvantis::testing

#include "workflow_test.moc"
