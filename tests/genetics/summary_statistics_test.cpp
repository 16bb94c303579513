// Summary statistics checked against values worked by hand on tiny data sets (the working is in
// the comments), and the haplotype grouping against a plain comparison of rows.

#include "genetics/summary_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "coalescent/genetic_parameters.h"
#include "genetics/haplotypes.h"
#include "genetics/summary_table.h"

namespace {

using namespace orvantis;

constexpr double kTight = 1e-9;

// A sample from its genes' rows (gene-major, as one reads a data file).
TSampleStates sample(const std::string& name, const std::vector<std::vector<int>>& rows) {
  TSampleStates s;
  s.name = name;
  s.numGenes = static_cast<int>(rows.size());
  const std::size_t loci = rows.empty() ? 0 : rows[0].size();
  for (std::size_t l = 0; l < loci; ++l) {
    for (const auto& row : rows) s.states.push_back(row[l]);
  }
  return s;
}

constexpr int A = 0, G = 1, C = 2, T = 3;

// P1: AAA AAG ACG AAA; P2: TAG TAG AAG.
TGeneticDataSet dnaData() {
  TGeneticDataSet data;
  data.locusTypes = {DNA, DNA, DNA};
  data.samples.push_back(sample("P1", {{A, A, A}, {A, A, G}, {A, C, G}, {A, A, A}}));
  data.samples.push_back(sample("P2", {{T, A, G}, {T, A, G}, {A, A, G}}));
  return data;
}

TEST(SummaryStatistics, DnaSamplesPooledAndPairAgreeWithHandWorkedValues) {
  const TGeneticDataSet data = dnaData();
  ASSERT_TRUE(data.consistent());
  const TSummaryStatistics s = computeSummaryStatistics(data);
  ASSERT_TRUE(s.hasSequences);
  EXPECT_FALSE(s.hasMicrosats);

  // P1: haplotypes AAA x2, AAG, ACG: k = 3, H = 4/3 (1 - 6/16) = 5/6. Sites 2 and 3 vary: S = 2.
  // Differences of the six pairs 1 2 0 1 1 2: pi = 7/6. Tajima's D with a1 = 11/6.
  const TSequenceStatistics& p1 = s.samples[0].sequence;
  EXPECT_EQ(p1.haplotypes, 3);
  EXPECT_NEAR(p1.haplotypeDiversity, 5.0 / 6.0, kTight);
  EXPECT_EQ(p1.segregatingSites, 2);
  EXPECT_NEAR(p1.meanPairwiseDifferences, 7.0 / 6.0, kTight);
  EXPECT_NEAR(p1.tajimaD, 0.591580139899561, 1e-12);

  // P2: TAG x2, AAG: k = 2, H = 3/2 (1 - 5/9) = 2/3, S = 1, pi = 2/3; D needs 4 genes.
  const TSequenceStatistics& p2 = s.samples[1].sequence;
  EXPECT_EQ(p2.haplotypes, 2);
  EXPECT_NEAR(p2.haplotypeDiversity, 2.0 / 3.0, kTight);
  EXPECT_EQ(p2.segregatingSites, 1);
  EXPECT_NEAR(p2.meanPairwiseDifferences, 2.0 / 3.0, kTight);
  EXPECT_TRUE(std::isnan(p2.tajimaD));

  // Pooled: AAA x2, AAG x2, ACG, TAG x2: k = 4, H = 7/6 (1 - 13/49) = 6/7; S = 3; differing
  // pairs per site 5x2 + 6x1 + 2x5 = 26 over 21 pairs.
  const TSequenceStatistics& pooled = s.pooled.sequence;
  EXPECT_EQ(pooled.haplotypes, 4);
  EXPECT_NEAR(pooled.haplotypeDiversity, 6.0 / 7.0, kTight);
  EXPECT_EQ(pooled.segregatingSites, 3);
  EXPECT_NEAR(pooled.meanPairwiseDifferences, 26.0 / 21.0, kTight);
  EXPECT_NEAR(pooled.tajimaD, 0.05031166003792105, 1e-12);

  // Between: per site 12 - 4, 12 - 9, 12 - 6 cross pairs differ: d_xy = 17/12 (and 7 + 2 + 17 =
  // 26 pooled). F_ST = 1 - (7/6 + 2/3) / 2 / (17/12) = 6/17.
  ASSERT_EQ(s.pairs.size(), 1u);
  EXPECT_NEAR(s.pairs[0].meanPairwiseDifferences, 17.0 / 12.0, kTight);
  EXPECT_NEAR(s.pairs[0].fst, 6.0 / 17.0, kTight);
  EXPECT_TRUE(std::isnan(s.pairs[0].rst));
}

// X: locus 1 10 12 12 13, locus 2 5 5 5 5; Y: locus 1 12 14 14, locus 2 5 6 8.
TGeneticDataSet microsatData() {
  TGeneticDataSet data;
  data.locusTypes = {MICROSAT, MICROSAT};
  data.samples.push_back(sample("X", {{10, 5}, {12, 5}, {12, 5}, {13, 5}}));
  data.samples.push_back(sample("Y", {{12, 5}, {14, 6}, {14, 8}}));
  return data;
}

TEST(SummaryStatistics, MicrosatellitesAgreeWithHandWorkedValues) {
  const TSummaryStatistics s = computeSummaryStatistics(microsatData());
  ASSERT_TRUE(s.hasMicrosats);
  EXPECT_FALSE(s.hasSequences);
  EXPECT_TRUE(std::isnan(s.samples[0].sequence.haplotypes));

  // X locus 1: 3 alleles, H = 4/3 (1 - 6/16) = 5/6, mean 11.75, variance 4.75 / 3, M = 3/4;
  // locus 2: 1 allele, H = 0, variance 0, M = 1.
  const TMicrosatStatistics& x = s.samples[0].microsat;
  EXPECT_NEAR(x.alleles, 2.0, kTight);
  EXPECT_NEAR(x.heterozygosity, 5.0 / 12.0, kTight);
  EXPECT_NEAR(x.sizeVariance, 4.75 / 6.0, kTight);
  EXPECT_NEAR(x.garzaWilliamsonM, 0.875, kTight);
  // Y locus 1: 2 alleles, H = 2/3, variance 4/3, M = 2/3; locus 2: 3 alleles, H = 1, variance
  // 7/3, M = 3/4.
  const TMicrosatStatistics& y = s.samples[1].microsat;
  EXPECT_NEAR(y.alleles, 2.5, kTight);
  EXPECT_NEAR(y.heterozygosity, 5.0 / 6.0, kTight);
  EXPECT_NEAR(y.sizeVariance, 11.0 / 6.0, kTight);
  EXPECT_NEAR(y.garzaWilliamsonM, 17.0 / 24.0, kTight);
  // Pooled locus 1: alleles 10 12 13 14 (1 3 1 2), H = 7/6 (1 - 15/49) = 17/21, variance 41/21,
  // M = 4/5; locus 2: 5 6 8 (5 1 1), H = 11/21, variance 9/7, M = 3/4.
  const TMicrosatStatistics& pooled = s.pooled.microsat;
  EXPECT_NEAR(pooled.alleles, 3.5, kTight);
  EXPECT_NEAR(pooled.heterozygosity, (17.0 / 21.0 + 11.0 / 21.0) / 2.0, kTight);
  EXPECT_NEAR(pooled.sizeVariance, (41.0 / 21.0 + 9.0 / 7.0) / 2.0, kTight);
  EXPECT_NEAR(pooled.garzaWilliamsonM, 0.775, kTight);
  // (delta mu)^2: ((11.75 - 40/3)^2 + (5 - 19/3)^2) / 2. R_ST: S = 2 (41/21 + 27/21) = 136/21,
  // S_W = (19/12 + 4/3) + (0 + 7/3) = 21/4, R_ST = 1 - 441/544 = 103/544.
  ASSERT_EQ(s.pairs.size(), 1u);
  EXPECT_NEAR(s.pairs[0].deltaMuSquared, (361.0 / 144.0 + 16.0 / 9.0) / 2.0, kTight);
  EXPECT_NEAR(s.pairs[0].rst, 103.0 / 544.0, kTight);
  EXPECT_TRUE(std::isnan(s.pairs[0].fst));
}

// Mixed data: the haplotypes and sites use the DNA and SNP loci only, the microsatellite
// statistics the microsatellite locus only.
TEST(SummaryStatistics, MixedTypesSplitTheLociByKind) {
  TGeneticDataSet data;
  data.locusTypes = {DNA, MICROSAT, SNP, RFLP};
  // Genes 1 and 2 differ only at the microsatellite: one haplotype.
  data.samples.push_back(sample("a", {{A, 3, 0, 1}, {A, 7, 0, 1}, {G, 3, 1, 1}}));
  const TSummaryStatistics s = computeSummaryStatistics(data);
  ASSERT_TRUE(s.hasSequences && s.hasMicrosats);
  EXPECT_EQ(s.samples[0].sequence.haplotypes, 2);
  EXPECT_EQ(s.samples[0].sequence.segregatingSites, 2);
  // Pairs (1,2) 0, (1,3) 2, (2,3) 2.
  EXPECT_NEAR(s.samples[0].sequence.meanPairwiseDifferences, 4.0 / 3.0, kTight);
  EXPECT_NEAR(s.samples[0].microsat.alleles, 2.0, kTight);
  EXPECT_NEAR(s.samples[0].microsat.garzaWilliamsonM, 2.0 / 5.0, kTight);
  EXPECT_TRUE(s.pairs.empty());
}

// Small samples and monomorphic data give NA where a formula divides by zero, and plain values
// elsewhere.
TEST(SummaryStatistics, UndefinedValuesAreNotANumber) {
  TGeneticDataSet data;
  data.locusTypes = {DNA, DNA, MICROSAT};
  data.samples.push_back(sample("one", {{A, C, 4}}));
  data.samples.push_back(sample("same", {{A, C, 4}, {A, C, 4}, {A, C, 4}, {A, C, 4}}));
  data.samples.push_back(sample("none", {}));
  const TSummaryStatistics s = computeSummaryStatistics(data);
  const TGroupStatistics& one = s.samples[0];
  EXPECT_EQ(one.sequence.haplotypes, 1);
  EXPECT_EQ(one.sequence.segregatingSites, 0);
  EXPECT_TRUE(std::isnan(one.sequence.haplotypeDiversity));
  EXPECT_TRUE(std::isnan(one.sequence.meanPairwiseDifferences));
  EXPECT_EQ(one.microsat.alleles, 1);
  EXPECT_EQ(one.microsat.garzaWilliamsonM, 1);
  EXPECT_TRUE(std::isnan(one.microsat.heterozygosity));
  const TGroupStatistics& same = s.samples[1];
  EXPECT_EQ(same.sequence.haplotypeDiversity, 0);
  EXPECT_EQ(same.sequence.meanPairwiseDifferences, 0);
  EXPECT_TRUE(std::isnan(same.sequence.tajimaD));  // S = 0
  EXPECT_EQ(same.microsat.sizeVariance, 0);
  EXPECT_TRUE(std::isnan(s.samples[2].sequence.haplotypes));
  EXPECT_TRUE(std::isnan(s.samples[2].microsat.alleles));
  // one-same: no difference at all, F_ST and R_ST undefined; one has a single gene anyway.
  ASSERT_EQ(s.pairs.size(), 3u);
  EXPECT_EQ(s.pairs[0].meanPairwiseDifferences, 0);
  EXPECT_TRUE(std::isnan(s.pairs[0].fst));
  EXPECT_EQ(s.pairs[0].deltaMuSquared, 0);
  EXPECT_TRUE(std::isnan(s.pairs[0].rst));
  // Pairs with the empty sample have nothing.
  EXPECT_TRUE(std::isnan(s.pairs[1].meanPairwiseDifferences));
  EXPECT_TRUE(std::isnan(s.pairs[2].deltaMuSquared));
}

// Random rows over few states, so many genes share haplotypes: the identifiers group the genes
// exactly as a comparison of whole rows does.
TEST(Haplotypes, IdentifiersGroupEqualRowsOnly) {
  std::mt19937 engine(7);
  TGeneticDataSet data;
  data.locusTypes.assign(6, DNA);
  std::vector<std::vector<int>> allRows;
  for (int s = 0; s < 3; ++s) {
    std::vector<std::vector<int>> rows;
    for (int g = 0; g < 40; ++g) {
      std::vector<int> row;
      for (int l = 0; l < 6; ++l) row.push_back(static_cast<int>(engine() % 2));
      rows.push_back(row);
      allRows.push_back(row);
    }
    data.samples.push_back(sample("s", rows));
  }
  std::vector<int> ids;
  assignHaplotypes(data, {0, 1, 2, 3, 4, 5}, ids);
  ASSERT_EQ(ids.size(), allRows.size());
  std::map<std::vector<int>, int> byRow;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const auto [it, added] = byRow.emplace(allRows[i], ids[i]);
    EXPECT_EQ(it->second, ids[i]) << "gene " << i;
  }
  // Distinct rows get distinct identifiers, numbered from 0.
  EXPECT_EQ(std::set<int>(ids.begin(), ids.end()).size(), byRow.size());
  EXPECT_EQ(*std::max_element(ids.begin(), ids.end()) + 1, static_cast<int>(byRow.size()));
}

TEST(SummaryTable, ColumnsFollowTheValuesAndLabelsAreUnique) {
  EXPECT_EQ(sampleLabels({"North pop", "", "pooled", "North_pop"}),
            (std::vector<std::string>{"North_pop", "S2", "pooled_3", "North_pop_4"}));
  const TSummaryStatistics s = computeSummaryStatistics(dnaData());
  const std::vector<std::string> names = summaryColumnNames({"P1", "P2"}, true, false);
  const std::vector<double> values = summaryColumnValues(s);
  ASSERT_EQ(names.size(), values.size());
  EXPECT_EQ(names[10], "nhap_pooled");
  EXPECT_EQ(names.back(), "FST_P1_P2");
  EXPECT_NEAR(values.back(), 6.0 / 17.0, kTight);
  EXPECT_EQ(summaryColumnNames({"a", "b"}, true, true).size(), 3u * 9u + 4u);
  for (const auto& [value, text] :
       std::vector<std::pair<double, std::string>>{{kNoStatistic, "NA"},
                                                   {3.0, "3"},
                                                   {-0.0, "0"},
                                                   {2.0 / 3.0, "0.66666667"},
                                                   {1.5e-7, "1.5e-07"},
                                                   {-1.25, "-1.25"}}) {
    EXPECT_EQ(formatStatistic(value), text) << value;
  }
}

}  // namespace
