#pragma once
// Maps of where lineages coalesce and where the most recent common ancestors (MRCA) of the
// genealogies lie: counts per cell on the count colour scale, one block of pixels per grid cell
// (row 0 at the top), positions without a cell in blue.
//
// The drawing functions paint into a TRgbImage and never save or show it, so that the bitmap
// files, the desktop program's map viewer and its live view use the same code; the writers below
// save the files of a run.

#include <ostream>
#include <string>
#include <vector>

#include "genetics/tree.h"
#include "world/output/image.h"

namespace orvantis {

class TWindowServices;
class World;

// Scale factors of the count colour scale.
inline constexpr int kCoalescenceScale = 500;
inline constexpr int kMrcaScale = 250;
// Pixels per cell of the map files of a run.
inline constexpr int kCountMapBlock = 3;

// The world's grid: which cell index lies at each position and where each cell lies.
struct TCellGrid {
  int rows = 0;
  int cols = 0;
  std::vector<int> cellAt;  // rows x cols, row-major; -1 where no cell lies
  std::vector<int> rowOf;   // by cell index
  std::vector<int> colOf;

  static TCellGrid fromWorld(const World& world);
  int numCells() const { return static_cast<int>(rowOf.size()); }
  int cellIndexAt(int row, int col) const {
    return cellAt[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
                  static_cast<std::size_t>(col)];
  }
};

// How cells become pixels. Normally every cell is a square of blockSize pixels. The live views
// and the coalescence tree bitmap draw each cell as a single pixel (onePixel) while the result
// viewer's zoom is 1, in a picture that keeps the size of the block size; the map files and the
// viewer maps always use squares.
struct TCellDrawing {
  int blockSize = kCountMapBlock;
  bool onePixel = false;

  int block() const { return blockSize < 1 ? 1 : blockSize; }
};

// Colour of count v against the largest count m with scale factor F: white for v = 0; otherwise
// q = v F div m, ((q + 6) mod 256, 250, 0) above 250, else (0, q mod 256, 0).
TRgbColour countMapColour(long long v, long long m, int scale);

// A picture of cols x rows cells at the drawing's block size, white. Throws std::length_error or
// std::bad_alloc when it cannot be made.
TRgbImage blankCellPicture(int rows, int cols, const TCellDrawing& drawing);

// Paints every grid position with colourOf(row, col): a square of the block size, or one pixel at
// (col, row) in the one-pixel mode.
template <class ColourOf>
void paintCells(TRgbImage& image, int rows, int cols, const TCellDrawing& drawing,
                ColourOf colourOf) {
  const int z = drawing.block();
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      const TRgbColour colour = colourOf(row, col);
      if (drawing.onePixel) {
        image.setPixel(col, row, colour);
      } else {
        image.fillRect(z * col, z * row, z * (col + 1), z * (row + 1), colour);
      }
    }
  }
}

// Largest of the counts of the world's cells (taken as an int).
int largestCount(const TCellGrid& grid, const std::vector<int>& countsByCell);

// Paints the counts (by cell index) on the count scale of factor `scale`.
void paintCountMap(TRgbImage& image, const TCellGrid& grid, const std::vector<int>& countsByCell,
                   int scale, const TCellDrawing& drawing);
// A new picture of the counts; throws as blankCellPicture.
TRgbImage drawCountMap(const TCellGrid& grid, const std::vector<int>& countsByCell, int scale,
                       const TCellDrawing& drawing);

// Draws the genealogy from roots[0] with a red pen: from each node's first location cell to each
// descendant's, left first, through points at the centre of the cells' blocks.
void drawGenealogyLines(TRgbImage& image, const TTree& tree, const TCellGrid& grid, int block);

// The cell of each MRCA, one entry per (simulation, chromosome) pair of the run; -1 where none
// was recorded (a recombining chromosome, a failed genealogy).
class TMrcaLocations {
 public:
  static constexpr int kUnset = -1;

  // numSimulations x numChromosomes entries, all unset. 0 after writing
  // "TDemeCollection::createMRCALocations() : Memory allocation problem. Exiting program" when
  // memory is refused.
  [[nodiscard]] int create(int numSimulations, int numChromosomes, std::ostream& log);
  // Entry of simulation s and chromosome c, both from 1.
  void set(int simulation, int chromosome, int cell);
  int at(int simulation, int chromosome) const;
  int numEntries() const { return static_cast<int>(cells_.size()); }
  const std::vector<int>& entries() const { return cells_; }

 private:
  std::vector<int> cells_;
  int numChromosomes_ = 0;
};

// The cell of the first location step of the root of a genealogy without recombination (the node
// at rank 2n - 2); -1 when it has none.
int mrcaCell(const TTree& tree);

// MRCA counts per cell index over the first `entries` entries of the list, skipping the unset
// ones and cells outside the grid.
std::vector<int> countMrcaCells(const TCellGrid& grid, const TMrcaLocations& mrca, int entries);

// The MRCA map: the counts on the scale of factor 250.
TRgbImage drawMrcaDensityMap(const TCellGrid& grid, const TMrcaLocations& mrca, int entries,
                             const TCellDrawing& drawing);

// File names under the output base name B.
std::string totalCoalescenceMapName(const std::string& baseName);  // B_TotNumCoal.bmp
std::string mrcaDensityMapName(const std::string& baseName);       // B_TotMRCADensity.bmp
std::string genealogyCoalescenceMapName(const std::string& baseName, int simulation,
                                        int chromosome);  // B_NumCoal_sim<s>_chrom<c>.bmp
std::string coalescenceTreeMapName(const std::string& baseName,
                                   int simulation);  // B_CoalTree_<s>.bmp

// The map files. Each returns 1, or 0 after logging "Could not load or alter coalescent bitmap"
// when the picture cannot be made or saved (the run goes on).
// End of the run: the total coalescence counter (block 3, F 500).
[[nodiscard]] int writeTotalCoalescenceMap(const std::string& baseName, const TCellGrid& grid,
                                           const std::vector<int>& totalCounts, std::ostream& log);
// End of the run, after the previous one: the MRCA cells of the first `entries` entries.
[[nodiscard]] int writeMrcaDensityMap(const std::string& baseName, const TCellGrid& grid,
                                      const TMrcaLocations& mrca, int entries, std::ostream& log);
// After a chromosome without recombination: the per-genealogy coalescence counter.
[[nodiscard]] int writeGenealogyCoalescenceMap(const std::string& baseName, int simulation,
                                               int chromosome, const TCellGrid& grid,
                                               const std::vector<int>& counts, std::ostream& log);
// At the end of a genealogy: the per-genealogy counter at the coalescence zoom and drawing mode,
// with the genealogy in red. When the file cannot be opened the user is shown "Could not open
// file GeneticOutput/CoalTree_<s>.bmp".
[[nodiscard]] int writeCoalescenceTreeMap(const std::string& baseName, int simulation,
                                          const TTree& tree, const TCellGrid& grid,
                                          const std::vector<int>& counts,
                                          const TCellDrawing& drawing, TWindowServices& window,
                                          std::ostream& log);

}  // namespace orvantis
