// Backward moves of lineages within one generation step, driven deme by deme.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "walk_fixture.h"

namespace orvantis {
namespace {

using testing::WalkTest;

class MigrationTest : public WalkTest {
 protected:
  // Opens a genealogy at generation g and runs the moves of the deme of (row, col); returns
  // implementMigration's result.
  int migrate(TDemeCollection& c, int row, int col, int g = 10) {
    EXPECT_EQ(c.beginGenealogy(), 1) << log.str();
    c.setWalkTime(g);
    TDeme& deme = *c.demeAt(cellIndex(row, col), 0);
    deme.updateSize();
    return deme.implementMigration(0);
  }
  int incoming(TDemeCollection& c, int row, int col, int pop = 0) {
    const TDeme* deme = c.demeAt(cellIndex(row, col), pop);
    return deme == nullptr ? -1 : deme->numIncoming;
  }
  int linesEqual(const std::string& line) const {
    std::istringstream in(log.str());
    int n = 0;
    for (std::string l; std::getline(in, l);) n += l == line;
    return n;
  }
  void expectValid(TDemeCollection& c) { EXPECT_TRUE(c.verify(&problem)) << problem; }
};

// A column of two cells: the bottom deme holds 100 individuals, 5 of whom came from the north.
TEST_F(MigrationTest, LineagesFollowTheImmigrantsWithoutReplacement) {
  buildWorld({"1", "1"});
  setSize(0, 0, 100);
  setSize(1, 0, 100);
  setArrivals(1, 0, FromSide::North, 5, 0, 10, 10);
  auto c = prepare({sampleAt("s", 100, 0, 1, 0)});
  constexpr int kTrials = 2000;
  int total = 0, firstMoved = 0;
  for (int trial = 0; trial < kTrials; ++trial) {
    ASSERT_EQ(migrate(*c, 1, 0), 1);
    const int moved = incoming(*c, 0, 0);
    EXPECT_LE(moved, 5);  // never more lineages than immigrants
    EXPECT_EQ(c->demeAt(cellIndex(1, 0), 0)->numLineages + moved, 100);
    EXPECT_EQ(c->migrationEvents(), moved);
    total += moved;
    firstMoved += c->tree().node(0).locCell.back() == cellIndex(0, 0);
    ASSERT_TRUE(c->verify(&problem)) << problem;
    c->resetDemes();
  }
  const double p = 0.05;  // the first lineage moves with probability 5/100
  EXPECT_NEAR(static_cast<double>(firstMoved) / kTrials, p, 5 * std::sqrt(p * (1 - p) / kTrials));
  // Each draw takes one of the immigrants not yet taken among the individuals not yet taken:
  // 3.1977 moves on average, with variance 1.1455.
  EXPECT_NEAR(static_cast<double>(total) / kTrials, 3.1977, 5 * std::sqrt(1.1455 / kTrials));
}

// The middle deme of a column of three (10 individuals at generation 10) was empty at generation
// 9: with 3 immigrants from the north the first three lineages follow them for sure and the two
// left are redistributed; without immigrants nobody moves.
TEST_F(MigrationTest, AnEmptiedDemeSendsItsLineagesToItsImmigrantsThenToPopulatedNeighbours) {
  for (const int immigrants : {3, 0}) {
    SCOPED_TRACE(immigrants);
    buildWorld({"1", "1", "1"});
    setSize(0, 0, 50);
    setSize(1, 0, 10, 0, 10, 10);
    setSize(2, 0, 0);
    setArrivals(1, 0, FromSide::North, immigrants, 0, 10, 10);
    auto c = prepare({sampleAt("s", 5, 0, 1, 0)});
    log.str("");
    ASSERT_EQ(migrate(*c, 1, 0), 1);
    const TDeme* north = c->demeAt(cellIndex(0, 0), 0);
    if (immigrants == 0) {
      EXPECT_EQ(north, nullptr);
      EXPECT_EQ(c->demeAt(cellIndex(1, 0), 0)->numLineages, 5);
      EXPECT_EQ(log.str(), "");
      continue;
    }
    ASSERT_NE(north, nullptr);
    EXPECT_EQ(std::vector<TNodeRef>(north->incomingList.begin(), north->incomingList.end()),
              (std::vector<TNodeRef>{0, 1, 2, 3, 4}));
    EXPECT_CONTAINS(log.str(), "WARNING[TDeme::Move_Genes_If_NextSize_Equal_Zero]: Cell " +
                                   std::to_string(cellIndex(1, 0)) +
                                   ", Deme 0, Generation 9 -> Redistribution of 2 lineages in "
                                   "neighbouring cells!\n");
    EXPECT_EQ(linesEqual("extra gene move to north"), 2);
    EXPECT_EQ(c->migrationEvents(), 5);
    EXPECT_EQ(c->numNewlyActive(), 1);
    expectValid(*c);
  }
}

// Row 2 of a column of four was empty at generation 9, as were its neighbours: the lineages left
// go two cells north when row 0 was populated, and stay prisoners otherwise.
TEST_F(MigrationTest, RedistributionLooksTwoCellsAwayOrLeavesThePrisoners) {
  for (const bool farCellPopulated : {true, false}) {
    SCOPED_TRACE(farCellPopulated);
    buildWorld({"1", "1", "1", "1"});
    setSize(0, 0, farCellPopulated ? 30 : 0);
    setSize(1, 0, 0);
    setSize(1, 0, 5, 0, 10, 10);
    setSize(2, 0, 10, 0, 10, 10);
    setSize(3, 0, 0);
    setArrivals(2, 0, FromSide::North, 1, 0, 10, 10);
    auto c = prepare({sampleAt("s", 4, 0, 2, 0)});
    log.str("");
    ASSERT_EQ(migrate(*c, 2, 0), 1);
    EXPECT_EQ(incoming(*c, 1, 0), 1);  // the one immigrant
    if (farCellPopulated) {
      EXPECT_EQ(incoming(*c, 0, 0), 3);
      EXPECT_EQ(linesEqual("extra gene move two times north"), 3);
      EXPECT_EQ(c->tree().node(3).locCell.back(), cellIndex(0, 0));
      EXPECT_EQ(c->tree().node(3).locTime.back(), 9);
    } else {
      EXPECT_EQ(c->demeAt(cellIndex(2, 0), 0)->numLineages, 3);
      EXPECT_CONTAINS(log.str(),
                      "ERROR[TDeme::implementMigration]: Lineages are prisonner in Cell " +
                          std::to_string(cellIndex(2, 0)) + ", Deme 0, at generation 10\n");
    }
    expectValid(*c);
  }
}

// Lineages of a deme made only of long-distance immigrants (3 from (0, 0), 1 from (0, 4)) go to
// their sources; when (0, 0) was empty at generation 9 the lineages left over go to the populated
// source only.
TEST_F(MigrationTest, LongDistanceImmigrantsTakeLineagesToPopulatedSources) {
  struct Case {
    int size, fromFirst, intoFirst, intoLast;
    bool firstEmptyAtNine;
  };
  for (const Case& k : {Case{4, 3, 3, 1, false}, Case{8, 1, 1, 3, true}}) {
    SCOPED_TRACE(k.size);
    buildWorld({"1 1 1 1 1"});
    StateDB& db = world->database();
    ASSERT_EQ(db.beginRun(true), 1);
    setSize(0, 0, 40);
    if (k.firstEmptyAtNine) setSize(0, 0, 0, 0, 9, 9);
    setSize(0, 2, k.size, 0, 10, 10);
    setSize(0, 3, 0);
    setSize(0, 4, 40);
    ASSERT_EQ(db.add_LDDMigrants(cellIndex(0, 2), 0, 10, cellIndex(0, 0), k.fromFirst), 1);
    ASSERT_EQ(db.add_LDDMigrants(cellIndex(0, 2), 0, 10, cellIndex(0, 4), 1), 1);
    auto c = prepare({sampleAt("s", 4, 0, 0, 2)});
    for (int trial = 0; trial < 20; ++trial) {
      ASSERT_EQ(migrate(*c, 0, 2), 1);
      EXPECT_EQ(incoming(*c, 0, 0), k.intoFirst);
      EXPECT_EQ(incoming(*c, 0, 4), k.intoLast);
      ASSERT_TRUE(c->verify(&problem)) << problem;
      c->resetDemes();
    }
  }
}

// Two populations: immigrants from the other population of the cell take lineages there, and
// an emptied population sends its lineages to the other population of the cell.
TEST_F(MigrationTest, TheOtherPopulationOfTheCell) {
  buildWorld({"1", "1"}, 10, 2);
  setSize(0, 0, 20, 0);
  setSize(1, 0, 10, 0);
  setSize(1, 0, 10, 1);
  world->database().generationRow(10).set_migrBetweenDemes(cellIndex(1, 0), 1, 0, 10);
  auto c = prepare({sampleAt("s", 3, 0, 1, 0)});
  ASSERT_EQ(migrate(*c, 1, 0), 1);
  ASSERT_EQ(incoming(*c, 1, 0, 1), 3);  // every individual came from population 2
  for (TNodeRef tip = 0; tip < 3; ++tip) EXPECT_EQ(c->tree().node(tip).locPop.back(), 1);
  expectValid(*c);
  c->resetDemes();

  // Population 1 absent at generation 9 everywhere; population 2 present in the cell.
  world->database().generationRow(10).set_migrBetweenDemes(cellIndex(1, 0), 1, 0, 0);
  setSize(0, 0, 0, 0, 9, 9);
  setSize(1, 0, 0, 0, 9, 9);
  setArrivals(1, 0, FromSide::North, 1, 0, 10, 10);
  log.str("");
  ASSERT_EQ(migrate(*c, 1, 0), 1);
  EXPECT_EQ(incoming(*c, 0, 0), 1);
  EXPECT_EQ(incoming(*c, 1, 0, 1), 2);
  EXPECT_EQ(linesEqual("extra gene move to the other population"), 2);
  expectValid(*c);
}

// Immigrants recorded from a neighbour that does not exist (damaged data) make the draws fall
// there again and again: the step gives up after a bounded number of draws.
TEST_F(MigrationTest, ImmigrantsFromAMissingNeighbourFailTheGenealogy) {
  buildWorld({"1 1"});
  setSize(0, 0, 5);
  setSize(0, 1, 5);
  setArrivals(0, 0, FromSide::North, 5);
  auto c = prepare({sampleAt("s", 3, 0, 0, 0)});
  EXPECT_EQ(migrate(*c, 0, 0), 0);
  EXPECT_CONTAINS(log.str(),
                  "the database records immigrants from a neighbour that does not exist");
  c->resetDemes();
  EXPECT_EQ(c->buildTree(1), 0);
}

TEST_F(MigrationTest, MigrationAmongSourcesAtRatesZeroAndOne) {
  buildWorld({"1 1"});
  setSize(0, 0, 50);
  setSize(0, 1, 50);
  auto c = prepare({sampleAt("a", 4, 0, 0, 0), sampleAt("b", 1, 0, 0, 1)});
  for (const double rate : {0.0, 1.0}) {
    SCOPED_TRACE(rate);
    ASSERT_EQ(c->beginGenealogy(), 1);
    c->setWalkTime(0);
    TDeme& a = *c->demeAt(cellIndex(0, 0), 0);
    ASSERT_EQ(a.implementMultiOriginMigration(-3, rate, 0), 1);
    const TDeme& b = *c->demeAt(cellIndex(0, 1), 0);
    const std::vector<TNodeRef> moved(b.incomingList.begin(), b.incomingList.end());
    const std::vector<TNodeRef> stayed(a.activeList.begin(), a.activeList.end());
    // After a move the next lineage takes its place and is not examined in this call.
    using Refs = std::vector<TNodeRef>;
    EXPECT_EQ(moved, (rate == 0.0 ? Refs{} : Refs{0, 2}));
    EXPECT_EQ(stayed, (rate == 0.0 ? Refs{0, 1, 2, 3} : Refs{1, 3}));
    if (rate == 1.0) {
      EXPECT_EQ(c->tree().node(2).locTime.back(), -3);
    }
    expectValid(*c);
    c->resetDemes();
  }
}

}  // namespace
}  // namespace orvantis
