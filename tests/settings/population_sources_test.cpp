#include "settings/population_sources.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "foundation/exception.h"
#include "settings/settings.h"
#include "support/scratch_dir.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

class PopulationSourcesTest : public ::testing::Test {
 protected:
  void loadSettings(int populations, const std::string& extra = "") {
    const std::string text = std::string("DoublePopulationMode=") + (populations == 2 ? "1" : "0") +
                             "\nChosenDemographicModel=" + (populations == 2 ? "21" : "1") +
                             "\nEndTime=1000\nTauValue=50\n" + extra;
    settings_.reset();
    settings_.load(dir_.write("settings.txt", text).c_str());
    settings_.fillTables();
  }
  int read(const std::string& content) {
    log_.str("");
    return sources_.readSources(dir_.write("sources.txt", content).c_str(), settings_, log_);
  }

  testing::ScratchDir dir_;
  std::ostringstream log_;
  TExtendedSettings settings_{log_};
  PopulationVector sources_;
};

TEST_F(PopulationSourcesTest, ReadsAndLogsEverySource) {
  loadSettings(2);
  ASSERT_EQ(read("2\n"
                 "P1  50 46.5 6.25   0 0 0   0.1 0 0\n"
                 "P2\t20 47 7\n 300 40 80 0.25 1 200\n"),
            2);
  EXPECT_CONTAINS(
      log_.str(),
      "\tID: P2, Initial density: 20, Lat: 47, Long: 7, Initial size: 20, Long: 7, Source "
      "size before the expansion: 300, Duration of the bottleneck: 40, Source size before "
      "the bottleneck: 80, Migration from this source before the expansion:0.25, Expansion "
      "time: 200, Layer: 1\n"
      "\tInput file has been sucessfully read!\n");
  EXPECT_EQ(sources_.firstPopulationCount(), 1);
}

TEST_F(PopulationSourcesTest, InvalidSourcesAreRefused) {
  loadSettings(2);
  const std::string good = "Good 10 0 0 0 0 0 0 0 0\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Bad 0 0 0 0 0 0 0 0 0",
       "****ERROR: Population Bad has an initial size of 0 individuals "
       "or less!\n"},
      {"Bad 5 0 0 -1 0 0 0 0 0",
       "****ERROR: Population Bad has a first resize of less than 0 "
       "individuals!\n"},
      {"Bad 5 0 0 0 0 0 0 2 0", "****ERROR: Population Bad has a wrong deme number!\n"},
      {"Bad 5 0 0 0 0 0 0 1 1000",
       "****ERROR: Population Bad has an expansion time outside the "
       "range of the number of generations simulated!\n"},
      {"Bad 5 0 0 0 0 0 0 0 5",
       "****ERROR: Expansion time of population in layer 0 (Bad) must "
       "be equal to 0!\n"},
  };
  for (const auto& [record, error] : cases) {
    SCOPED_TRACE(record);
    EXPECT_EQ(read("3\n" + good + record + "\n" + good), 0);
    EXPECT_CONTAINS(log_.str(), error);
    // Reading stops at the refused source and keeps nothing.
    EXPECT_EQ(log_.str().find("Input file has been sucessfully read!"), std::string::npos);
    EXPECT_EQ(sources_.count(), 0);
  }
}

TEST_F(PopulationSourcesTest, DamagedFiles) {
  loadSettings(2);
  const std::string longName(100, 'n');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {std::string("\x01\xff\x00zz", 5), "does not begin with the number of sources"},
      {"-2\nA 1 0 0 0 0 0 0 0 0\n", "lists no source"},
      {"2\nA 1 0 0 0 0 0 0 0 0\n", "announces 2 sources, but the name of source 2 is missing"},
      {"1\nA 1 0 0 0 0\n", "the size before the bottleneck of source 1 (line 2) is missing"},
      {"2\nA 1 0 0 0 0 0 0 0 0\n\nB 1 x 0 0 0 0 0 0 0\n",
       "the latitude of source 2 (line 4) is missing or not a number"},
      {"1000000000\nA 1 0 0 0 0 0 0 0 0\n", "name of source 2 is missing"},
      {"1\n" + longName + " 1 0 0 0 0 0 0 0 0\n", "is longer than 99 characters"},
  };
  for (const auto& [content, error] : cases) {
    SCOPED_TRACE(error);
    EXPECT_EQ(read(content), 0);
    EXPECT_CONTAINS(log_.str(), "****ERROR: ");
    EXPECT_CONTAINS(log_.str(), error);
    EXPECT_EQ(sources_.count(), 0);
  }
  // More records than announced: the rest is ignored.
  EXPECT_EQ(read("1\nA 1 0 0 0 0 0 0 0 0\nB 1 0 0 0 0 0 0 0 0\n"), 1);

  EXPECT_CONTAINS(testing::thrownMessage([&] {
                    (void)sources_.readSources(dir_.path("missing.txt").c_str(), settings_, log_);
                  }),
                  "missing.txt");
}

TEST_F(PopulationSourcesTest, SortingByExpansionTime) {
  loadSettings(2);
  ASSERT_EQ(read("2\nLate 10 0 0 0 0 0 0 1 300\nFirst 10 0 0 0 0 0 0 0 0\n"), 2);
  sources_.sortSources();
  EXPECT_EQ(sources_[0].name.str(), "First");
  EXPECT_EQ(sources_[1].name.str(), "Late");
}

}  // namespace
}  // namespace orvantis
