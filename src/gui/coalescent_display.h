#pragma once
// What the "Coalescent simulations" page shows while the genealogies grow: the counters, the
// number of the simulation, the live view of the demography at the generation being walked and
// the coalescence bitmap (the sample demes with the coalescence events of the genealogy, and the
// genealogy itself once finished).
//
// Both pictures are drawn by the painters the bitmap files use (genetic snapshots, coalescence
// maps), at the coalescence zoom factor; the state they are drawn from is kept, so a new zoom
// factor redraws them after the run as well.

#include <memory>
#include <ostream>
#include <vector>

#include "coalescent/genetic_options.h"
#include "foundation/window_services.h"
#include "genetics/coalescence_maps.h"
#include "genetics/genetic_snapshot.h"
#include "gui/form_controls.h"
#include "world/output/image.h"
#include "world/output/world_map.h"

namespace orvantis {

class TDemeCollection;
class World;

// The coalescence bitmap: the count colour scale of `counts` (by cell index, factor 500), with
// the sample demes painted where no coalescence happened (their background).
TRgbImage drawCoalescenceBitmap(const TCellGrid& grid, const std::vector<int>& counts,
                                const std::vector<TSampleSquare>& samples,
                                const TCellDrawing& drawing);

class TCoalescentDisplay {
 public:
  // Drawing failures are written to `log`; the run goes on.
  TCoalescentDisplay(TCoalescentControls& controls, std::ostream& log) : c_(controls), log_(log) {}

  // A run of genetic simulations starts over `world`: its options give the pictures' background,
  // colours, population and zoom; `onePixel` is the result viewer's zoom-1 mode. Creates the
  // coalescence bitmap. Throws std::bad_alloc or std::length_error when memory fails.
  void beginRun(World& world, const TGeneticOptions& options, bool onePixel, int numSimulations);
  // The run is over: the simulation counter is hidden, the pictures stay.
  void endRun();
  // Forgets the pictures and what they were drawn from (a world rebuilt or run again, the window
  // closed): releases the coalescence bitmap.
  void clear();
  bool hasBitmap() const { return !coalescence_.isEmpty(); }

  // A new zoom factor (and drawing mode): both pictures are drawn again.
  void setZoom(int zoom, bool onePixel);

  // --- The core's calls, through the window services ---
  void showLabels(const TCoalescentLabels& labels);
  void showSimulationNumber(int simulation);
  // The refresh rate typed in the page's field, or `configured` when it holds no positive number.
  int refreshRate(int configured) const;
  // The coalescence bitmap of the genealogy being built and the live view at its generation.
  void redraw(const TDemeCollection& collection);
  // The live view at generation `generation`.
  void drawLineageMap(const TDemeCollection& collection, int generation);
  // The finished genealogy in red over its coalescence events.
  void drawGenealogy(const TDemeCollection& collection, int simulation);

  const TRgbImage& coalescenceBitmap() const { return coalescence_; }
  const TRgbImage& liveImage() const { return live_; }
  const std::vector<TSampleSquare>& sampleDemes() const { return squares_; }
  const TCellGrid& grid() const { return grid_; }
  int liveGeneration() const { return generation_; }

 private:
  // The sample demes, read once per run from the collection (its samples are fixed by then).
  void learnSamples(const TDemeCollection& collection);
  // Runs a drawing; a picture that cannot be made is logged and the run goes on.
  template <class Draw>
  void guarded(Draw draw);
  void paintCoalescence();
  void paintLive();
  void showPictures();
  TCellDrawing drawing() const { return {options_.coalescenceZoom, onePixel_}; }

  TCoalescentControls& c_;
  std::ostream& log_;
  std::unique_ptr<TWorldDemographyMap> map_;
  TCellGrid grid_;
  TGeneticOptions options_;
  bool onePixel_ = false;
  int numSimulations_ = 0;
  long long densityMaximum_ = 1;
  bool samplesKnown_ = false;
  std::vector<TSampleSquare> squares_;          // the coalescence background's colours
  std::vector<TSampleSquare> snapshotSquares_;  // the snapshots' colours, over the live view
  std::vector<int> counts_;                     // coalescences per cell of the last genealogy
  int generation_ = 0;                          // of the live view
  bool liveDrawn_ = false;
  bool liveOnePixel_ = false;
  bool genealogyDrawn_ = false;  // the next redraw closes a drawn genealogy
  TRgbImage coalescence_;
  TRgbImage live_;
};

}  // namespace orvantis
