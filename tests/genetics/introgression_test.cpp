#include "genetics/introgression.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "coalescent/genetic_parameters.h"
#include "genetics/sampled_genealogy.h"
#include "settings/population_sources.h"

namespace orvantis {
namespace {

using testing::coalesce;
using testing::makeTips;

PopulationSource source(int layer, int start, int cellIndex) {
  PopulationSource s;
  s.layer = layer;
  s.expansionTime = start;
  s.cellIndex = cellIndex;
  return s;
}

class IntrogressionTest : public ::testing::Test {
 protected:
  // The second population's source starts at generation 5 in cell 3, so generation 4 decides.
  //   tips 1, 2: deme 0 (cell 3, P2), tip 1 moved within cell 3 at generation 5; they
  //              coalesce in cell 3 among the first population at generation 4 (node a);
  //   tip 3:     deme 1 (cell 2, P2), stays in cell 2 (at generation 4 in the first population);
  //   tip 4:     deme 2, an ancient gene sampled at generation 4 in cell 3, first population.
  // a and tip 3 meet at generation 1 (b), b and tip 4 at generation 0 (root).
  void SetUp() override {
    makeTips(tree, {{3, 1, 0}, {3, 1, 0}, {2, 1, 1}, {3, 0, 2, 7}}, 1, 10, 2);
    step(0, 3, 5, 1);
    step(2, 2, 4, 0);
    step(2, 2, 2, 0);
    tree.node(3).clearLocations();
    step(3, 3, 4, 0);
    a = coalesce(tree, 0, 1, 7, 3, 4, 0);
    b = coalesce(tree, a, 2, 10, 2, 1, 0);
    root = coalesce(tree, b, 3, 11, 2, 0, 0);
    sources.add(source(0, 0, 9));
    sources.add(source(1, 5, 3));
    ASSERT_EQ(table.create(3, 2, 1, log), 1);
  }
  void step(TNodeRef r, int cell, int generation, int pop) {
    ASSERT_EQ(tree.Store_Node_Migration(r, cell, generation, pop), 1);
  }
  std::vector<float> entries(int simulation) const {
    std::vector<float> values;
    for (int k = 0; k <= 3; ++k) values.push_back(table.at(k, simulation, 0));
    return values;
  }

  std::ostringstream log;
  TTree tree{log};
  PopulationVector sources;
  TProportionTable table;
  TNodeRef a = kNoNode, b = kNoNode, root = kNoNode;
};

TEST_F(IntrogressionTest, CommonAncestorsOfTheSampledDemes) {
  EXPECT_EQ(findSampleMrcaNode(tree, 3, 1), a);
  // A single tip: the first node above it with the largest first generation.
  EXPECT_EQ(findSampleMrcaNode(tree, 2, 1), b);
  EXPECT_EQ(findSampleMrcaNode(tree, 3, 0), root);
  EXPECT_EQ(FindSampleMRCA(tree, 3, 1, log), tree.node(a).nodeNo);
  EXPECT_EQ(FindSampleMRCA(tree, 8, 0, log), -1);  // no gene sampled there
  // Genes of two demes share only b and the root; b is the younger.
  tree.node(2).sampleCell = 3;
  EXPECT_EQ(findSampleMrcaNode(tree, 3, 1), b);
  tree.node(2).sampleCell = 2;
  // Between ancestors of the same first generation the lower one; else the one recorded latest.
  tree.node(root).locTime[0] = 1;
  EXPECT_EQ(findSampleMrcaNode(tree, 2, 1), b);
  tree.node(b).locTime[0] = -1;
  EXPECT_EQ(findSampleMrcaNode(tree, 2, 1), root);
}

TEST_F(IntrogressionTest, LineagesThatWereInTheSourceCellBeforeTheSourceStarted) {
  ASSERT_EQ(LineagesProportionInSamples(tree, sources, 1, 0, table, log), 1);
  // Tips 1 and 2 reach generation 4 in node a, in cell 3 among the first population, coming from
  // cell 3; tip 3 is in cell 2; the ancient tip 4 starts at generation 4 without a step before.
  EXPECT_EQ(entries(1), (std::vector<float>{0.5f, 1.0f, 0.0f, 0.0f}));
  EXPECT_EQ(entries(0), std::vector<float>(4, TProportionTable::kUnset));
  EXPECT_EQ(log.str(), "");
}

TEST_F(IntrogressionTest, ARootInTheSecondPopulationCountsEveryLineage) {
  tree.node(root).locPop[0] = 1;
  ASSERT_EQ(LineagesProportionInSamples(tree, sources, 0, 0, table, log), 1);
  // The ancient tip's deme has the root as its common ancestor and counts whole as well.
  EXPECT_EQ(entries(0), (std::vector<float>{1.0f, 1.0f, 0.0f, 1.0f}));
}

TEST_F(IntrogressionTest, TheLastSourceStartingAfterZeroGivesTheGenerationAndNoneIsAnError) {
  // Starting at 2, generation 1 would decide: nothing was in the source cell then.
  sources.add(source(1, 2, 3));
  sources.add(source(0, 0, 4));
  ASSERT_EQ(LineagesProportionInSamples(tree, sources, 0, 0, table, log), 1);
  EXPECT_EQ(table.at(0, 0, 0), 0.0f);
  PopulationVector atZero;
  atZero.add(source(0, 0, 9));
  atZero.add(source(1, 0, 3));
  EXPECT_EQ(LineagesProportionInSamples(tree, atZero, 1, 0, table, log), 0);
  EXPECT_EQ(log.str(),
            "ERROR WHEN COMPUTING INTROGRESSION: expansion time of layer 2 must be > 0 !\n");
  EXPECT_EQ(entries(1), std::vector<float>(4, TProportionTable::kUnset));
}

class ProportionFileTest : public testing::SampledGenealogyTest {};

TEST_F(ProportionFileTest, DemeLabelsProportionsAndTheRecombinationNotice) {
  buildWorld({"1 1 1"});
  for (int c = 0; c < 3; ++c) setSize(0, c, 30);
  auto collection = collectionWith(
      {sampleAt("North", 2, 0, 0, 0), sampleAt("South", 1, 0, 0, 2), sampleAt("N2", 1, 0, 0, 0)},
      1);
  writeParameters(
      "3\n#chromosome 1\n1\nDNA 4 0 0.001\n#chromosome 2\n1\nDNA 4 0.01 0.001\n"
      "#chromosome 3\n2\nDNA 2 0 0.001\nMICROSAT 2 0 0.0005 0 0\n");
  TGeneticParameters parameters;
  parameters.setNumChromosomes(3);
  for (int c = 0; c < 3; ++c) {
    ASSERT_EQ(parameters.readChromosome(keys["GeneticFile"], c, log), 1) << log.str();
  }
  TProportionTable table;
  ASSERT_EQ(table.create(2, 2, 3, log), 1);
  table.set(1, 1, 0, 0.25f);
  table.set(2, 1, 0, 1.0f);
  table.set(1, 0, 0, 0.5f);
  std::ostringstream out;
  writeProportionText(out, 1, *collection, parameters, table);
  EXPECT_EQ(out.str(),
            "Proportion of lineages sampled in P2 which derived from the P2 source population\n"
            "#Chrom\tNorth\tSouth\t\n"
            "Chrom_1\t0.25\t1\t\n"
            "Chrom_2 Not available with recombination!\n"
            "Chrom_3 Not available with recombination!\n");
  out.str("");
  writeProportionText(out, 0, *collection, parameters, table);
  EXPECT_NE(out.str().find("Chrom_1\t0.5\t999999\t\n"), std::string::npos);

  ASSERT_EQ(writeProportionFile(0, dir.path("run_pop"), *collection, parameters, table, log), 1);
  EXPECT_EQ(dir.read("run_pop_Proportion_1.prop"), out.str());
}

}  // namespace
}  // namespace orvantis
