// Runs the orvantis program as a user would and checks its exit status, output and log.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/command_fixture.h"

namespace {

namespace fs = std::filesystem;
using orvantis::testing::CommandTest;
using orvantis::testing::RunResult;

// An unknown model fails its row in the batch tests; a vegetation map cut short fails here.
TEST_F(CommandTest, FailedConstructionFailsTheRun) {
  copyExampleStudy();
  const std::string grid = dir_.read("study/vegetation.asc");
  std::ofstream(at("study/vegetation.asc"), std::ios::binary) << grid.substr(0, grid.size() / 2);
  const RunResult cut = run("--seed 1 study/settings.txt");
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.err.find("ERROR: BuildWorld: Error with constructing a World\n"),
            std::string::npos);
}

TEST_F(CommandTest, MissingSettingsFileOrRequiredKeyIsReportedWithTheExactLines) {
  std::ofstream(at("study/settings.txt")) << "EndTime = 10\nChosenDemographicModel = 1\n";
  const std::pair<const char*, std::string> cases[] = {
      {"study/nothere.txt", "Inputfile 'study/nothere.txt' could not be opened!"},
      {"study/settings.txt",
       "The parameter 'DoublePopulationMode' is not defined in the inputfile!"},
  };
  for (const auto& [file, message] : cases) {
    const RunResult r = run(std::string("--seed 1 ") + file);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(log().find("Reading setting file ...\n\nERROR:" + message + "\n"), std::string::npos)
        << log();
    EXPECT_NE(r.out.find("\nERROR:" + message + "\n"), std::string::npos);
    EXPECT_EQ(r.err, "Problem when loading project file:" + message + "\n");
  }
}

// Rates the models read as proportions are refused before the run: MigrationRate = 5.1 with
// GrowthRate = 0 once sent more emigrants than a deme holds, until the sizes overflowed and the
// run reported a colonisation date computed from the overflow.
TEST_F(CommandTest, MigrationRateBeyondOneIsRefusedBeforeTheRun) {
  copyExampleStudy();
  const RunResult r = run(
      "--seed 1 --set EndTime=20 --set GrowthRate=0 --set MigrationRate=5.1 study/settings.txt");
  const std::string message =
      "MigrationRate is the proportion of a deme that emigrates each generation and must lie "
      "between 0 and 1 (it is 5.1).";
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Problem when simulating world:" + message + "\n");
  EXPECT_NE(log().find("Simulating demography ...\n\nERROR:" + message + "\n"), std::string::npos)
      << log();
  EXPECT_EQ(log().find("Printing demographic report"), std::string::npos);
}

// A numeric setting whose text is not a number keeps the value the store gives (0 here) and is
// named once on standard error and in the log, though the settings are read at every step.
TEST_F(CommandTest, SettingThatIsNotANumberIsNamedOnceOnStandardError) {
  copyExampleStudy();
  std::ofstream(at("study/settings.txt"), std::ios::app) << "MigrationRate = \x01"
                                                            "0.2\n";
  // Without genetics: after 10 generations the example's samples are not reached.
  const RunResult r = run("--quiet --seed 1 --set EndTime=10 --no-genetics study/settings.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string warning =
      "the value '\x01"
      "0.2' of MigrationRate is not a number: it reads as 0";
  EXPECT_EQ(r.err, "WARNING: settings file: " + warning + "\n");
  const std::string logged = "\tWARNING: " + warning + "\n";
  EXPECT_NE(log().find(logged), std::string::npos) << log();
  EXPECT_EQ(log().find(logged), log().rfind(logged));
}

}  // namespace
