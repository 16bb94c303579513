#include "gui/screenshots.h"

#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <iostream>

#include "gui/friction_form.h"

namespace orvantis {

namespace {

// Lets the windows map and paint themselves.
void settle(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// What the screen shows of the window; the window's own rendering where the screen cannot be
// read.
bool saveWindow(QWidget* window, const QString& path) {
  window->show();
  window->raise();
  window->activateWindow();
  settle(600);
  QPixmap picture;
  if (QScreen* screen = window->screen()) picture = screen->grabWindow(window->winId());
  if (picture.isNull()) picture = window->grab();
  if (picture.save(path)) return true;
  std::cerr << "Cannot save " << path.toStdString() << std::endl;
  return false;
}

}  // namespace

int takeScreenshots(TFrictionForm& form, const QString& directory, int row, int col) {
  if (!QDir().mkpath(directory)) {
    std::cerr << "Cannot create " << directory.toStdString() << std::endl;
    return 1;
  }
  form.show();
  settle(300);
  form.buildWorld();
  form.run();
  if (form.lastGeneration() <= 0) {
    std::cerr << "The study did not run: see the log" << std::endl;
    return 1;
  }
  TFormResultViewer* viewer = form.resultViewer();
  if (viewer == nullptr) return 1;
  viewer->hide();
  bool ok = true;
  form.pages()->setCurrentIndex(0);
  ok &= saveWindow(&form, QDir(directory).filePath("main_window.png"));
  form.selectCell(row, col);
  ok &= saveWindow(&form, QDir(directory).filePath("time_series.png"));
  form.hide();
  // The result viewer half-way through the expansion, with an immigration arrow per block of
  // 4 x 4 cells.
  viewer->resize(1020, 700);
  viewer->immZoomFact()->setCurrentIndex(5);
  Q_EMIT viewer->immZoomFact()->activated(5);  // 6 pixels per cell
  viewer->aggrFactorEdit()->setText("4");
  viewer->drawMigrationDirectionCheck()->setChecked(true);
  viewer->selectTime()->setValue(20);
  viewer->mouseMovedOnMap(QPoint(col * 6 + 3, row * 6 + 3));
  ok &= saveWindow(viewer, QDir(directory).filePath("result_viewer.png"));
  viewer->hide();
  viewer->immZoomFact()->setCurrentIndex(3);
  Q_EMIT viewer->immZoomFact()->activated(3);  // the live views draw squares again

  // The coalescent page after the genetic simulations, the last genealogy drawn in red over
  // its coalescences.
  form.pages()->setCurrentIndex(2);
  form.show();
  settle(300);
  form.coalescentControls().coalescentTrees->setChecked(true);
  form.coalescentControls().zoomFactor->setCurrentText("3");
  form.onDoSimulationsClicked();
  if (!form.geneticReport() || form.geneticReport()->completed < 1) {
    std::cerr << "The genetic simulations did not run: see the log" << std::endl;
    return 1;
  }
  form.pages()->setCurrentIndex(2);
  ok &= saveWindow(&form, QDir(directory).filePath("coalescent_page.png"));
  return ok ? 0 : 1;
}

}  // namespace orvantis
