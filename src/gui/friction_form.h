#pragma once
// The main window of the desktop program. It owns the one World of the program and runs the
// study's workflow: open a settings file, adjust the main parameters, build the world, run the
// demographic simulation, write its outputs, then the genetic simulations; the result viewer and
// the map viewers show what was computed. The values of the controls are copied into the
// settings before every step, so what the user sees is what the step uses.

#include <QMainWindow>
#include <QPointer>
#include <QTabWidget>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

#include "coalescent/driver.h"
#include "foundation/run_context.h"
#include "genetics/coalescence_maps.h"
#include "gui/coalescent_display.h"
#include "gui/command_guard.h"
#include "gui/form_controls.h"
#include "gui/gui_window_services.h"
#include "gui/map_viewer.h"
#include "gui/result_viewer.h"
#include "gui/result_viewer_host.h"
#include "gui/time_series_page.h"
#include "gui/viewer_state.h"
#include "world/landscape/world.h"

namespace orvantis {

class TFrictionForm : public QMainWindow, public TResultViewerHost {
 public:
  inline static const QString kTitle = "ORVANTIS 3.0";

  // The log must outlive the window. A seed makes the random generator repeatable; without one
  // it is seeded from the clock. Creating the window creates the World, which writes the log
  // header.
  TFrictionForm(std::ostream& log, TUserDialogs& dialogs, std::optional<int> seed = std::nullopt,
                QWidget* parent = nullptr);
  ~TFrictionForm() override;

  // --- Commands (the buttons call them) ---
  void openSettings();  // the open dialog, then openSettingsFile
  void openSettingsFile(const QString& path);
  void viewSettingsFile();
  void buildWorld();
  void run();
  void showResults();
  void outputAgain();
  void browseSamples();
  void browseGeneticParameters();
  void onDoSimulationsClicked();
  // "Save demography...": the finished demography and its world into a file chosen by the user.
  void saveDemography();
  // "Load demography...": a saved demography replaces the world, checked against the settings
  // (with the values of the controls), ready for the genetic simulations.
  void loadDemography();
  void loadDemographyFile(const QString& path);
  // The genetic simulations of the study over the stored demography, with the counters and
  // pictures of the coalescent page kept moving.
  void doSimulations();
  // "Coalescences" and "MRCA": the maps of the last genetic simulations in a map viewer.
  void drawCoalescences();
  void drawMrca();

  // --- Settings and controls ---
  void updateGraphicSettings();
  void updateGraphicGeneticSettings();
  void updateNumericSettings();
  void updateNumericGeneticSettings();

  // --- Cell of the time-series page ---
  // Plots the active row and column of the time-series page.
  void updateCellDetail();

  // --- Access ---
  const TDemographyControls& demographyControls() const { return demo_; }
  const TCoalescentControls& coalescentControls() const { return genetics_; }
  TTimeSeriesPage* timeSeriesPage() const { return series_; }
  QTabWidget* pages() const { return pages_; }
  TFormResultViewer* resultViewer() const { return resultViewer_; }
  TFormFrictionViewer* mapViewer(TMapViewerSlot slot) const;
  int lastGeneration() const { return lastGeneration_; }
  int coalescenceZoom() const { return coalescenceZoom_; }
  // The window's choices for the genetic simulations that no settings key carries.
  TGeneticOptions geneticOptions() const;
  const TCoalescentDisplay& coalescentDisplay() const { return display_; }
  // What the last genetic simulations reported; nothing before the first.
  const std::optional<TGeneticRunReport>& geneticReport() const { return geneticReport_; }
  const TCommandGuard& commandGuard() const { return guard_; }
  bool commandRunning() const { return guard_.running(); }
  TRunContext& context() { return context_; }

  // TResultViewerHost
  World& world() override { return *world_; }
  std::ostream& log() override { return log_; }
  TUserDialogs& dialogs() override { return dialogs_; }
  TViewerState& viewerState() override { return viewer_; }
  bool worldInUse() const override { return worldInUse_; }
  void selectCell(int row, int col) override;
  void showMap(TMapViewerSlot slot, const QString& title, TRgbImage image) override;
  void resultViewerClosed() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildPages();
  void connectControls();
  // The populations the settings name: 1 or 2.
  int populations() const;
  // Shows the controls of one or of two populations (step 1 or 2 of updateGraphicSettings).
  void showPopulationControls(int populations);
  void setGeneticInputsEnabled(bool enabled);
  void onCommandStateChanged(bool running);
  TFormResultViewer& ensureResultViewer();
  // The times of arrival and/or the bitmaps and rasters the check boxes ask for, drawn as the
  // result viewer draws; false when something could not be written (logged or shown).
  bool writeOutputs(bool arrivalTimes, bool maps);
  // The coalescence zoom factor of the list (4 without a selection).
  int zoomFromList() const;
  // The results of the genetic simulations go with the world and demography they came from.
  void forgetGeneticResults();
  // After a demography: "Do simulations !" and its inputs ready.
  void enableGeneticStep();
  // The storage of the database chosen on the page.
  TDatabaseStorage storageChoice() const;
  void onZoomFactorChanged();

  std::ostream& log_;
  TUserDialogs& dialogs_;
  TGuiWindowServices services_;
  TRunContext context_;
  std::unique_ptr<World> world_;
  TCommandGuard guard_;
  TViewerState viewer_;
  int lastGeneration_ = 0;
  int coalescenceZoom_ = 4;
  bool demographyDone_ = false;
  // True while the core works on the world and lets the window process events: the viewers and
  // charts do not read it then.
  bool worldInUse_ = false;

  QTabWidget* pages_ = nullptr;
  TDemographyControls demo_;
  TCoalescentControls genetics_;
  QWidget* coalescentPage_ = nullptr;
  TCoalescentDisplay display_{genetics_, log_};
  std::optional<TGeneticRunReport> geneticReport_;
  TCellGrid geneticGrid_;
  std::vector<int> coalescenceTotals_;
  TMrcaLocations mrcaLocations_;
  TTimeSeriesPage* series_ = nullptr;
  QPointer<TFormResultViewer> resultViewer_;
  std::map<TMapViewerSlot, QPointer<TFormFrictionViewer>> mapViewers_;
};

}  // namespace orvantis
