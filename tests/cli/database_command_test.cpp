// The demographic database's options of the orvantis command: --database and --memory-limit;
// the genetic outputs over memory, compressed and saved databases (the other checks of
// --save-demography are with the genetics subcommand).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "cli/command_fixture.h"

namespace {

namespace fs = std::filesystem;
using orvantis::testing::CommandTest;
using orvantis::testing::filesUnder;
using orvantis::testing::RunResult;
using orvantis::testing::withoutDurations;

class DatabaseCommandTest : public CommandTest {
 protected:
  DatabaseCommandTest() { copyExampleStudy(); }
};

// The example study under another model or with a second population: the example's settings
// file with lines appended (a later line of a key replaces an earlier one).
struct GeneticStudy {
  const char* name;
  const char* lines;
};

class SameGeneticsTest : public DatabaseCommandTest,
                         public ::testing::WithParamInterface<GeneticStudy> {
 protected:
  SameGeneticsTest() {
    // The second population starts at the first's source 100 generations later.
    dir_.write("study/two_sources.txt",
               "2\nOrigin 50 215.0 585.0 0 0 0 0 0 0\nLate 30 215.0 585.0 0 0 0 0 1 100\n");
    dir_.write("study/two_samples.sam",
               "4\nOrigin 8 0 215.0 585.0\nCentre 8 0 435.0 505.0\nAncient 6 0 335.0 705.0 "
               "700\nLateOrigin 8 1 215.0 585.0\n");
    dir_.write("study/variant.txt",
               dir_.read("study/settings.txt") + "\nNumGeneticSimulations=2\n" + GetParam().lines);
  }

  // The files of study/GeneticsOutput but the manifest (it records the command line and
  // durations) and the log from the start of the genetic simulations, durations masked; the files
  // are then removed for the next run.
  std::map<std::string, std::string> takeGenetics() {
    auto files = filesUnder(at("study/GeneticsOutput"));
    std::erase_if(files, [](const auto& file) { return file.first.ends_with("_manifest.json"); });
    fs::remove_all(at("study/GeneticsOutput"));
    const std::string text = withoutDurations(log());
    const auto start = text.find("Starting Coalescent simulation\n");
    files["log"] = start == std::string::npos ? "no genetic simulations" : text.substr(start);
    return files;
  }
};

TEST_P(SameGeneticsTest, MemoryCompressedAndSavedDemographiesGiveTheSameGenetics) {
  const std::string study = " --quiet --coal-temporal study/variant.txt";
  const RunResult plain =
      run("--seed 42 --database memory --save-demography memory.demography" + study);
  ASSERT_EQ(plain.status, 0) << plain.err << log();
  const auto expected = takeGenetics();
  EXPECT_EQ(expected.count("variant_samples_2.arp") + expected.count("variant_two_samples_2.arp"),
            1u);
  EXPECT_EQ(expected.count("variant_two_samples_Proportion_1.prop"),
            std::string(GetParam().name).starts_with("TwoPopulations") ? 1u : 0u);
  EXPECT_NE(expected.at("log").find("... Done! (Duration of SimulateGeneticData function : #"),
            std::string::npos);

  const RunResult packed =
      run("--seed 42 --database compressed --save-demography compressed.demography" + study);
  ASSERT_EQ(packed.status, 0) << packed.err << log();
  EXPECT_NE(packed.out.find("Database: compressed, "), std::string::npos) << packed.out;
  EXPECT_EQ(takeGenetics(), expected);

  for (const char* saved : {"memory.demography", "compressed.demography"}) {
    SCOPED_TRACE(saved);
    const RunResult r = run(std::string("genetics --seed 42 --demography ") + saved + study);
    ASSERT_EQ(r.status, 0) << r.err << log();
    EXPECT_NE(r.out.find("The settings describe the world of the saved demography.\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("Random sequence: seed 42, continued from the end of the saved "
                         "demography's simulation\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(log().find("Random generator: the sequence of seed 42 goes on from the end of the "
                         "demographic simulation\n"),
              std::string::npos);
    EXPECT_EQ(takeGenetics(), expected);
  }

  // Another seed draws other genealogies over the same demography.
  const RunResult other = run("genetics --seed 43 --demography memory.demography" + study);
  ASSERT_EQ(other.status, 0) << other.err << log();
  EXPECT_NE(other.out.find("Random sequence: seed 43, new (--seed 42 continues the sequence of "
                           "the run that saved the demography)\n"),
            std::string::npos)
      << other.out;
  EXPECT_NE(takeGenetics(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Studies, SameGeneticsTest,
    ::testing::Values(GeneticStudy{"EvenMigrants", ""},
                      GeneticStudy{"StochasticMigrants", "ChosenDemographicModel=3\n"},
                      GeneticStudy{"TwoPopulationsWithAssimilation",
                                   "DoublePopulationMode=1\nChosenDemographicModel=21\n"
                                   "Veg2K_P2_File=veg2k.txt\nVeg2F_P2_File=veg2f.txt\n"
                                   "GrowthRate_P2=0.4\nMigrationRate_P2=0.2\n"
                                   "MigrRate_P1_to_P2=0.05\nMigrRate_P2_to_P1=0.05\n"
                                   "PopDensityFile=two_sources.txt\n"
                                   "SampleFile=two_samples.sam\nPropFile=1\n"}),
    [](const ::testing::TestParamInfo<GeneticStudy>& info) {
      return std::string(info.param.name);
    });

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
