#pragma once
// Snapshots of the backward simulation: the stored demography at the generation being walked,
// with the demes of the samples on top, saved as "bmp/genetic_g<g>.bmp" every few generations.
// The background painter also serves the live view of the backward simulation.

#include <climits>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "coalescent/genetic_options.h"
#include "genetics/coalescence_maps.h"
#include "world/output/colour_scale.h"
#include "world/output/image.h"

namespace orvantis {

class TDemeCollection;
class TDemographyMap;
class TWindowServices;

inline constexpr TRgbColour kMagenta{255, 0, 255};
inline constexpr TRgbColour kYellow{255, 255, 0};

// The demography at generation t, one block per grid position, positions without a cell in blue:
// - occupation: the occupation colours of the demographic maps (one population: black where
//   present, white where empty; two: both, the first only, the second only, none), in the colour
//   or gray style;
// - density: the size of `population` on the count scale (colour or gray style) of maximum
//   `densityMaximum`, cells under water at the date of t also blue.
// Throws std::out_of_range for a generation outside the stored run.
void paintLineageBackground(TRgbImage& image, const TDemographyMap& map, int t, int population,
                            TGeneticBitmapBackground background, TColourStyle style,
                            long long densityMaximum, const TCellDrawing& drawing);

// The scale maximum of the density background: the largest size of the population at EndTime
// plus 1, as the legend of the density maps computes it.
long long lineageDensityMaximum(const TDemographyMap& map, int population);

// The deme of one accepted sample as a square over the background.
struct TSampleSquare {
  int row = 0;
  int col = 0;
  TRgbColour colour;
};

// Colours of the sample squares: the snapshots draw a first-population sample whose deme holds
// another sample in red and any other first-population sample in yellow; the main window's
// coalescence background the reverse. Second-population samples, and every sample with one
// population, are magenta.
enum class TSampleColouring { Snapshot, CoalescenceBackground };

// One square per accepted sample of the collection, in the order of reading.
std::vector<TSampleSquare> sampleSquares(const TDemeCollection& collection,
                                         TSampleColouring colouring);
// Fills each sample's deme as a zoom x zoom square at (col zoom, row zoom).
void paintSampleSquares(TRgbImage& image, const std::vector<TSampleSquare>& squares, int zoom);

// "bmp/genetic_g<g>.bmp" for the occupation background, "bmp/genetic_g<g>_P<p + 1>.bmp" for the
// density background of population p.
std::string geneticBitmapName(int generation, TGeneticBitmapBackground background, int population);

// What a snapshot is drawn from, besides the demography and the samples.
struct TGeneticSnapshotRequest {
  TGeneticOptions options;       // step, background, colours, population, zoom
  bool onePixel = false;         // the live views' one-pixel mode (result viewer at zoom 1)
  long long densityMaximum = 1;  // scale maximum of the density background (M + 1)
  std::filesystem::path root;    // folder that receives "bmp"; empty: the working directory
};

// The schedule and writer of the snapshots of a run. The walk calls writeGeneticBitmap with the
// generation d of every step; the first call at EndTime of a genealogy starts the schedule at
// EndTime, and every call whose generation is the next one (and not below 0) logs
// "TIME: <g> Pop <population>", saves a snapshot and lowers the next generation by the step.
class TGeneticSnapshots {
 public:
  // Whether generation g is due, moving the schedule on when it is.
  bool due(int generation, int endTime, int step);

  // 1, or 0 when a due snapshot could not be drawn or saved (logged; the walk goes on).
  [[nodiscard]] int writeGeneticBitmap(int generation, const TDemographyMap& map,
                                       const std::vector<TSampleSquare>& samples,
                                       const TGeneticSnapshotRequest& request, std::ostream& log,
                                       TWindowServices& window);

 private:
  int next_ = INT_MIN;
  int last_ = INT_MIN;
};

}  // namespace orvantis
