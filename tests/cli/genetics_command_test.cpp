// The genetic step of the orvantis command: "Do simulations !" after the demography when the
// settings name a sample file and a genetic parameters file, its options, output names, summary
// and exit status; and the genetics subcommand over a saved demography.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/command_fixture.h"
#include "world/output/bmp_reader.h"

namespace {

namespace fs = std::filesystem;
using orvantis::testing::CommandTest;
using orvantis::testing::contains;
using orvantis::testing::RunResult;

class GeneticsCommandTest : public CommandTest {
 protected:
  GeneticsCommandTest() { copyExampleStudy(); }

  std::string output(const std::string& name) {
    return dir_.read("study/GeneticsOutput/settings_samples" + name);
  }
  std::pair<int, int> bitmapSize(const std::string& path) {
    const auto bmp = orvantis::testing::readBmp(at(path).string());
    return {bmp.width, bmp.height};
  }
};

// The whole example study: its demography with the maps asked for, then its genetics.
TEST_F(GeneticsCommandTest, TheExampleStudyRunsItsGeneticSimulationsAfterTheDemography) {
  const RunResult r = run("--seed 12345 --coal-temporal --every 400 --legend study/settings.txt");
  ASSERT_EQ(r.status, 0) << r.err << log();
  EXPECT_TRUE(contains(log(), "Random generator initialized with lidum=-12345\n"));
  EXPECT_TRUE(contains(log(), "Printing demographic report... \n"));
  EXPECT_TRUE(contains(r.out, "World: 100 x 80 cells, 4684 active\n")) << r.out;
  for (const char* file : {"bmp/density_g400.bmp", "bmp/occupation_g1000.bmp", "bmp/legend.bmp",
                           "ascii/density_g800.asc", "places_output.txt"}) {
    EXPECT_TRUE(fs::exists(at("study") / file)) << file;
  }
  EXPECT_FALSE(fs::exists(at("study/bmp/density_g500.bmp")));
  EXPECT_FALSE(fs::exists(at("study/GeneticsOutput/settings_samples_summary_stats.tsv")))
      << "statistics only with --summary-stats";
  EXPECT_TRUE(contains(r.out, "create folder GeneticsOutput/ ?\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "Genetic simulations: 10 of 10 completed, 0 failed, in ")) << r.out;
  const std::string directory = (at("study") / "GeneticsOutput").string() + "/";
  EXPECT_TRUE(contains(r.out, "Genetic outputs in " + directory + " (run settings_samples)\n"))
      << r.out;
  EXPECT_LT(r.out.find("Outputs in "), r.out.find("Genetic simulations: ")) << r.out;
  for (const char* file : {"_1.arp", "_10.arp", "_projects.txt", "_results.txt", ".bat", ".coal",
                           "_true_trees.trees", "_mut_trees.trees", "_sim10_chrom1.pau",
                           "_tree_sim1_chrom1.tri", "_TotNumCoal.bmp", "_TotMRCADensity.bmp"}) {
    EXPECT_FALSE(output(file).empty()) << file;
  }
  // The ancient sample joins at its date: its genes' branches are 300 generations shorter.
  EXPECT_TRUE(contains(output("_1.arp"), "\t\tSampleName=\"Ancient\"\n\t\tSampleSize=20\n"));
  EXPECT_TRUE(contains(output("_results.txt"), "\nData type : STANDARD\n"));

  // --no-genetics stops after the demography.
  fs::remove_all(at("study/GeneticsOutput"));
  const RunResult skipped =
      run("--quiet --seed 1 --no-genetics --set EndTime=50 study/settings.txt");
  ASSERT_EQ(skipped.status, 0) << skipped.err;
  EXPECT_TRUE(contains(skipped.out, "Genetic simulations: skipped (--no-genetics)\n"))
      << skipped.out;
  EXPECT_FALSE(fs::exists(at("study/GeneticsOutput")));
}

TEST_F(GeneticsCommandTest, TheWindowsOptionsBecomeCommandOptions) {
  const RunResult r = run(
      "--quiet --seed 5 --set NumGeneticSimulations=2 --set NexusFile=0 --genetic-bitmaps "
      "--genetic-every 500 --genetic-background density --coal-trees --coal-spatial --coal-zoom 2 "
      "--coal-temporal --set TemporalCoalescenceFile=0 study/settings.txt");
  ASSERT_EQ(r.status, 0) << r.err << log();
  // Snapshots at EndTime and every 500 generations back, of the first population's density.
  for (const char* file :
       {"bmp/genetic_g1000_P1.bmp", "bmp/genetic_g500_P1.bmp", "bmp/genetic_g0_P1.bmp"}) {
    EXPECT_TRUE(fs::exists(at("study") / file)) << file;
  }
  EXPECT_FALSE(fs::exists(at("study/bmp/genetic_g900_P1.bmp")));
  EXPECT_TRUE(contains(log(), "TIME: 500 Pop 0\n"));
  EXPECT_EQ(bitmapSize("study/bmp/genetic_g500_P1.bmp"), std::make_pair(200, 160));
  // The coalescence trees at the zoom asked for, the maps of every genealogy at 3 pixels a cell.
  EXPECT_EQ(bitmapSize("study/GeneticsOutput/settings_samples_CoalTree_2.bmp"),
            std::make_pair(200, 160));
  EXPECT_EQ(bitmapSize("study/GeneticsOutput/settings_samples_NumCoal_sim2_chrom1.bmp"),
            std::make_pair(300, 240));
  // --coal-temporal needs TemporalCoalescenceFile as well: no file, and a note says so.
  EXPECT_FALSE(fs::exists(at("study/GeneticsOutput/settings_samples.coal")));
  EXPECT_TRUE(contains(r.out,
                       "Note: --coal-temporal writes no file while "
                       "TemporalCoalescenceFile is 0\n"))
      << r.out;

  for (const char* bad : {"--coal-zoom 7", "--coal-zoom 0", "--genetic-every 0",
                          "--genetic-background shade", "--genetic-population 3"}) {
    EXPECT_EQ(run(std::string(bad) + " study/settings.txt").status, 2) << bad;
  }
}

TEST_F(GeneticsCommandTest, ExitStatusSaysWhetherTheGeneticStepRan) {
  // Unusable inputs stop the genetic step as a whole.
  const RunResult missing =
      run("--quiet --seed 1 --set EndTime=50 --set SampleFile=missing.sam study/settings.txt");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(contains(missing.out,
                       "Genetic simulations not run: the sample file 'missing.sam' "
                       "was not used"))
      << missing.out;
  EXPECT_TRUE(contains(missing.err, "ERROR: genetic simulations not run: the sample file"))
      << missing.err;
  EXPECT_TRUE(contains(missing.out, "World: 100 x 80 cells")) << "the demography's summary stays";

  // Genealogies that cannot be finished are counted; the step still ran.
  const RunResult failing =
      run("--quiet --seed 1 --set NumGeneticSimulations=2 --set NexusFile=0 "
          "--set MaxNumGenerations=900 study/settings.txt");
  EXPECT_EQ(failing.status, 0) << failing.err;
  EXPECT_TRUE(contains(failing.out,
                       "Genetic simulations: 0 of 2 completed, 2 failed (genealogies "
                       "that could not be finished: see the log), in "))
      << failing.out;
  EXPECT_TRUE(contains(output("_2.arp"), "[[Structure]]"));

  // A sample file without its genetic parameters file: nothing to simulate, said so.
  const RunResult half =
      run("--quiet --seed 1 --set EndTime=50 --set GeneticFile= study/settings.txt");
  EXPECT_EQ(half.status, 0);
  EXPECT_TRUE(contains(half.out,
                       "Genetic simulations: none, the settings name a sample file but "
                       "no genetic parameters file (GeneticFile)\n"))
      << half.out;
}

TEST_F(GeneticsCommandTest, TheGeneticsSubcommandRefusesWhatItCannotUse) {
  const std::string settings = " --set NumGeneticSimulations=2 --set NexusFile=0";
  ASSERT_EQ(run("--quiet --seed 9 --no-genetics --save-demography saved.demography" + settings +
                " study/settings.txt")
                .status,
            0)
      << log();
  // (Genetics over a saved demography that the settings describe: the database tests.) Rows of
  // a saved demography damaged on disk cannot be decoded: the walk stops there and the series
  // with it.
  const std::string bytes = dir_.read("saved.demography");
  std::string damagedBytes = bytes;
  for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 2000; ++i) damagedBytes[i] ^= 0x5a;
  dir_.write("damaged.demography", damagedBytes);
  const RunResult damaged = run("genetics --quiet --seed 9 --demography damaged.demography" +
                                settings + " study/settings.txt");
  EXPECT_EQ(damaged.status, 1);
  EXPECT_TRUE(contains(damaged.err,
                       "ERROR: genetic simulations stopped: the stored demography "
                       "cannot be read"))
      << damaged.err;
  EXPECT_TRUE(contains(log(), "[the stored demography of generation ")) << log();

  // Settings that do not describe the saved world, a truncated file, no --demography.
  const RunResult other = run("genetics --demography saved.demography --set EndTime=100 " +
                              settings + " study/settings.txt");
  EXPECT_EQ(other.status, 1);
  EXPECT_TRUE(contains(log(), "\tEndTime: 1000 in the saved demography, 100 in these settings\n"))
      << log();
  EXPECT_TRUE(contains(other.err,
                       "ERROR: saved demography: These settings do not describe the "
                       "world of the saved demography "));
  dir_.write("cut.demography", bytes.substr(0, bytes.size() - 10));
  const RunResult cut = run("genetics --demography cut.demography study/settings.txt");
  EXPECT_EQ(cut.status, 1);
  EXPECT_TRUE(contains(cut.err, "it is truncated: it holds " + std::to_string(bytes.size() - 10) +
                                    " bytes instead of " + std::to_string(bytes.size())))
      << cut.err;
  EXPECT_EQ(run("genetics study/settings.txt").status, 2) << "--demography is required";

  // Without the genetic files the subcommand has nothing to do.
  const RunResult none =
      run("genetics --quiet --demography saved.demography --set SampleFile= "
          "study/settings.txt");
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(contains(none.err,
                       "ERROR: genetics: Nothing to simulate: the settings name a "
                       "genetic parameters file but no sample file (SampleFile)."))
      << none.err;
}

}  // namespace
