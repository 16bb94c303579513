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
  // Opens a genealogy and sets the walk to generation g (views of g and g - 1).
  void openAt(TDemeCollection& c, int g) {
    ASSERT_EQ(c.beginGenealogy(), 1) << log.str();
    c.setWalkTime(g);
  }
  // Lines of the log that equal `line`.
  int linesEqual(const std::string& line) const {
    std::istringstream in(log.str());
    int n = 0;
    for (std::string l; std::getline(in, l);) n += l == line;
    return n;
  }
};

// A column of two cells: the deme at the bottom holds 100 individuals, 5 of whom came from the
// north at generation 10; the population was there at generation 9.
TEST_F(MigrationTest, LineagesFollowTheImmigrantsWithoutReplacement) {
  buildWorld({"1", "1"});
  setSize(0, 0, 100);
  setSize(1, 0, 100);
  setArrivals(1, 0, FromSide::North, 5, 0, 10, 10);
  auto c = prepare({sampleAt("s", 100, 0, 1, 0)});
  constexpr int kTrials = 2000;
  int total = 0;
  int firstMoved = 0;
  int most = 0;
  for (int trial = 0; trial < kTrials; ++trial) {
    openAt(*c, 10);
    TDeme& deme = *c->demeAt(cellIndex(1, 0), 0);
    deme.updateSize();
    ASSERT_EQ(deme.implementMigration(0), 1);
    const TDeme& north = *c->demeAt(cellIndex(0, 0), 0);
    const int moved = north.numIncoming;
    EXPECT_EQ(deme.numLineages + moved, 100);
    EXPECT_EQ(c->migrationEvents(), moved);
    total += moved;
    most = std::max(most, moved);
    firstMoved += c->tree().node(0).locCell.back() == cellIndex(0, 0);
    ASSERT_TRUE(c->verify(&problem)) << problem;
    c->resetDemes();
  }
  EXPECT_LE(most, 5);  // never more lineages than immigrants
  // The first lineage moves with probability 5/100.
  const double p = 0.05;
  EXPECT_NEAR(static_cast<double>(firstMoved) / kTrials, p, 5 * std::sqrt(p * (1 - p) / kTrials));
  // Each draw takes one of the immigrants not yet taken among the individuals not yet taken:
  // 3.1977 moves on average, with variance 1.1455.
  EXPECT_NEAR(static_cast<double>(total) / kTrials, 3.1977, 5 * std::sqrt(1.1455 / kTrials));
}

// A column of three cells; the middle deme (10 individuals at generation 10) was empty at
// generation 9 and received 3 immigrants from the north at generation 10.
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
    openAt(*c, 10);
    TDeme& deme = *c->demeAt(cellIndex(1, 0), 0);
    deme.updateSize();
    ASSERT_EQ(deme.implementMigration(0), 1);
    const TDeme* north = c->demeAt(cellIndex(0, 0), 0);
    if (immigrants == 0) {
      EXPECT_EQ(north, nullptr);  // no immigrant, no move, even from an emptied deme
      EXPECT_EQ(deme.numLineages, 5);
      EXPECT_EQ(log.str(), "");
      continue;
    }
    ASSERT_NE(north, nullptr);
    EXPECT_EQ(deme.numLineages, 0);
    // The first three follow the immigrants for sure, in order; the two left are redistributed.
    const std::vector<TNodeRef> arrived(north->incomingList.begin(), north->incomingList.end());
    EXPECT_EQ(arrived, (std::vector<TNodeRef>{0, 1, 2, 3, 4}));
    EXPECT_CONTAINS(log.str(),
                    "WARNING[TDeme::Move_Genes_If_NextSize_Equal_Zero]: Cell " +
                        std::to_string(cellIndex(1, 0)) +
                        ", Deme 0, Generation 9 -> Redistribution of 2 lineages in neighbouring "
                        "cells!\n");
    EXPECT_EQ(linesEqual("extra gene move to north"), 2);
    EXPECT_EQ(c->migrationEvents(), 5);
    EXPECT_EQ(c->numNewlyActive(), 1);
    EXPECT_TRUE(c->verify(&problem)) << problem;
  }
}

// A column of four cells: the deme in row 2 was empty at generation 9, as were its neighbours;
// two cells north, row 0 was populated.
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
    openAt(*c, 10);
    TDeme& deme = *c->demeAt(cellIndex(2, 0), 0);
    deme.updateSize();
    ASSERT_EQ(deme.implementMigration(0), 1);
    EXPECT_EQ(c->demeAt(cellIndex(1, 0), 0)->numIncoming, 1);  // the one immigrant
    if (farCellPopulated) {
      EXPECT_EQ(c->demeAt(cellIndex(0, 0), 0)->numIncoming, 3);
      EXPECT_EQ(linesEqual("extra gene move two times north"), 3);
      EXPECT_EQ(c->tree().node(3).locCell.back(), cellIndex(0, 0));
      EXPECT_EQ(c->tree().node(3).locTime.back(), 9);
    } else {
      EXPECT_EQ(deme.numLineages, 3);
      EXPECT_CONTAINS(log.str(),
                      "ERROR[TDeme::implementMigration]: Lineages are prisonner in Cell " +
                          std::to_string(cellIndex(2, 0)) + ", Deme 0, at generation 10\n");
    }
    EXPECT_TRUE(c->verify(&problem)) << problem;
  }
}

// Lineages of a deme made only of long-distance immigrants go to their sources.
TEST_F(MigrationTest, LongDistanceImmigrantsTakeLineagesToTheirSources) {
  buildWorld({"1 1 1 1 1"});
  StateDB& db = world->database();
  ASSERT_EQ(db.beginRun(true), 1);
  setSize(0, 0, 40);
  setSize(0, 2, 4, 0, 10, 10);
  setSize(0, 3, 0);
  setSize(0, 4, 40);
  ASSERT_EQ(db.add_LDDMigrants(cellIndex(0, 2), 0, 10, cellIndex(0, 0), 3), 1);
  ASSERT_EQ(db.add_LDDMigrants(cellIndex(0, 2), 0, 10, cellIndex(0, 4), 1), 1);
  auto c = prepare({sampleAt("s", 4, 0, 0, 2)});
  openAt(*c, 10);
  TDeme& deme = *c->demeAt(cellIndex(0, 2), 0);
  deme.updateSize();
  ASSERT_EQ(deme.implementMigration(0), 1);
  EXPECT_EQ(c->demeAt(cellIndex(0, 0), 0)->numIncoming, 3);
  EXPECT_EQ(c->demeAt(cellIndex(0, 4), 0)->numIncoming, 1);
}

// An emptied deme whose long-distance immigrants came from an empty and from a populated cell:
// the lineages left over go to the populated source only.
TEST_F(MigrationTest, RedistributionUsesPopulatedLongDistanceSourcesOnly) {
  buildWorld({"1 1 1 1 1"});
  StateDB& db = world->database();
  ASSERT_EQ(db.beginRun(true), 1);
  setSize(0, 0, 40);
  setSize(0, 0, 0, 0, 9, 9);  // empty at generation 9
  setSize(0, 2, 8, 0, 10, 10);
  setSize(0, 4, 40);
  ASSERT_EQ(db.add_LDDMigrants(cellIndex(0, 2), 0, 10, cellIndex(0, 0), 1), 1);
  ASSERT_EQ(db.add_LDDMigrants(cellIndex(0, 2), 0, 10, cellIndex(0, 4), 1), 1);
  auto c = prepare({sampleAt("s", 4, 0, 0, 2)});
  for (int trial = 0; trial < 20; ++trial) {
    openAt(*c, 10);
    TDeme& deme = *c->demeAt(cellIndex(0, 2), 0);
    deme.updateSize();
    ASSERT_EQ(deme.implementMigration(0), 1);
    EXPECT_EQ(deme.numLineages, 0);
    // One lineage per immigrant, then the two left to (0, 4).
    EXPECT_EQ(c->demeAt(cellIndex(0, 0), 0)->numIncoming, 1);
    EXPECT_EQ(c->demeAt(cellIndex(0, 4), 0)->numIncoming, 3);
    ASSERT_TRUE(c->verify(&problem)) << problem;
    c->resetDemes();
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
  openAt(*c, 10);
  TDeme& deme = *c->demeAt(cellIndex(1, 0), 0);
  deme.updateSize();
  ASSERT_EQ(deme.implementMigration(0), 1);
  const TDeme& other = *c->demeAt(cellIndex(1, 0), 1);
  ASSERT_EQ(other.numIncoming, 3);  // every individual came from population 2
  for (TNodeRef tip = 0; tip < 3; ++tip) {
    EXPECT_EQ(c->tree().node(tip).pop, 1);
    EXPECT_EQ(c->tree().node(tip).locPop.back(), 1);
  }
  EXPECT_TRUE(c->verify(&problem)) << problem;
  c->resetDemes();

  // Population 1 absent at generation 9 everywhere; population 2 present in the cell.
  world->database().generationRow(10).set_migrBetweenDemes(cellIndex(1, 0), 1, 0, 0);
  setSize(0, 0, 0, 0, 9, 9);
  setSize(1, 0, 0, 0, 9, 9);
  setArrivals(1, 0, FromSide::North, 1, 0, 10, 10);
  log.str("");
  openAt(*c, 10);
  TDeme& again = *c->demeAt(cellIndex(1, 0), 0);
  again.updateSize();
  ASSERT_EQ(again.implementMigration(0), 1);
  EXPECT_EQ(c->demeAt(cellIndex(0, 0), 0)->numIncoming, 1);
  EXPECT_EQ(c->demeAt(cellIndex(1, 0), 1)->numIncoming, 2);
  EXPECT_EQ(linesEqual("extra gene move to the other population"), 2);
  EXPECT_TRUE(c->verify(&problem)) << problem;
}

// Immigrants recorded from a neighbour that does not exist (damaged data) make the draws fall
// there again and again: the step gives up after a bounded number of draws.
TEST_F(MigrationTest, ImmigrantsFromAMissingNeighbourFailTheGenealogy) {
  buildWorld({"1 1"});
  setSize(0, 0, 5);
  setSize(0, 1, 5);
  setArrivals(0, 0, FromSide::North, 5);
  auto c = prepare({sampleAt("s", 3, 0, 0, 0)});
  openAt(*c, 10);
  TDeme& deme = *c->demeAt(cellIndex(0, 0), 0);
  deme.updateSize();
  EXPECT_EQ(deme.implementMigration(0), 0);
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
    openAt(*c, 0);
    TDeme& a = *c->demeAt(cellIndex(0, 0), 0);
    ASSERT_EQ(a.implementMultiOriginMigration(-3, rate, 0), 1);
    const TDeme& b = *c->demeAt(cellIndex(0, 1), 0);
    const std::vector<TNodeRef> moved(b.incomingList.begin(), b.incomingList.end());
    const std::vector<TNodeRef> stayed(a.activeList.begin(), a.activeList.end());
    if (rate == 0.0) {
      EXPECT_TRUE(moved.empty());
      EXPECT_EQ(stayed, (std::vector<TNodeRef>{0, 1, 2, 3}));
    } else {
      // After a move the next lineage takes its place and is not examined in this call.
      EXPECT_EQ(moved, (std::vector<TNodeRef>{0, 2}));
      EXPECT_EQ(stayed, (std::vector<TNodeRef>{1, 3}));
      EXPECT_EQ(c->tree().node(2).locTime.back(), -3);
      EXPECT_EQ(c->migrationEvents(), 2);
    }
    EXPECT_TRUE(c->verify(&problem)) << problem;
    c->resetDemes();
  }
}

}  // namespace
}  // namespace orvantis
