// Whole series of genetic simulations through SimulateGeneticData: the checks before the first
// simulation, the files of a run and their names, failed genealogies, and a project file
// compared with a hand-checked one.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "coalescent/deme_collection.h"
#include "coalescent/driver_series.h"
#include "driver_fixture.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

using testing::countOccurrences;
using testing::DriverTest;
using testing::textContains;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Two cells in a row: the source's (row 0, column 0) and its neighbour, colonised from the
// source at generation 1, whose lineages join the source at generation 0.
class SmallRunTest : public DriverTest {
 protected:
  void twoCellWorld(int endTime = 5, int size = 30) {
    buildWorld({"1 1"}, endTime);
    setSize(0, 0, size);
    setSize(0, 1, size, 0, 1);
    setArrivals(0, 1, FromSide::West, size, 0, 1, 1);
    addSource("Origin", 0, 0);
  }
};

TEST_F(SmallRunTest, AWholeProjectFileOfASmallFixedSeedRun) {
  // Three samples, two of them in the source's deme: genes are numbered within their deme.
  twoCellWorld();
  writeSamples(
      {sampleAt("pop1", 2, 0, 0, 0), sampleAt("pop2", 3, 0, 0, 1), sampleAt("pop3", 1, 0, 0, 0)});
  writeParameters(
      "1\n#chromosome 1\n2\nDNA 3 0 0.05 0.25 0.25 0.25 0.25 1 1 1 1 1 1\n"
      "MICROSAT 2 0 0.04 0 10\n");
  const TGeneticRunReport report = simulate();
  ASSERT_EQ(report.status, TGeneticRunStatus::Completed) << report.problem << log.str();
  EXPECT_EQ(report.completed, 2);
  const std::string expected =
      readFile(std::string(ORVANTIS_SOURCE_DIR) + "/tests/coalescent/data/small_run_1.arp");
  EXPECT_EQ(output("_1.arp"), expected);
  EXPECT_EQ(output("_projects.txt"), "settings_samples_1.arp\nsettings_samples_2.arp\n");
  // The second simulation starts from the demes' samples again: same frame, its own data.
  const std::string second = output("_2.arp");
  EXPECT_EQ(countOccurrences(second, "SampleData= {"), 3);
  EXPECT_EQ(DriverTest::geneData(second).size(), 6u);
  EXPECT_EQ(world->settings().intParameter(IntParam::NumIndeLoci), 1);
  EXPECT_EQ(world->settings().intParameter(IntParam::NumLinkedLoci), 5);
}

TEST_F(SmallRunTest, TheFilesOfARunAndTheirNames) {
  keys["NexusFile"] = "1";
  keys["TemporalCoalescenceFile"] = "1";
  keys["GenealogiesFile"] = "1";
  twoCellWorld();
  writeSamples({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 2, 0, 0, 1)});
  writeParameters("1\n#chromosome 1\n1\nDNA 4 0 0.01 0.25 0.25 0.25 0.25 1 1 1 1 1 1\n");
  TGeneticOptions options;
  options.temporalCoalescence = true;
  options.spatialCoalescence = true;
  options.coalescentTrees = true;
  const TGeneticRunReport report = simulate(options);
  ASSERT_EQ(report.status, TGeneticRunStatus::Completed) << report.problem << log.str();
  EXPECT_EQ(console.str(), "create folder " + report.names.outputDirectory + " ?\n");
  for (const std::string suffix :
       {"_1.arp", "_2.arp", "_projects.txt", "_results.txt", ".bat", ".coal", "_true_trees.trees",
        "_mut_trees.trees", "_sim1_chrom1.pau", "_sim2_chrom1.pau", "_tree_sim1_chrom1.tri",
        "_tree_sim2_chrom1.tri", "_NumCoal_sim1_chrom1.bmp", "_NumCoal_sim2_chrom1.bmp",
        "_CoalTree_1.bmp", "_CoalTree_2.bmp", "_TotNumCoal.bmp", "_TotMRCADensity.bmp"}) {
    EXPECT_TRUE(outputExists(suffix)) << suffix;
  }
  const std::string base = report.names.baseName;
  EXPECT_EQ(output(".bat"),
            "paup " + base + "_sim1_chrom1.pau\npaup " + base + "_sim2_chrom1.pau\n");
  // Every locus of every simulation has its tree in both tree files, in simulation order.
  const std::string trueTrees = output("_true_trees.trees");
  EXPECT_EQ(countOccurrences(trueTrees, "\ttree Num_generations_simul_"), 8);
  EXPECT_LT(trueTrees.find("simul_1_chrom_1_Loc_3"), trueTrees.find("simul_2_chrom_1_Loc_0"));
  EXPECT_EQ(countOccurrences(output("_mut_trees.trees"), "\ttree Num_mutations_simul_"), 8);
  EXPECT_PRED_FORMAT2(textContains, trueTrees, " +- ");
  EXPECT_PRED_FORMAT2(textContains, output("_results.txt"), "\nFinal results\n=============\n");
  EXPECT_PRED_FORMAT2(textContains, output("_results.txt"),
                      "\nData type : DNA\nNo heterogeneity of mutation rates\nNumber of loci : 4");
}

TEST_F(SmallRunTest, TwoChromosomesWriteNoFinalResults) {
  twoCellWorld();
  writeSamples({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 2, 0, 0, 1)});
  writeParameters("2\n#chromosome 1\n1\nMICROSAT 2 0 0.01 0 0\n#chromosome 2\n1\nRFLP 3 0 0.01\n");
  const TGeneticRunReport report = simulate();
  ASSERT_EQ(report.status, TGeneticRunStatus::Completed) << report.problem << log.str();
  ASSERT_EQ(report.failed, 0) << log.str();
  EXPECT_FALSE(outputExists("_results.txt"));
  EXPECT_FALSE(outputExists("_true_trees.trees"));
  EXPECT_FALSE(outputExists("_sim1_chrom1.pau"));
  const std::string project = output("_2.arp");
  EXPECT_PRED_FORMAT2(textContains, project, "\n#Chromosome no 2\n");
  EXPECT_PRED_FORMAT2(textContains, project, "\tDataType=STANDARD\n");
  // Each data line holds both chromosomes: two microsatellites and three RFLP states.
  for (const std::string& gene : DriverTest::geneData(project)) {
    std::istringstream fields(gene);
    std::string first, second, third, rflp;
    fields >> first >> second >> rflp;
    EXPECT_EQ(first.size(), 3u) << gene;
    EXPECT_EQ(rflp.size(), 3u) << gene;
  }
  EXPECT_EQ(world->settings().intParameter(IntParam::NumIndeLoci), 2);
}

TEST_F(SmallRunTest, ChecksBeforeTheFirstSimulation) {
  twoCellWorld();
  writeSamples({sampleAt("a", 2, 0, 0, 0)});
  writeParameters("1\n#chromosome 1\n1\nRFLP 3 0 0.01\n");
  // Sizes written by hand but no run finished: the database holds no demography yet.
  collection = std::make_unique<TDemeCollection>(*world, log, window, context.random);
  TGeneticRunReport report = SimulateGeneticData(*world, TGeneticRunInputs(), *collection);
  EXPECT_EQ(report.status, TGeneticRunStatus::NotRun);
  EXPECT_PRED_FORMAT2(textContains, log.str(), "[no stored demography: build the world and run ");
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].caption, "ERROR: genetic simulation");

  // A source starting at generation 10.
  world->sources()[0].expansionTime = 10;
  report = simulate();
  EXPECT_EQ(report.result, 0);
  EXPECT_EQ(report.status, TGeneticRunStatus::NotRun);
  EXPECT_PRED_FORMAT2(textContains, log.str(),
                      "****ERROR: Population source Origin must start at generation 0! Genetic "
                      "simulation aborted!\n");
  EXPECT_FALSE(outputExists("_1.arp"));
  world->sources()[0].expansionTime = 0;

  // No chromosome or no simulation: nothing simulated, result 1.
  writeParameters("0\n");
  report = simulate();
  EXPECT_EQ(report.result, 1);
  EXPECT_EQ(report.status, TGeneticRunStatus::NotRun);
  EXPECT_PRED_FORMAT2(textContains, log.str(),
                      "****ERROR:{World::SimulateGeneticData()} [Number of chromosome < 1!]\n");
  writeParameters("1\n#chromosome 1\n1\nRFLP 3 0 0.01\n");
  setting("NumGeneticSimulations", "0");
  report = simulate();
  EXPECT_EQ(report.status, TGeneticRunStatus::NotRun);
  EXPECT_EQ(report.problem, "NumGeneticSimulations must be at least 1");

  // No source in the first population.
  buildWorld({"1 1"}, 5, 2);
  addSource("First", 0, 0);
  report = simulate();
  EXPECT_EQ(report.result, 0);
  EXPECT_PRED_FORMAT2(textContains, log.str(),
                      "****ERROR: At least one population source must be located in layer 1! "
                      "Genetic simulation aborted!\n");
}

TEST_F(SmallRunTest, AFailedGenealogyIsCountedAndItsProjectFileCompleted) {
  // Two genes in a deme of 2 walked for at most 3 generations: about one genealogy in eight
  // does not reach its common ancestor.
  keys["MaxNumGenerations"] = "4";
  keys["NumGeneticSimulations"] = "24";
  keys["TemporalCoalescenceFile"] = "1";
  oneCellWorld(2, 10);
  writeSamples({sampleAt("a", 2, 0, 0, 0)});
  writeParameters("1\n#chromosome 1\n1\nMICROSAT 2 0 0.01 0 0\n");
  TGeneticOptions options;
  options.temporalCoalescence = true;
  const TGeneticRunReport report = simulate(options);
  ASSERT_EQ(report.status, TGeneticRunStatus::Completed) << report.problem;
  ASSERT_GT(report.failed, 0) << "choose another seed";
  ASSERT_GT(report.completed, 0);
  EXPECT_EQ(report.completed + report.failed, 24);
  const std::string coal = output(".coal");
  EXPECT_EQ(countOccurrences(coal, "_Chrom_1 "), report.completed);
  // Every simulation's project file is complete; a failed one has no data after the labels.
  int withoutData = 0;
  for (int s = 1; s <= 24; ++s) {
    const std::string project = output("_" + std::to_string(s) + ".arp");
    EXPECT_EQ(project.substr(project.size() - 4), "\n\t}\n") << s;
    const bool simulated = coal.find("Sim_" + std::to_string(s) + "_Chrom_1 ") != std::string::npos;
    const std::vector<std::string> genes = DriverTest::geneData(project);
    ASSERT_EQ(genes.size(), 2u);
    if (!simulated) {
      EXPECT_EQ(genes[0], "") << s;
      ++withoutData;
    }
  }
  EXPECT_EQ(withoutData, report.failed);
  // The final results average the genealogies that entered.
  EXPECT_PRED_FORMAT2(textContains, output("_results.txt"),
                      "Mean coalescence times within and among demes over " +
                          std::to_string(report.completed) + " random samples\n");
}

TEST_F(SmallRunTest, SeriesMergedFromResultsWritesWhatTheDirectRunWrites) {
  // The per-simulation function and the merge, driven by hand, give the same files as
  // SimulateGeneticData; the totals of the series are those the collection counted itself.
  keys["NexusFile"] = "1";
  keys["NumGeneticSimulations"] = "3";
  twoCellWorld(8, 20);
  writeSamples({sampleAt("a", 3, 0, 0, 0), sampleAt("b", 3, 0, 0, 1)});
  writeParameters("1\n#chromosome 1\n1\nDNA 5 0 0.01 0.25 0.25 0.25 0.25 1 2 1 1 2 1\n");
  context.random.initialize_ran3(-7);
  ASSERT_EQ(simulate().status, TGeneticRunStatus::Completed);
  const std::string direct =
      output("_true_trees.trees") + output("_3.arp") + output("_results.txt");

  context.random.initialize_ran3(-7);
  collection = std::make_unique<TDemeCollection>(*world, log, window, context.random);
  TGeneticRunInputs inputs;
  TGeneticSeries series(*world, inputs, *collection);
  ASSERT_TRUE(series.setUp());
  for (int s = 1; s <= 3; ++s) {
    const TSimulationResult result = simulateGenetics(series.plan(), *collection, s);
    EXPECT_TRUE(result.finished);
    ASSERT_TRUE(series.merge(result));
  }
  EXPECT_EQ(series.coalescenceTotals(), collection->coalescencesPerCellCumulated());
  series.finish();
  EXPECT_EQ(series.report().status, TGeneticRunStatus::Completed);
  EXPECT_EQ(output("_true_trees.trees") + output("_3.arp") + output("_results.txt"), direct);
}

}  // namespace
}  // namespace orvantis
