// orvantis --summary-stats: the statistics of every simulation agree with the data of its
// project file, recomputed here the plain way (every pair of genes compared); without the
// option no statistics file is written.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "cli/batch_study.h"
#include "cli/command_fixture.h"

namespace {

namespace fs = std::filesystem;
using orvantis::testing::CommandTest;

struct Gene {
  std::string dna;
  std::vector<int> sizes;
};

// The genes of every sample of a project file: the DNA letters and the microsatellite sizes.
std::map<std::string, std::vector<Gene>> projectSamples(const std::string& text) {
  std::map<std::string, std::vector<Gene>> samples;
  const std::regex sample(
      "SampleName=\"([^\"]*)\"\\s*\\n\\s*SampleSize=\\d+\\s*\\n\\s*SampleData= "
      "\\{\\n([^}]*)\\}");
  for (std::sregex_iterator it(text.begin(), text.end(), sample), end; it != end; ++it) {
    std::istringstream lines((*it)[2].str());
    for (std::string line; std::getline(lines, line);) {
      if (line.find_first_not_of(" \t") == std::string::npos) continue;
      std::istringstream words(line);
      std::string label, one;
      Gene gene;
      words >> label >> one >> gene.dna;
      for (int size; words >> size;) gene.sizes.push_back(size);
      samples[(*it)[1].str()].push_back(gene);
    }
  }
  return samples;
}

int differences(const Gene& a, const Gene& b) {
  int d = 0;
  for (std::size_t i = 0; i < a.dna.size(); ++i) d += a.dna[i] != b.dna[i];
  return d;
}

double meanWithin(const std::vector<Gene>& genes) {
  double sum = 0.0;
  for (std::size_t i = 0; i < genes.size(); ++i) {
    for (std::size_t j = i + 1; j < genes.size(); ++j) sum += differences(genes[i], genes[j]);
  }
  return sum / (genes.size() * (genes.size() - 1) / 2.0);
}

double meanBetween(const std::vector<Gene>& a, const std::vector<Gene>& b) {
  double sum = 0.0;
  for (const Gene& x : a) {
    for (const Gene& y : b) sum += differences(x, y);
  }
  return sum / static_cast<double>(a.size() * b.size());
}

double sizeVariance(const std::vector<Gene>& genes, std::size_t locus) {
  double mean = 0.0;
  for (const Gene& g : genes) mean += g.sizes[locus];
  mean /= static_cast<double>(genes.size());
  double squares = 0.0;
  for (const Gene& g : genes) squares += (g.sizes[locus] - mean) * (g.sizes[locus] - mean);
  return squares / static_cast<double>(genes.size() - 1);
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) out.push_back(field);
  return out;
}

TEST_F(CommandTest, SummaryStatisticsAgreeWithTheProjectFiles) {
  copyExampleStudy();
  orvantis::testing::shortenStudy(at("study"), 80);
  ASSERT_EQ(run("--quiet --seed 4 --no-genetics study/settings.txt").status, 0);
  EXPECT_FALSE(fs::exists(at("study/GeneticsOutput/settings_short_summary_stats.tsv")));
  const auto r = run("--quiet --seed 4 --summary-stats study/settings.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream table(dir_.read("study/GeneticsOutput/settings_short_summary_stats.tsv"));
  std::string line;
  ASSERT_TRUE(std::getline(table, line));
  const std::vector<std::string> columns = fields(line);
  for (int s = 1; s <= 2; ++s) {
    ASSERT_TRUE(std::getline(table, line));
    const std::vector<std::string> values = fields(line);
    ASSERT_EQ(values.size(), columns.size());
    EXPECT_EQ(values[0], std::to_string(s));
    const auto value = [&](const std::string& column) {
      for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c] == column) return std::atof(values[c].c_str());
      }
      ADD_FAILURE() << "no column " << column;
      return 0.0;
    };
    const auto samples = projectSamples(
        dir_.read("study/GeneticsOutput/settings_short_" + std::to_string(s) + ".arp"));
    ASSERT_EQ(samples.size(), 2u);
    const auto& origin = samples.at("Origin");
    const auto& north = samples.at("North");
    ASSERT_EQ(origin.size(), 6u);
    ASSERT_EQ(origin[0].dna.size(), 40u);
    ASSERT_EQ(origin[0].sizes.size(), 4u);
    const double piOrigin = meanWithin(origin);
    const double piNorth = meanWithin(north);
    const double dxy = meanBetween(origin, north);
    EXPECT_NEAR(value("pi_Origin"), piOrigin, 1e-7 * (1 + piOrigin));
    EXPECT_NEAR(value("pi_North"), piNorth, 1e-7 * (1 + piNorth));
    EXPECT_NEAR(value("dxy_Origin_North"), dxy, 1e-7 * (1 + dxy));
    if (dxy > 0) {
      EXPECT_NEAR(value("FST_Origin_North"), 1 - (piOrigin + piNorth) / 2 / dxy, 1e-7);
    }
    double variance = 0.0;
    for (std::size_t l = 0; l < 4; ++l) variance += sizeVariance(origin, l) / 4;
    EXPECT_NEAR(value("varsize_Origin"), variance, 1e-7 * (1 + variance));
  }
}

}  // namespace
