#include "genetics/coalescence_maps.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <new>
#include <stdexcept>

#include "foundation/paths.h"
#include "foundation/window_services.h"
#include "world/landscape/world.h"
#include "world/output/colour_scale.h"

namespace orvantis {

namespace {

constexpr const char* kBitmapFailure = "Could not load or alter coalescent bitmap";

int saveMap(const TRgbImage& image, const std::string& name, std::ostream& log) {
  if (image.saveBmp(nativePath(name))) return 1;
  log << kBitmapFailure << std::endl;
  return 0;
}

// Makes and saves a picture; any failure is logged once.
template <class Draw>
int writeMap(const std::string& name, std::ostream& log, Draw draw) {
  TRgbImage image;
  try {
    image = draw();
  } catch (const std::exception&) {
    log << kBitmapFailure << std::endl;
    return 0;
  }
  return saveMap(image, name, log);
}

}  // namespace

TCellGrid TCellGrid::fromWorld(const World& world) {
  TCellGrid grid;
  grid.rows = world.nrows();
  grid.cols = world.ncols();
  grid.cellAt.assign(static_cast<std::size_t>(grid.rows) * static_cast<std::size_t>(grid.cols), -1);
  const std::vector<cell>& cells = world.cells();
  grid.rowOf.assign(cells.size(), 0);
  grid.colOf.assign(cells.size(), 0);
  for (const cell& c : cells) {
    if (c.index < 0 || static_cast<std::size_t>(c.index) >= cells.size()) continue;
    const std::size_t i = static_cast<std::size_t>(c.index);
    grid.rowOf[i] = c.row;
    grid.colOf[i] = c.column;
    if (c.row >= 0 && c.row < grid.rows && c.column >= 0 && c.column < grid.cols) {
      grid.cellAt[static_cast<std::size_t>(c.row) * static_cast<std::size_t>(grid.cols) +
                  static_cast<std::size_t>(c.column)] = c.index;
    }
  }
  return grid;
}

TRgbColour countMapColour(long long v, long long m, int scale) {
  if (v == 0) return kWhite;
  return countScaleColour(v * scale / (m < 1 ? 1 : m));
}

TRgbImage blankCellPicture(int rows, int cols, const TCellDrawing& drawing) {
  const long long z = drawing.block();
  const long long width = static_cast<long long>(cols) * z;
  const long long height = static_cast<long long>(rows) * z;
  if (width > TRgbImage::kMaxSide || height > TRgbImage::kMaxSide) {
    throw std::length_error("map picture too large");
  }
  return TRgbImage(static_cast<int>(width), static_cast<int>(height), kWhite);
}

int largestCount(const TCellGrid& grid, const std::vector<int>& countsByCell) {
  int m = 0;
  const std::size_t cells =
      std::min(countsByCell.size(), static_cast<std::size_t>(grid.numCells()));
  for (std::size_t i = 0; i < cells; ++i) m = std::max(m, countsByCell[i]);
  return m;
}

void paintCountMap(TRgbImage& image, const TCellGrid& grid, const std::vector<int>& countsByCell,
                   int scale, const TCellDrawing& drawing) {
  const int m = largestCount(grid, countsByCell);
  paintCells(image, grid.rows, grid.cols, drawing, [&](int row, int col) {
    const int c = grid.cellIndexAt(row, col);
    if (c < 0) return kWaterBlue;
    const long long v = static_cast<std::size_t>(c) < countsByCell.size()
                            ? countsByCell[static_cast<std::size_t>(c)]
                            : 0;
    return countMapColour(v, m, scale);
  });
}

TRgbImage drawCountMap(const TCellGrid& grid, const std::vector<int>& countsByCell, int scale,
                       const TCellDrawing& drawing) {
  TRgbImage image = blankCellPicture(grid.rows, grid.cols, drawing);
  paintCountMap(image, grid, countsByCell, scale, drawing);
  return image;
}

void drawGenealogyLines(TRgbImage& image, const TTree& tree, const TCellGrid& grid, int block) {
  if (tree.roots.empty() || !tree.isLive(tree.roots[0])) return;
  const int z = block < 1 ? 1 : block;
  // The centre of the block of a node's first location cell; false without one.
  const auto point = [&](TNodeRef r, int& x, int& y) {
    const TNode& v = tree.node(r);
    if (v.locCell.empty()) return false;
    const int c = v.locCell.front();
    if (c < 0 || c >= grid.numCells()) return false;
    x = grid.colOf[static_cast<std::size_t>(c)] * z + z / 2;
    y = grid.rowOf[static_cast<std::size_t>(c)] * z + z / 2;
    return true;
  };
  // Depth first, left before right, without recursion: a genealogy can be as deep as it has tips.
  std::vector<TNodeRef> stack{tree.roots[0]};
  while (!stack.empty()) {
    const TNodeRef r = stack.back();
    stack.pop_back();
    const TNode& v = tree.node(r);
    int x = 0;
    int y = 0;
    const bool located = point(r, x, y);
    for (const TNodeRef d : {v.rightDesc, v.leftDesc}) {
      if (d < 0 || d >= r) continue;  // descendants have lower ranks
      stack.push_back(d);
    }
    if (!located) continue;
    for (const TNodeRef d : {v.leftDesc, v.rightDesc}) {
      int dx = 0;
      int dy = 0;
      if (d >= 0 && d < r && point(d, dx, dy)) image.drawLine(x, y, dx, dy, kRed);
    }
  }
}

int TMrcaLocations::create(int numSimulations, int numChromosomes, std::ostream& log) {
  numChromosomes_ = numChromosomes > 0 ? numChromosomes : 0;
  const long long entries =
      static_cast<long long>(numSimulations > 0 ? numSimulations : 0) * numChromosomes_;
  try {
    cells_.assign(static_cast<std::size_t>(entries), kUnset);
  } catch (const std::exception&) {
    cells_.clear();
    numChromosomes_ = 0;
    log << "TDemeCollection::createMRCALocations() : Memory allocation problem. Exiting program"
        << std::endl;
    return 0;
  }
  return 1;
}

void TMrcaLocations::set(int simulation, int chromosome, int cell) {
  if (chromosome < 1 || chromosome > numChromosomes_ || simulation < 1) return;
  const long long k = static_cast<long long>(simulation - 1) * numChromosomes_ + (chromosome - 1);
  if (k < numEntries()) cells_[static_cast<std::size_t>(k)] = cell;
}

int TMrcaLocations::at(int simulation, int chromosome) const {
  if (chromosome < 1 || chromosome > numChromosomes_ || simulation < 1) return kUnset;
  const long long k = static_cast<long long>(simulation - 1) * numChromosomes_ + (chromosome - 1);
  return k < numEntries() ? cells_[static_cast<std::size_t>(k)] : kUnset;
}

int mrcaCell(const TTree& tree) {
  const TNodeRef root = 2 * tree.sampleSize() - 2;
  if (root < 0 || !tree.isLive(root)) return TMrcaLocations::kUnset;
  const TNode& v = tree.node(root);
  return v.locCell.empty() ? TMrcaLocations::kUnset : v.locCell.front();
}

std::vector<int> countMrcaCells(const TCellGrid& grid, const TMrcaLocations& mrca, int entries) {
  std::vector<int> counts(static_cast<std::size_t>(grid.numCells()), 0);
  const int last = std::min(entries, mrca.numEntries());
  for (int k = 0; k < last; ++k) {
    const int c = mrca.entries()[static_cast<std::size_t>(k)];
    if (c >= 0 && c < grid.numCells()) ++counts[static_cast<std::size_t>(c)];
  }
  return counts;
}

TRgbImage drawMrcaDensityMap(const TCellGrid& grid, const TMrcaLocations& mrca, int entries,
                             const TCellDrawing& drawing) {
  return drawCountMap(grid, countMrcaCells(grid, mrca, entries), kMrcaScale, drawing);
}

std::string totalCoalescenceMapName(const std::string& baseName) {
  return baseName + "_TotNumCoal.bmp";
}
std::string mrcaDensityMapName(const std::string& baseName) {
  return baseName + "_TotMRCADensity.bmp";
}
std::string genealogyCoalescenceMapName(const std::string& baseName, int simulation,
                                        int chromosome) {
  return baseName + "_NumCoal_sim" + std::to_string(simulation) + "_chrom" +
         std::to_string(chromosome) + ".bmp";
}
std::string coalescenceTreeMapName(const std::string& baseName, int simulation) {
  return baseName + "_CoalTree_" + std::to_string(simulation) + ".bmp";
}

int writeTotalCoalescenceMap(const std::string& baseName, const TCellGrid& grid,
                             const std::vector<int>& totalCounts, std::ostream& log) {
  return writeMap(totalCoalescenceMapName(baseName), log, [&] {
    return drawCountMap(grid, totalCounts, kCoalescenceScale, TCellDrawing{});
  });
}

int writeMrcaDensityMap(const std::string& baseName, const TCellGrid& grid,
                        const TMrcaLocations& mrca, int entries, std::ostream& log) {
  return writeMap(mrcaDensityMapName(baseName), log,
                  [&] { return drawMrcaDensityMap(grid, mrca, entries, TCellDrawing{}); });
}

int writeGenealogyCoalescenceMap(const std::string& baseName, int simulation, int chromosome,
                                 const TCellGrid& grid, const std::vector<int>& counts,
                                 std::ostream& log) {
  return writeMap(genealogyCoalescenceMapName(baseName, simulation, chromosome), log,
                  [&] { return drawCountMap(grid, counts, kCoalescenceScale, TCellDrawing{}); });
}

int writeCoalescenceTreeMap(const std::string& baseName, int simulation, const TTree& tree,
                            const TCellGrid& grid, const std::vector<int>& counts,
                            const TCellDrawing& drawing, TWindowServices& window,
                            std::ostream& log) {
  TRgbImage image;
  try {
    image = drawCountMap(grid, counts, kCoalescenceScale, drawing);
    drawGenealogyLines(image, tree, grid, drawing.block());
  } catch (const std::exception&) {
    log << kBitmapFailure << std::endl;
    return 0;
  }
  const std::string name = coalescenceTreeMapName(baseName, simulation);
  {
    // The file is opened once as a test, so that a folder that cannot be written is told to the
    // user rather than only logged.
    std::ofstream probe(nativePath(name), std::ios::binary | std::ios::trunc);
    if (!probe) {
      window.messageBox(
          "Could not open file GeneticOutput/CoalTree_" + std::to_string(simulation) + ".bmp", "");
      return 0;
    }
  }
  return saveMap(image, name, log);
}

}  // namespace orvantis
