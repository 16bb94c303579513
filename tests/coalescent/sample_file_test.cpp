#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coalescent/deme_collection.h"
#include "support/sampled_world.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

// A world of 3 rows and 4 columns with water at row 1, column 1; EndTime 10. Every land cell
// holds 20 individuals at every generation unless a test changes it.
class SampleFileTest : public testing::SampledWorldTest {
 protected:
  void SetUp() override {
    buildWorld({"1 1 1 1", "1 -9999 1 1", "1 1 1 1"});
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 4; ++c) {
        if (world->cellAt(r, c) != nullptr) setSize(r, c, 20);
      }
    }
  }
};

TEST_F(SampleFileTest, DatesMissingBeyondEndTimeZeroNegativeAndNotANumber) {
  struct Case {
    const char* date;
    bool accepted;
    bool ancient;
    const char* shown;  // the date of the refusal line
  };
  const Case cases[] = {
      {"", true, false, ""},      {"25", true, false, ""},    {"10", true, false, ""},
      {"4", true, true, ""},      {"1", true, true, ""},      {"0", false, false, "0"},
      {"-3", false, false, "-3"}, {"abc", false, false, "0"}, {"7x", true, true, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    log.str("");
    writeSamples({sampleAt("pop", 2, 0, 0, 0, c.date)});
    auto collection = readCollection();
    EXPECT_EQ(collection->sampleList().size(), c.accepted ? 1u : 0u);
    EXPECT_EQ(collection->numAncientSamples(), c.ancient ? 1 : 0);
    if (!c.accepted) {
      EXPECT_CONTAINS(log.str(), std::string(" ERROR:  [the date (") + c.shown +
                                     ") of sample 'pop' is out of the simulated period [1,10]!]\n");
    }
  }
}

TEST_F(SampleFileTest, SamplesOfOneDemeAddUpAndAncientOnesGetTheirOffsets) {
  writeSamples({sampleAt("now", 6, 0, 0, 2), sampleAt("old1", 4, 0, 0, 2, "5"),
                sampleAt("other", 2, 0, 2, 3), sampleAt("old2", 3, 0, 0, 2, "3")});
  auto collection = readCollection();
  ASSERT_EQ(collection->numDemes(), 2);
  const TDeme& deme = *collection->demeAt(cellIndex(0, 2), 0);
  EXPECT_EQ(deme.sampleSize, 13);
  EXPECT_EQ(deme.numLineages, 6);
  EXPECT_EQ(deme.ancientPending, 7);
  EXPECT_EQ(deme.extraSamples, 2);
  EXPECT_EQ(deme.names, (std::vector<my_string>{"now", "now", "old1", "old2"}));
  ASSERT_EQ(collection->ancientSamples().size(), 2u);
  EXPECT_EQ(collection->ancientSamples()[0].lineageOffset, 0);
  EXPECT_EQ(collection->ancientSamples()[1].lineageOffset, 4);  // after the first ancient one
  EXPECT_EQ(collection->ancientSamples()[1].date, 3);
  EXPECT_EQ(collection->sampleList()[3].position, 2);
  EXPECT_EQ(collection->ancientFlags(), (std::vector<char>{0, 1, 0, 1}));
  std::string problem;
  EXPECT_TRUE(collection->verify(&problem)) << problem;
}

TEST_F(SampleFileTest, OddSizeWithGenotypicDataStopsTheReading) {
  setting("GenotypicData", "1");
  writeSamples({sampleAt("even", 4, 0, 0, 0), sampleAt("odd", 3, 0, 0, 1)});
  TDemeCollection collection(*world, log, window, context.random);
  ASSERT_EQ(collection.createDemesFromWorld(), 1);
  EXPECT_EQ(collection.readSampleFile(), 0);
  EXPECT_CONTAINS(log.str(),
                  " ERROR: When simulating genotypic data, each (haploid) sample size\n"
                  " must be an even number. Please correct your sample file (*.sam).\n");
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].caption, "ERROR: uneven  sample size with gentotypic data");
}

TEST_F(SampleFileTest, PopulationOutsideTheRunStopsWithTheSamplesBefore) {
  for (const int population : {1, -1}) {
    log.str("");
    writeSamples(
        {sampleAt("a", 2, 0, 0, 0), sampleAt("b", 2, population, 0, 1), sampleAt("c", 2, 0, 0, 2)});
    auto collection = readCollection();
    EXPECT_EQ(collection->numDemes(), 1);
    EXPECT_CONTAINS(log.str(), "ERROR:[the no of deme # b does not exist!]\n");
  }
}

// Samples on water or beyond the density ask one question for the whole file; a cell holding
// exactly the sample size is accepted.
TEST_F(SampleFileTest, OneQuestionPerReadingAndCancelRefusesTheSamples) {
  setSize(0, 0, 5, 0, 7, 7);
  writeSamples({sampleAt("wet", 2, 0, 1, 1), sampleAt("big", 50, 0, 0, 0),
                sampleAt("fine", 2, 0, 0, 3), sampleAt("exact", 5, 0, 0, 0, "7"),
                sampleAt("over", 6, 0, 0, 0, "7")});
  auto collection = readCollection();
  EXPECT_EQ(collection->sampleList().size(), 2u);
  ASSERT_EQ(window.questions.size(), 1u);
  EXPECT_EQ(window.questions[0].text,
            "One or more samples can not be used, see Friction.log for more details. Do you want "
            "to continue?");
  EXPECT_EQ(window.questions[0].caption,
            "WARNING: Cell(s) not colonised or it's density is smaller than the sample size");
  EXPECT_CONTAINS(log.str(), " WARNING: [the population 'wet' is on the water!]\n");
  EXPECT_CONTAINS(log.str(),
                  " WARNING:  [the population 'over' has not been colonised or it's "
                  "density (5) is smaller than the sample size (6)!]\n");
  window.answer = false;
  EXPECT_EQ(collection->createDemesFromWorld(), 1);
  EXPECT_EQ(collection->readSampleFile(), 0);
  EXPECT_EQ(window.questions.size(), 2u);
}

TEST_F(SampleFileTest, NamesEdgesAndShortFiles) {
  // A name cut at a tab; points on the east and north edges lie on no cell; a size below 1; the
  // file announces more samples than it holds.
  writeSampleFile(
      "6\nTabbed\t2 0 2.5 0.5\nEast 2 0 2.5 4\nNorth 2 0 3 0.5\nZero 0 0 2.5 0.5\nSouth 2 0 0 0\n");
  auto collection = readCollection();
  ASSERT_EQ(collection->numDemes(), 2);
  EXPECT_EQ(collection->demes()[0]->names[0], my_string("Tabbed"));
  EXPECT_EQ(collection->sampleList().size(), 2u);  // Tabbed and South (the corner is inside)
  for (const char* name : {"East", "North"}) {
    EXPECT_CONTAINS(log.str(), std::string(" ERROR: [the population '") + name +
                                   "' is out of World coordinates!]\n");
  }
  EXPECT_CONTAINS(log.str(), "line 5 of '" + dir.path("samples.sam") +
                                 "': the size of sample 'Zero' must be a number of genes");
  EXPECT_CONTAINS(log.str(), "ends after 5 of the 6 samples it announces");
  EXPECT_EQ(collection->GetDemeFromCoordinates(0.0f, 0.0f), cellIndex(2, 0));
  EXPECT_EQ(collection->GetDemeFromCoordinates(1.5f, 1.5f), -1);  // water
  EXPECT_CONTAINS(log.str(), "[a serial samples is out of World coordinates!]");
}

}  // namespace
}  // namespace orvantis
