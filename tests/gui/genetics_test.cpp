// The genetic simulations from the window: "Do simulations !" on the example study with its
// samples and genetic parameters, the counters and pictures of the coalescent page, the
// coalescence and MRCA maps, the commands refused meanwhile, and what a failed start shows.

#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <QTimer>

#include "gui/coalescent_display.h"
#include "gui_study.h"
#include "gui_test_registry.h"

namespace orvantis::testing {

namespace {

// A copy of the example study run up to its genetic step: a short demography, two simulations,
// and three samples around the source that the short demography reaches (40 genes, one dated).
struct TGeneticStudy {
  TGeneticStudy() {
    w.form->openSettingsFile(study.copyExample({{"EndTime", "200"},
                                                {"NumGeneticSimulations", "2"},
                                                {"NexusFile", "0"},
                                                {"GenealogiesFile", "0"}}));
    study.write("samples.sam",
                "3\nOrigin 20 0 215.0 585.0\nNorth 10 0 235.0 585.0\nDated 10 0 215.0 605.0 150\n");
    w.demo().buildWorld->click();
    w.demo().run->click();
  }

  QString output(const QString& name) const {
    return study.path("GeneticsOutput/settings_samples" + name);
  }

  TGuiStudy study;
  TWindowUnderTest w;
};

bool sameImage(const QImage& file, const TRgbImage& image) {
  if (file.width() != image.width() || file.height() != image.height()) return false;
  for (int y = 0; y < file.height(); ++y) {
    for (int x = 0; x < file.width(); ++x) {
      const QRgb p = file.pixel(x, y);
      const TRgbColour c = image.pixel(x, y);
      if (qRed(p) != c.red || qGreen(p) != c.green || qBlue(p) != c.blue) return false;
    }
  }
  return true;
}

int countPixels(const TRgbImage& image, TRgbColour colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour ? 1 : 0;
  }
  return n;
}

}  // namespace

class TestGenetics : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void simulatesTheSamplesThroughTheButton() {
    TGeneticStudy g;
    TWindowUnderTest& w = g.w;
    QVERIFY2(w.genetics().doSimulations->isEnabled(), w.logText().c_str());
    w.genetics().coalescentTrees->setChecked(true);
    w.genetics().coalescentSpatial->setChecked(true);
    w.genetics().geneticBitmaps->setChecked(true);
    w.genetics().bitmapEvery->setText("50");
    w.genetics().refreshRate->setText("7");
    w.genetics().doSimulations->click();

    const std::string log = w.logText();
    QVERIFY2(log.find("Starting Coalescent simulation") != std::string::npos, log.c_str());
    QVERIFY2(w.dialogs.boxes.empty(), qPrintable(w.dialogs.shown().join("\n")));
    QCOMPARE(w.genetics().status->text(), QString("Simulations are over!"));
    QVERIFY(w.genetics().simulationCounter->isHidden());
    QVERIFY(w.genetics().drawCoalescences->isEnabled());
    QVERIFY(w.genetics().drawMrca->isEnabled());
    QCOMPARE(w.form->geneticReport()->status, TGeneticRunStatus::Completed);
    QCOMPARE(w.form->geneticReport()->completed, 2);
    QCOMPARE(w.form->pages()->currentIndex(), 2);

    // The counters show the end of the last genealogy: one lineage left, its n - 1 coalescences.
    QCOMPARE(w.genetics().remainingLineages->text(), QString("1"));
    QCOMPARE(w.genetics().coalescentEvents->text(), QString("39"));
    QVERIFY(w.genetics().coalescenceTime->text().toInt() > 0);
    QVERIFY(w.genetics().migrationEvents->text().toLong() > 0);

    // The files the options ask for.
    for (const QString& name : {QString("_1.arp"), QString("_2.arp"), QString("_TotNumCoal.bmp"),
                                QString("_TotMRCADensity.bmp"), QString("_CoalTree_1.bmp"),
                                QString("_NumCoal_sim2_chrom1.bmp")}) {
      QVERIFY2(QFileInfo::exists(g.output(name)), qPrintable(name));
    }
    QVERIFY(QFileInfo::exists(g.study.path("bmp/genetic_g200.bmp")));
    QVERIFY(QFileInfo::exists(g.study.path("bmp/genetic_g0.bmp")));

    // The page's pictures at the default zoom 4: the last genealogy drawn in red over its
    // coalescences, the live view at generation 0 with the sample demes.
    const TCoalescentDisplay& display = w.form->coalescentDisplay();
    QVERIFY(display.hasBitmap());
    QCOMPARE(display.coalescenceBitmap().width(), 400);
    QCOMPARE(display.coalescenceBitmap().height(), 320);
    QVERIFY(countPixels(display.coalescenceBitmap(), kRed) > 0);
    QCOMPARE(display.liveGeneration(), 0);
    QCOMPARE(display.liveImage().width(), 400);
    QCOMPARE(display.sampleDemes().size(), std::size_t(3));
    QVERIFY(countPixels(display.liveImage(), kMagenta) > 0);
    QVERIFY(!w.genetics().coalescenceView->pixmap().isNull());

    // A new zoom factor redraws both pictures.
    w.genetics().zoomFactor->setCurrentText("2");
    QCOMPARE(w.form->coalescenceZoom(), 2);
    QCOMPARE(display.coalescenceBitmap().width(), 200);
    QCOMPARE(display.liveImage().height(), 160);
    // While the result viewer draws at zoom 1 the pictures draw one pixel per cell, keeping the
    // size of the zoom factor.
    const int positionsWithoutCell = 80 * 100 - 4684;
    QCOMPARE(countPixels(display.coalescenceBitmap(), kWaterBlue), 4 * positionsWithoutCell);
    w.form->viewerState().zoom = 1;
    w.genetics().zoomFactor->setCurrentText("4");
    QCOMPARE(display.coalescenceBitmap().width(), 400);
    QCOMPARE(countPixels(display.coalescenceBitmap(), kWaterBlue), positionsWithoutCell);
    QCOMPARE(countPixels(display.liveImage(), kWaterBlue), positionsWithoutCell);
    w.form->viewerState().zoom = 4;

    // The viewer maps at zoom 3 are the files of the run, pixel for pixel.
    w.genetics().zoomFactor->setCurrentText("3");
    w.genetics().drawCoalescences->click();
    TFormFrictionViewer* coalescences = w.form->mapViewer(TMapViewerSlot::Coalescences);
    QVERIFY(coalescences != nullptr);
    QCOMPARE(coalescences->windowTitle(), QString("Number of Coalescent Events Map"));
    QVERIFY(sameImage(QImage(g.output("_TotNumCoal.bmp")), coalescences->image()));
    // The largest count is yellow: one or more cells of 3 x 3 pixels.
    const int yellow = countPixels(coalescences->image(), TRgbColour{250, 250, 0});
    QVERIFY(yellow > 0 && yellow % 9 == 0);
    w.genetics().drawMrca->click();
    TFormFrictionViewer* mrca = w.form->mapViewer(TMapViewerSlot::Mrca);
    QVERIFY(mrca != nullptr);
    QCOMPARE(mrca->windowTitle(), QString("MRCA Distribution Map"));
    QVERIFY(sameImage(QImage(g.output("_TotMRCADensity.bmp")), mrca->image()));

    // Building the world again forgets the results of the genetic simulations.
    w.demo().buildWorld->click();
    QVERIFY(!display.hasBitmap());
    QVERIFY(!w.genetics().drawCoalescences->isEnabled());
    QVERIFY(!w.genetics().drawMrca->isEnabled());
    QVERIFY(!w.form->geneticReport().has_value());
  }

  // While the genealogies grow the window processes its events: the counters move, a second
  // command is refused with a box, and the run ends normally.
  void commandsDuringTheSimulationsAreRefused() {
    TGeneticStudy g;
    TWindowUnderTest& w = g.w;
    w.genetics().refreshRate->setText("1");
    int seen = 0;
    QString counter;
    QTimer::singleShot(0, w.form.get(), [&] {
      ++seen;
      QVERIFY(w.form->commandRunning());
      counter = w.genetics().simulationCounter->text();
      QVERIFY(!w.genetics().simulationCounter->isHidden());
      QCOMPARE(w.genetics().status->text(), QString("Simulations are running..."));
      QVERIFY(!w.genetics().drawCoalescences->isEnabled());
      w.genetics().doSimulations->click();
      w.demo().run->click();
      w.form->close();
    });
    w.genetics().doSimulations->click();
    QCOMPARE(seen, 1);
    QCOMPARE(counter, QString("Simulation 1 of 2"));
    QStringList refused;
    for (const char* command : {"Do simulations !", "RUN", "Close"}) {
      refused << TCommandGuard::kRefusedCaption + ": " +
                     TCommandGuard::refusedText(command, "Do simulations !");
    }
    QCOMPARE(w.dialogs.shown(), refused);
    const std::string log = w.logText();
    QVERIFY(log.find("Starting Coalescent simulation") ==
            log.rfind("Starting Coalescent simulation"));
    QCOMPARE(w.genetics().status->text(), QString("Simulations are over!"));
    QCOMPARE(w.form->geneticReport()->completed, 2);
    // Closing the window releases the coalescence bitmap.
    QVERIFY(w.form->coalescentDisplay().hasBitmap());
    w.form->close();
    QVERIFY(!w.form->coalescentDisplay().hasBitmap());
  }

  // Runs that cannot start say why and leave the study ready for another attempt: lineage
  // bitmaps every 0 generations are refused before anything runs, a missing sample file by the
  // run.
  void runsThatCannotStartAreReported() {
    TGeneticStudy g;
    TWindowUnderTest& w = g.w;
    w.genetics().geneticBitmaps->setChecked(true);
    w.genetics().bitmapEvery->setText("0");
    w.genetics().doSimulations->click();
    QCOMPARE(w.dialogs.shown(),
             QStringList{"ERROR: genetic simulations: The lineage bitmaps need a number of "
                         "generations above 0 in \"every\"."});
    QVERIFY(!w.form->geneticReport().has_value());

    w.genetics().geneticBitmaps->setChecked(false);
    w.genetics().sampleFile->setText("nowhere.sam");
    w.genetics().doSimulations->click();
    QCOMPARE(w.form->geneticReport()->status, TGeneticRunStatus::NotRun);
    QCOMPARE(w.dialogs.boxes.back().caption, QString("ERROR: genetic simulations not run"));
    QVERIFY(w.dialogs.boxes.back().text.contains("nowhere.sam"));
    QCOMPARE(w.genetics().status->text(), QString("Ready to simulate genetics"));
    QVERIFY(!w.genetics().drawCoalescences->isEnabled());
    QVERIFY(w.genetics().simulationCounter->isHidden());
    // The sample file field was written back into the settings.
    QCOMPARE(QString::fromStdString(
                 w.form->world().settings().fileParameter(FileParam::SampleFile).str()),
             QString("nowhere.sam"));
  }

  // The choices of the page reach the genetic options; a refresh rate that is not a number
  // gives the default, a disabled "Coalecent trees" (two populations) draws no tree.
  void pageChoicesMakeTheGeneticOptions() {
    TWindowUnderTest w;
    const TCoalescentControls& c = w.genetics();
    c.coalescentTrees->setChecked(true);
    c.coalescentSpatial->setChecked(true);
    c.coalescentTemporal->setChecked(true);
    c.geneticBitmaps->setChecked(true);
    c.bitmapEvery->setText("25");
    c.backgroundDensity->setChecked(true);
    c.colourGray->setChecked(true);
    c.refreshRate->setText("abc");
    c.zoomFactor->setCurrentText("8");
    const TGeneticOptions o = w.form->geneticOptions();
    QVERIFY(o.coalescentTrees && o.spatialCoalescence && o.temporalCoalescence);
    QVERIFY(o.geneticBitmaps);
    QCOMPARE(o.geneticBitmapStep, 25);
    QCOMPARE(o.background, TGeneticBitmapBackground::Density);
    QCOMPARE(o.colours, TGeneticBitmapColours::Gray);
    QCOMPARE(o.coalescenceZoom, 8);
    QCOMPARE(o.refreshRate, kDefaultCoalescenceRefreshRate);
    c.coalescentTrees->setEnabled(false);
    QVERIFY(!w.form->geneticOptions().coalescentTrees);
  }

  // The refresh rate is read from its field while the walk runs; anything but a positive number
  // keeps the run's value.
  void refreshRateFollowsTheField() {
    TWindowUnderTest w;
    TCoalescentDisplay display(const_cast<TCoalescentControls&>(w.genetics()), w.log);
    const struct {
      const char* text;
      int rate;
    } cases[] = {{"10", 10}, {"25.7", 25}, {" 3 ", 3}, {"0", 6}, {"-4", 6}, {"x", 6}, {"", 6}};
    for (const auto& row : cases) {
      w.genetics().refreshRate->setText(row.text);
      QCOMPARE(display.refreshRate(6), row.rate);
    }
  }

  // The coalescence bitmap: counts on the count scale, the sample demes as their background
  // where nothing coalesced, positions without a cell blue.
  void coalescenceBitmapPaintsSamplesUnderTheEvents() {
    TCellGrid grid;
    grid.rows = 2;
    grid.cols = 3;
    grid.cellAt = {0, 1, 2, 3, 4, -1};
    grid.rowOf = {0, 0, 0, 1, 1};
    grid.colOf = {0, 1, 2, 0, 1};
    const std::vector<int> counts = {0, 4, 0, 2, 0};
    const std::vector<TSampleSquare> samples = {
        {0, 0, kMagenta}, {0, 1, kYellow}, {1, 1, kRed}, {1, 2, kRed}};
    const TRgbImage image = drawCoalescenceBitmap(grid, counts, samples, TCellDrawing{2, false});
    QCOMPARE(image.width(), 6);
    QCOMPARE(image.height(), 4);
    const struct {
      int row, col;
      TRgbColour colour;
    } expected[] = {
        {0, 0, kMagenta},                 // sample, nothing coalesced
        {0, 1, TRgbColour{250, 250, 0}},  // sample under the largest count (q = 500)
        {0, 2, kWhite},                   // no sample, no count
        {1, 0, TRgbColour{0, 250, 0}},    // q = 2 x 500 / 4 = 250
        {1, 1, kRed},                     // sample, nothing coalesced
        {1, 2, kRed},                     // a sample square over a position without a cell
    };
    for (const auto& e : expected) {
      for (const auto& [dx, dy] : {std::pair{0, 0}, std::pair{1, 1}}) {
        QCOMPARE(image.pixel(e.col * 2 + dx, e.row * 2 + dy), e.colour);
      }
    }
    // Without samples the position without a cell is blue.
    const TRgbImage bare = drawCoalescenceBitmap(grid, counts, {}, TCellDrawing{1, false});
    QCOMPARE(bare.pixel(2, 1), kWaterBlue);
  }
};

ORVANTIS_GUI_TEST(TestGenetics);

}  // namespace orvantis::testing

#include "genetics_test.moc"
