#pragma once
// The only way the core reaches the user: message boxes, questions, progress, and letting the
// window process its pending events. The window, the command line and the tests implement it.

#include <string>

namespace orvantis {

class TDemeCollection;

struct TProgress {
  std::string label;                // what is running, e.g. "Simulating demography"
  long current = 0;                 // e.g. the generation reached
  long total = 0;                   // e.g. EndTime
  std::string unit = "generation";  // what is counted, e.g. "simulation"
};

// The counters of the backward simulation shown while a genealogy is built.
struct TCoalescentLabels {
  int coalescenceTime = 0;    // the backward step counter E
  int frictionTime = 0;       // the generation of the database being read, max(d, 0)
  int remainingLineages = 0;  // lineages not yet coalesced
  int activeDemes = 0;        // demes holding lineages
  int coalescenceEvents = 0;  // in this genealogy
  long migrationEvents = 0;   // in this genealogy
};

// Steps of the backward simulation between two refreshes of the window, unless the user types
// another value.
inline constexpr int kDefaultCoalescenceRefreshRate = 10;

class TWindowServices {
 public:
  virtual ~TWindowServices() = default;
  // A modal box with one OK button; an empty caption means the system's default caption.
  virtual void messageBox(const std::string& text, const std::string& caption) = 0;
  // True for OK, false for Cancel.
  virtual bool askOkCancel(const std::string& text, const std::string& caption) = 0;
  // True for Yes, false for No.
  virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
  virtual void progress(const TProgress& progress) = 0;
  virtual void processPendingEvents() = 0;

  // The backward simulation's display; by default nothing is shown.
  virtual void showCoalescentLabels(const TCoalescentLabels&) {}
  // The refresh rate the user asks for now; `configured` is the run's value.
  virtual int coalescenceRefreshRate(int configured) { return configured; }
  virtual void redrawCoalescenceDisplay(const TDemeCollection&) {}
  // The lineage map at generation `generation` of the backward simulation.
  virtual void drawLineageMap(const TDemeCollection&, int generation) { (void)generation; }
  // The genealogy of simulation `simulation` (numbered from 1).
  virtual void drawGenealogy(const TDemeCollection&, int simulation) { (void)simulation; }
  virtual void showGeneticSimulationNumber(int simulation) { (void)simulation; }
  virtual void showCoalescentPage() {}
};

// Answers every question with OK/Yes and shows nothing; for code that runs without a user.
class TSilentWindow : public TWindowServices {
 public:
  void messageBox(const std::string&, const std::string&) override {}
  bool askOkCancel(const std::string&, const std::string&) override { return true; }
  bool askYesNo(const std::string&, const std::string&) override { return true; }
  void progress(const TProgress&) override {}
  void processPendingEvents() override {}
};

}  // namespace orvantis
