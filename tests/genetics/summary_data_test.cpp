// The states of the sampled genes gathered chromosome after chromosome from the genealogy's
// tips, sample by sample as the project file lists them, and the summary statistics file.

#include "genetics/summary_data.h"

#include <gtest/gtest.h>

#include <sstream>

#include "genetics/summary_file.h"
#include "support/hand_genealogy.h"

namespace orvantis {
namespace {

class SummaryDataTest : public testing::HandGenealogyTest {
 protected:
  // Gene g gets the states `states(g)`.
  template <typename F>
  void setStates(F states) {
    for (TNodeRef g = 0; g < 4; ++g) {
      TNode& gene = tree().node(g);
      gene.data = states(g);
      gene.numSites = static_cast<int>(gene.data.size());
    }
  }

  std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
};

TEST_F(SummaryDataTest, SamplesInSampleFileOrderWithTheirGenesOverAllChromosomes) {
  // Samples a (2 genes) and c (1 gene) share the first deme, b (1 gene) has the second: the tips
  // are a's genes 0 and 1, c's gene 2, b's gene 3.
  startRun({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 1, 0, 0, 2), sampleAt("c", 1, 0, 0, 0)},
           "2\n#chromosome 1\n2\nDNA 2 0 0\nMICROSAT 1 0 0 0 0\n#chromosome 2\n1\nRFLP 1 0 0\n", 2);
  TSummaryDataCollector collector;
  collector.begin(*collection);
  setStates([](int g) { return std::vector<int>{g % 4, 3 - g % 4, g - 2}; });
  collector.addChromosome(*collection);
  startChromosome(1);
  setStates([](int g) { return std::vector<int>{g % 2}; });
  collector.addChromosome(*collection);

  ASSERT_TRUE(collector.complete());
  const TGeneticDataSet& data = collector.data();
  EXPECT_EQ(data.locusTypes, (std::vector<int>{DNA, DNA, MICROSAT, RFLP}));
  ASSERT_EQ(data.samples.size(), 3u);
  EXPECT_EQ(collector.sampleNames(), (std::vector<std::string>{"a", "b", "c"}));
  // Locus-major: a = genes 0 and 1, b = gene 3, c = gene 2.
  EXPECT_EQ(data.samples[0].states, (std::vector<int>{0, 1, 3, 2, -2, -1, 0, 1}));
  EXPECT_EQ(data.samples[1].states, (std::vector<int>{3, 0, 1, 1}));
  EXPECT_EQ(data.samples[2].states, (std::vector<int>{2, 1, 0, 0}));
  EXPECT_TRUE(data.consistent());

  // A gene without states leaves the data incomplete.
  collector.begin(*collection);
  tree().node(1).clearData();
  collector.addChromosome(*collection);
  EXPECT_FALSE(collector.complete());
}

TEST_F(SummaryDataTest, FileWritesRowsInOrderUnderTheColumnsOfAFinishedSimulation) {
  startRun({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 1, 0, 0, 2), sampleAt("c", 1, 0, 0, 0)},
           "1\n#chromosome 1\n1\nDNA 2 0 0\n");
  const std::string path = dir.path("run_summary_stats.tsv");
  TSummaryStatsFile file;
  ASSERT_TRUE(file.open(path));
  // Simulation 1 fails before its chromosome; in simulation 2 sample a holds A and G at its
  // first site, b and c hold A.
  TSummaryDataCollector collector;
  collector.begin(*collection);
  collector.markIncomplete();
  file.add(summarizeSimulation(1, collector));
  collector.begin(*collection);
  setStates([](int g) { return std::vector<int>{g == 1 ? 1 : 0, 0}; });
  collector.addChromosome(*collection);
  file.add(summarizeSimulation(2, collector));
  ASSERT_TRUE(file.close());

  const std::vector<std::string> rows = lines(dir.read("run_summary_stats.tsv"));
  ASSERT_EQ(rows.size(), 3u);
  const std::string header = "simulation\tnhap_a\thapdiv_a\tsegsites_a\tpi_a\ttajimaD_a\tnhap_b\t";
  EXPECT_EQ(rows[0].substr(0, header.size()), header);
  // 4 groups of 5 sequence statistics and 3 pairs of 2.
  std::string na;
  for (int i = 0; i < 26; ++i) na += "\tNA";
  EXPECT_EQ(rows[1], "1" + na);
  // a: 2 haplotypes, H 1, 1 site, pi 1; b and c: one gene each; pooled: A A A G ...
  const std::string start = "2\t2\t1\t1\t1\tNA\t1\tNA\t0\tNA\tNA\t";
  EXPECT_EQ(rows[2].substr(0, start.size()), start);
  // Pairs (a, b), (a, c): half the cross pairs differ; (b, c): none; F_ST needs 2 genes each.
  const std::string end = "\t0.5\tNA\t0.5\tNA\t0\tNA";
  EXPECT_EQ(rows[2].substr(rows[2].size() - end.size()), end);
}

}  // namespace
}  // namespace orvantis
