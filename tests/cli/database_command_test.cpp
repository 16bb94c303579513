// The demographic database's options of the orvantis command: --database and --memory-limit
// (--save-demography is tested with the genetics subcommand).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "cli/command_fixture.h"

namespace {

namespace fs = std::filesystem;
using orvantis::testing::CommandTest;
using orvantis::testing::RunResult;
using orvantis::testing::withoutDurations;

constexpr const char* kStudy =
    " --quiet --seed 42 --set EndTime=120 --set ChosenDemographicModel=3 --every 60 "
    "study/settings.txt";

class DatabaseCommandTest : public CommandTest {
 protected:
  DatabaseCommandTest() { copyExampleStudy(); }

  // Every map, the times of arrival and the genetic outputs the study wrote, by name; then
  // removed for the next run. The run manifest records the command line and durations, which
  // differ by design.
  std::map<std::string, std::string> takeOutputs() {
    std::map<std::string, std::string> files;
    for (const char* folder : {"study/ascii", "study/bmp", "study/GeneticsOutput"}) {
      for (const auto& entry : fs::directory_iterator(at(folder))) {
        if (entry.path().filename().string().ends_with("_manifest.json")) continue;
        files[entry.path().filename().string()] =
            dir_.read(std::string(folder) + "/" + entry.path().filename().string());
      }
      fs::remove_all(at(folder));
    }
    files["places_output.txt"] = dir_.read("study/places_output.txt");
    return files;
  }
  // The log without durations and without the lines that name the database's storage.
  std::string comparableLog() {
    std::string text = withoutDurations(log());
    for (const char* line : {"\tDemographic database: ", "Demography saved to "}) {
      const auto at = text.find(line);
      if (at != std::string::npos) text.erase(at, text.find('\n', at) + 1 - at);
    }
    return text;
  }
};

TEST_F(DatabaseCommandTest, TheCompressedDatabaseGivesTheSameStudy) {
  const RunResult plain = run(std::string("--database memory") + kStudy);
  ASSERT_EQ(plain.status, 0) << plain.err << log();
  EXPECT_NE(plain.out.find("Database: in memory, "), std::string::npos) << plain.out;
  const std::string plainLog = comparableLog();
  const auto plainOutputs = takeOutputs();

  const RunResult packed = run(std::string("--database compressed") + kStudy);
  ASSERT_EQ(packed.status, 0) << packed.err << log();
  EXPECT_NE(packed.out.find("Database: compressed, "), std::string::npos) << packed.out;
  EXPECT_NE(log().find("\tDemographic database: "), std::string::npos);
  EXPECT_EQ(comparableLog(), plainLog);
  EXPECT_EQ(takeOutputs(), plainOutputs);

  EXPECT_EQ(run("--database disk study/settings.txt").status, 2);
}

// The example study's compressed database needs some 13 MB of buffers and grows past 14 MiB
// before generation 1000: the run stops with the size check's message.
TEST_F(DatabaseCommandTest, AMemoryLimitRefusesTheDatabaseThatOutgrowsIt) {
  const RunResult r =
      run("--quiet --seed 1 --database compressed --memory-limit 14M "
          "study/settings.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(log().find("ERROR{StateDB::commitGeneration}: [the compressed demographic database "
                       "holds "),
            std::string::npos)
      << log();
  EXPECT_NE(r.err.find("ERROR: memory allocation: Not enough memory for the compressed "
                       "demographic database: it holds "),
            std::string::npos)
      << r.err;
  EXPECT_EQ(log().find("Printing demographic report"), std::string::npos);
}

}  // namespace
