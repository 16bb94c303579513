#include "genetics/coalescence_maps.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "genetics/genealogy_builder.h"
#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/output/bmp_reader.h"

namespace orvantis {
namespace {

using testing::coalesce;
using testing::makeTips;

constexpr TRgbColour kYellowMaximum{250, 250, 0};
constexpr TRgbColour kGreenMaximum{0, 250, 0};

// Two rows of three positions; the middle of the first row is water. Cells 0..4 in row order.
TCellGrid smallGrid() {
  TCellGrid grid;
  grid.rows = 2;
  grid.cols = 3;
  grid.cellAt = {0, -1, 1, 2, 3, 4};
  grid.rowOf = {0, 0, 1, 1, 1};
  grid.colOf = {0, 2, 0, 1, 2};
  return grid;
}

TEST(CountMapColourTest, ScaleOfCoalescenceAndMrcaCounts) {
  struct Case {
    long long v, m;
    int scale;
    TRgbColour colour;
  };
  const Case cases[] = {
      {0, 7, kCoalescenceScale, kWhite},
      {7, 7, kCoalescenceScale, kYellowMaximum},          // q = 500: ((500 + 6) mod 256, 250, 0)
      {7, 7, kMrcaScale, kGreenMaximum},                  // q = 250 never passes 250
      {1, 1000, kCoalescenceScale, TRgbColour{0, 0, 0}},  // a count whose q rounds to 0
      {100, 500, kCoalescenceScale, TRgbColour{0, 100, 0}},
      {250, 500, kCoalescenceScale, TRgbColour{0, 250, 0}},
      {251, 500, kCoalescenceScale, TRgbColour{1, 250, 0}},  // q = 251: (257 mod 256, 250, 0)
      {300, 500, kCoalescenceScale, TRgbColour{50, 250, 0}},
      {3, 4, kMrcaScale, TRgbColour{0, 187, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(countMapColour(c.v, c.m, c.scale), c.colour) << c.v << "/" << c.m << " F " << c.scale;
  }
}

TEST(CountMapTest, NoCoalescenceGivesAWhiteWorldOnBlueAndOnlyCellsSetTheMaximum) {
  const TCellGrid grid = smallGrid();
  const TRgbImage image = drawCountMap(grid, std::vector<int>(5, 0), kCoalescenceScale, {});
  ASSERT_EQ(image.width(), 9);
  ASSERT_EQ(image.height(), 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 9; ++x) {
      const bool water = y < 3 && x >= 3 && x < 6;
      EXPECT_EQ(image.pixel(x, y), water ? kWaterBlue : kWhite) << x << "," << y;
    }
  }
  // Counts of every slot; the last is no cell of the world and takes no part in the maximum.
  const std::vector<int> counts = {2, 0, 8, 1, 4, 99};
  const TRgbImage coalescences = drawCountMap(grid, counts, kCoalescenceScale, {2, false});
  EXPECT_EQ(coalescences.pixel(1, 3), kYellowMaximum);           // cell 2, row 1 column 0
  EXPECT_EQ(coalescences.pixel(4, 2), (TRgbColour{0, 250, 0}));  // cell 4: 500 * 4 / 8
  const TRgbImage mrca = drawCountMap(grid, counts, kMrcaScale, {2, false});
  EXPECT_EQ(mrca.pixel(1, 3), kGreenMaximum);
  EXPECT_EQ(mrca.pixel(5, 3), (TRgbColour{0, 125, 0}));
}

TEST(MrcaTest, OnlyRecordedEntriesAreCounted) {
  std::ostringstream log;
  TMrcaLocations mrca;
  ASSERT_EQ(mrca.create(3, 2, log), 1);
  mrca.set(1, 1, 4);
  mrca.set(1, 2, 4);
  // Simulation 2, chromosome 1 recombined: its entry stays unset.
  mrca.set(2, 2, 2);
  mrca.set(3, 1, 4);
  mrca.set(3, 2, 77);  // a cell outside the world is not counted either
  mrca.set(4, 1, 0);   // outside the list: ignored
  mrca.set(1, 3, 0);
  EXPECT_EQ(mrca.entries(), (std::vector<int>{4, 4, -1, 2, 4, 77}));
  const TCellGrid grid = smallGrid();
  EXPECT_EQ(countMrcaCells(grid, mrca, 6), (std::vector<int>{0, 0, 1, 0, 3}));
  EXPECT_EQ(countMrcaCells(grid, mrca, 2), (std::vector<int>{0, 0, 0, 0, 2}));
  const TRgbImage image = drawMrcaDensityMap(grid, mrca, 6, {1, false});
  EXPECT_EQ(image.pixel(2, 1), kGreenMaximum);
  EXPECT_EQ(image.pixel(0, 1), (TRgbColour{0, 83, 0}));  // 1 x 250 / 3
  EXPECT_EQ(log.str(), "");
}

TEST(MrcaTest, TheCellOfTheRootsFirstLocationStep) {
  std::ostringstream log;
  TTree tree{log};
  makeTips(tree, {{0, 0, 0}, {1, 0, 1}, {2, 0, 2}}, 1, 10);
  EXPECT_EQ(mrcaCell(tree), TMrcaLocations::kUnset);  // no root yet
  const TNodeRef a = coalesce(tree, 0, 1, 1, 3, 10);
  const TNodeRef root = coalesce(tree, a, 2, 4, 4, 7);
  ASSERT_EQ(root, 4);
  ASSERT_EQ(tree.Store_Node_Migration(root, 1, 6, 0), 1);  // later steps do not move the MRCA
  EXPECT_EQ(mrcaCell(tree), 4);
}

TEST(GenealogyLinesTest, RedLinesJoinTheCentresOfTheCellsLeftFirst) {
  std::ostringstream log;
  TTree tree{log};
  const TCellGrid grid = smallGrid();
  makeTips(tree, {{0, 0, 0}, {4, 0, 0}}, 1, 10);
  coalesce(tree, 0, 1, 3, 2, 8);  // cell 2: row 1, column 0
  TRgbImage image = drawCountMap(grid, std::vector<int>(5, 0), kCoalescenceScale, {4, false});
  drawGenealogyLines(image, tree, grid, 4);
  // Root (2, 6) to tip 1 at (2, 2) and to tip 2 at (10, 6).
  for (int y = 2; y <= 6; ++y) EXPECT_EQ(image.pixel(2, y), kRed) << y;
  for (int x = 2; x <= 10; ++x) EXPECT_EQ(image.pixel(x, 6), kRed) << x;
  EXPECT_EQ(image.pixel(11, 6), kWhite);
}

class CoalescenceMapFilesTest : public ::testing::Test {
 protected:
  testing::ScratchDir dir;
  std::ostringstream log;
  testing::RecordingWindow window;
  const TCellGrid grid = smallGrid();
};

TEST_F(CoalescenceMapFilesTest, TheFourBitmapsUnderTheBaseName) {
  const std::string base = dir.path("run_pop");
  TMrcaLocations mrca;
  ASSERT_EQ(mrca.create(1, 1, log), 1);
  mrca.set(1, 1, 3);
  TTree tree{log};
  makeTips(tree, {{0, 0, 0}, {1, 0, 0}}, 1, 10);
  coalesce(tree, 0, 1, 2, 3, 9);
  EXPECT_EQ(writeTotalCoalescenceMap(base, grid, {1, 0, 0, 5, 0}, log), 1);
  EXPECT_EQ(writeMrcaDensityMap(base, grid, mrca, 1, log), 1);
  EXPECT_EQ(writeGenealogyCoalescenceMap(base, 2, 3, grid, {1, 0, 0, 0, 0}, log), 1);
  EXPECT_EQ(writeCoalescenceTreeMap(base, 4, tree, grid, {0, 0, 0, 1, 0}, {5, false}, window, log),
            1);
  EXPECT_EQ(log.str(), "");

  const testing::ReadBitmap total = testing::readBmp(dir.path("run_pop_TotNumCoal.bmp"));
  ASSERT_TRUE(total.ok);
  EXPECT_EQ(total.at(4, 4), kYellowMaximum);
  EXPECT_EQ(total.at(1, 1), (TRgbColour{0, 100, 0}));
  const testing::ReadBitmap density = testing::readBmp(dir.path("run_pop_TotMRCADensity.bmp"));
  ASSERT_TRUE(density.ok);
  EXPECT_EQ(density.at(4, 4), kGreenMaximum);
  EXPECT_TRUE(testing::readBmp(dir.path("run_pop_NumCoal_sim2_chrom3.bmp")).ok);
  const testing::ReadBitmap coalTree = testing::readBmp(dir.path("run_pop_CoalTree_4.bmp"));
  ASSERT_TRUE(coalTree.ok);
  EXPECT_EQ(coalTree.at(7, 7), kRed);  // the root's cell, row 1 column 1
  EXPECT_EQ(coalTree.at(5, 9), kYellowMaximum);
}

}  // namespace
}  // namespace orvantis
