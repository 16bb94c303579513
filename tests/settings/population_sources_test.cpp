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
  EXPECT_EQ(log_.str(),
            "\tThe number of population source is 2\n"
            "\tID: P1, Initial density: 50, Lat: 46.5, Long: 6.25, Initial size: 50, Long: 6.25, "
            "No resize before the expansion: 0, No bottleneck: 0, Migration from this source "
            "before the expansion:0.1, Expansion time: 0, Layer: 0\n"
            "\tID: P2, Initial density: 20, Lat: 47, Long: 7, Initial size: 20, Long: 7, Source "
            "size before the expansion: 300, Duration of the bottleneck: 40, Source size before "
            "the bottleneck: 80, Migration from this source before the expansion:0.25, Expansion "
            "time: 200, Layer: 1\n"
            "\tInput file has been sucessfully read!\n");
  EXPECT_EQ(sources_.count(), 2);
  EXPECT_EQ(sources_.firstPopulationCount(), 1);
  EXPECT_FLOAT_EQ(sources_[1].longitude, 7.0f);
  EXPECT_EQ(sources_[1].cellIndex, -1);  // not placed yet

  loadSettings(1);
  ASSERT_EQ(read("1 Alone 10 1.5 2.5 0 0 0 0 0 0"), 1);
  EXPECT_CONTAINS(log_.str(),
                  "\tID: Alone, Initial density: 10, Lat: 1.5, Long: 2.5, Initial size: 10, Long: "
                  "2.5, No resize before the expansion: 0, No bottleneck: 0, Only one source, no "
                  "migration before the expansion.\n");
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
      {"Bad 5 0 0 0 0 -1 0 0 0",
       "****ERROR: Population Bad has a second resize of less than 0 "
       "individuals!\n"},
      {"Bad 5 0 0 0 0 0 0 2 0", "****ERROR: Population Bad has a wrong deme number!\n"},
      {"Bad 5 0 0 0 0 0 0 -1 0", "****ERROR: Population Bad has a wrong deme number!\n"},
      {"Bad 5 0 0 0 0 0 0 1 1000",
       "****ERROR: Population Bad has an expansion time outside the "
       "range of the number of generations simulated!\n"},
      {"Bad 5 0 0 0 0 0 0 1 -1",
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

TEST_F(PopulationSourcesTest, BottleneckAgainstTauOnlyWithSeveralFirstPopulationSources) {
  loadSettings(2);
  const std::string longBottleneck = "Long 10 0 0 0 60 100 0 0 0\n";
  EXPECT_EQ(read("2\n" + longBottleneck + "Second 10 0 0 0 0 0 0 1 10\n"), 2);
  EXPECT_EQ(read("2\n" + longBottleneck + "Other 10 0 0 0 0 0 0 0 0\n"), 0);
  EXPECT_CONTAINS(log_.str(),
                  "****ERROR: Duration of the bottleneck is too long compared to the tau value "
                  "for source Long\n");
  // A long duration without a bottleneck size is no bottleneck.
  EXPECT_EQ(read("2\nLong 10 0 0 0 60 0 0 0 0\nOther 10 0 0 0 0 0 0 0 0\n"), 2);
}

TEST_F(PopulationSourcesTest, DamagedFiles) {
  loadSettings(2);
  const std::string longName(100, 'n');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "does not begin with the number of sources"},
      {std::string("\x01\xff\x00zz", 5), "does not begin with the number of sources"},
      {"-2\nA 1 0 0 0 0 0 0 0 0\n", "lists no source"},
      {"2\nA 1 0 0 0 0 0 0 0 0\n", "announces 2 sources, but the name of source 2 is missing"},
      {"1\nA 1 0 0 0 0\n", "the size before the bottleneck of source 1 (line 2) is missing"},
      {"2\nA 1 0 0 0 0 0 0 0 0\n\nB 1 x 0 0 0 0 0 0 0\n",
       "the latitude of source 2 (line 4) is missing or not a number"},
      {"1\nA 1.5 0 0 0 0 0 0 0 0 0\n", "the initial size of source 1 (line 2) is missing"},
      {"1\nA 1 0 0 0 0 0.5 0 0 0\n", "the size before the bottleneck of source 1"},
      {"1\nA 1 0 0 0 0 0 0 0 99999999999\n", "the expansion time of source 1"},
      {"1\nA 1 nan 0 0 0 0 0 0 0\n", "the latitude of source 1"},
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
  // The file is named by the settings.
  loadSettings(1, "PopDensityFile=" + dir_.write("named.txt", "1 A 1 0 0 0 0 0 0 0 0") + "\n");
  EXPECT_EQ(sources_.readSources(settings_, log_), 1);
}

TEST_F(PopulationSourcesTest, SortingByExpansionTime) {
  loadSettings(2);
  ASSERT_EQ(read("2\nLate 10 0 0 0 0 0 0 1 300\nFirst 10 0 0 0 0 0 0 0 0\n"), 2);
  sources_.sortSources();
  EXPECT_EQ(sources_[0].name.str(), "First");
  EXPECT_EQ(sources_[1].name.str(), "Late");

  // Sorting by exchange: equal times can change their order.
  PopulationVector v;
  for (const auto& [name, time] :
       std::vector<std::pair<const char*, int>>{{"A", 5}, {"B", 5}, {"C", 0}}) {
    PopulationSource s;
    s.name = name;
    s.expansionTime = time;
    v.add(s);
  }
  v.sortSources();
  std::string order;
  for (const PopulationSource& s : v) order += s.name.str();
  EXPECT_EQ(order, "CBA");
}

}  // namespace
}  // namespace orvantis
