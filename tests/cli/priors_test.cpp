// The priors file, the drawn table and the "orvantis priors" subcommand: bad files named by file
// and line, tables that repeat with their seed, integer keys rounded, study seeds distinct.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <vector>

#include "cli/batch_seed.h"
#include "cli/command_fixture.h"
#include "cli/priors_draw.h"
#include "cli/priors_file.h"
#include "foundation/sampler.h"

namespace {

namespace fs = std::filesystem;
using namespace orvantis;
using orvantis::testing::CommandTest;

bool parse(const std::string& text, std::vector<TPrior>& priors, std::string& error) {
  std::istringstream in(text);
  return parsePriors(in, "p.txt", priors, error);
}

TEST(PriorsFile, ReadsKeysDistributionsAndParameters) {
  std::vector<TPrior> priors;
  std::string error;
  ASSERT_TRUE(
      parse("# the example's priors\n\n GrowthRate =  LOG_UNIFORM 0.1 1 # comment\r\n"
            "EndTime=UNIFORM_DISCRETE\t100 200\nMigrationRate = DISCRETE_VALUES 0.1 0.2 "
            "0.3\n",
            priors, error))
      << error;
  ASSERT_EQ(priors.size(), 3u);
  EXPECT_EQ(priors[0].distribution.type(), TDistributionSettings::kLogUniform);
  EXPECT_EQ(priors[0].distribution.parameters(), (std::vector<double>{0.1, 1.0}));
  EXPECT_EQ(priors[0].line, 3);
  EXPECT_EQ(priors[1].kind, TKeyKind::Integer);
  EXPECT_EQ(priors[2].distribution.parameter_count(), 3);
}

TEST(PriorsFile, BadLinesAreNamedByFileAndLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"GrowthRate UNIFORM 0 1", "p.txt, line 1: expected KEY = DISTRIBUTION p1 [p2 ...]"},
      {"\nGrowthRat = UNIFORM 0 1", "p.txt, line 2: unknown settings key 'GrowthRat'"},
      {"migrationrate = UNIFORM 0 1",
       "p.txt, line 1: unknown settings key 'migrationrate' (did you mean 'MigrationRate'?)"},
      {"SampleFile = UNIFORM 0 1",
       "p.txt, line 1: 'SampleFile' names a file: a prior can only "
       "draw numbers"},
      {"EndTime = UNIFORM 1 2\nEndTime = UNIFORM 1 2",
       "p.txt, line 2: a second prior for "
       "'EndTime'"},
      {"EndTime =", "p.txt, line 1: no distribution after '='"},
      {"= UNIFORM 1 2", "p.txt, line 1: no settings key before '='"},
      {"EndTime = uniform 1 2",
       "p.txt, line 1: unknown distribution 'uniform' (known: UNIFORM, LOG_UNIFORM, "
       "UNIFORM_DISCRETE, POISSON, BINOMIAL, NORMAL, LOGNORMAL, EXPONENTIAL, MIXT_NORMAL, "
       "DISCRETE_VALUES, NORMAL_TRUNC, GAMMA, GAMMA_2P)"},
      {"EndTime = UNIFORM 1", "p.txt, line 1: UNIFORM takes 2 parameters (min max), got 1"},
      {"EndTime = POISSON 1 2", "p.txt, line 1: POISSON takes 1 parameter (mean), got 2"},
      {"EndTime = DISCRETE_VALUES",
       "p.txt, line 1: DISCRETE_VALUES takes at least one value (v1 v2 ...), got 0"},
      {"EndTime = UNIFORM 1 x2", "p.txt, line 1: parameter 'x2' is not a number"},
      {"EndTime = UNIFORM 1 inf", "p.txt, line 1: parameter 'inf' is not a number"},
      {"EndTime = UNIFORM 2 1", "p.txt, line 1: UNIFORM: min 2 is above max 1"},
      {"GrowthRate = LOG_UNIFORM 0 1", "p.txt, line 1: LOG_UNIFORM: min and max must be positive"},
      {"EndTime = UNIFORM_DISCRETE 1.5 3",
       "p.txt, line 1: UNIFORM_DISCRETE: min and max must be whole numbers"},
      {"EndTime = POISSON -1", "p.txt, line 1: POISSON: the mean must not be negative"},
      {"EndTime = BINOMIAL 1.5 10", "p.txt, line 1: BINOMIAL: p must lie between 0 and 1"},
      {"EndTime = BINOMIAL 0.5 2.5",
       "p.txt, line 1: BINOMIAL: n must be a whole number from 0 to 1e9"},
      {"GrowthRate = NORMAL 0 -1",
       "p.txt, line 1: NORMAL: the standard deviation must not be negative"},
      {"GrowthRate = LOGNORMAL 1 0",
       "p.txt, line 1: LOGNORMAL: a and b must be positive (the draw is exp(N(ln a, ln b)))"},
      {"GrowthRate = EXPONENTIAL 0", "p.txt, line 1: EXPONENTIAL: the rate must be positive"},
      {"GrowthRate = MIXT_NORMAL 2 1 1", "p.txt, line 1: MIXT_NORMAL: w must lie between 0 and 1"},
      {"GrowthRate = NORMAL_TRUNC -1 1",
       "p.txt, line 1: NORMAL_TRUNC: the mean must be positive (draws are repeated until one is "
       "> 0)"},
      {"GrowthRate = GAMMA 0", "p.txt, line 1: GAMMA: the shape must be positive"},
      {"GrowthRate = GAMMA_2P 3e26 1",
       "p.txt, line 1: GAMMA_2P: the shape must not exceed 2147483647"},
      {"GrowthRate = GAMMA_2P 2 0",
       "p.txt, line 1: GAMMA_2P: the shape and the rate must be "
       "positive"},
      {"# nothing\n", "p.txt: no prior (lines KEY = DISTRIBUTION p1 [p2 ...])"},
  };
  for (const auto& [text, message] : cases) {
    std::vector<TPrior> priors;
    std::string error;
    EXPECT_FALSE(parse(text, priors, error)) << text;
    EXPECT_EQ(error, message) << text;
  }
}

std::vector<TPrior> priorsOf(const std::string& text) {
  std::vector<TPrior> priors;
  std::string error;
  EXPECT_TRUE(parse(text, priors, error)) << error;
  return priors;
}

TEST(PriorTable, RepeatsWithItsSeedRoundsIntegerKeysAndDrawsWithTheSampler) {
  const std::vector<TPrior> priors =
      priorsOf("GrowthRate = UNIFORM 0.1 0.5\nEndTime = NORMAL 200 30\n");
  TPriorTable first, again, other;
  std::string error;
  ASSERT_TRUE(drawPriorTable(priors, 200, 17, "p.txt", first, error)) << error;
  ASSERT_TRUE(drawPriorTable(priors, 200, 17, "p.txt", again, error));
  ASSERT_TRUE(drawPriorTable(priors, 200, 18, "p.txt", other, error));
  EXPECT_EQ(tableText(first), tableText(again));
  EXPECT_NE(tableText(first), tableText(other));
  EXPECT_EQ(first.rows[199][0], "row200");

  // The values are those of the sampler on a generator seeded like a run with --seed 17.
  std::ostringstream quiet;
  TRandom random(quiet, quiet);
  random.setFixedSeed(17);
  random.initialize_ran3(1);
  TSampler sampler(random);
  int idum = 1;
  for (const auto& row : first.rows) {
    EXPECT_EQ(row[1], std::to_string(rowSeed(17, std::stoll(row[0].substr(3)))));
    const double growth = sampler.sample(priors[0].distribution, idum);
    EXPECT_EQ(std::stod(row[2]), growth);  // written exactly
    EXPECT_GE(growth, 0.1);
    EXPECT_LT(growth, 0.5);
    const double end = sampler.sample(priors[1].distribution, idum);
    EXPECT_EQ(row[3], std::to_string(static_cast<long long>(std::round(end))));
  }
}

TEST(PriorTable, ADrawOutsideTheIntegerRangeOrUndefinedIsRefused) {
  TPriorTable table;
  std::string error;
  EXPECT_FALSE(
      drawPriorTable(priorsOf("\nEndTime = UNIFORM 3e9 4e9\n"), 3, 1, "p.txt", table, error));
  EXPECT_EQ(error.substr(0, 27), "p.txt, line 2: row 1 draws ");
  EXPECT_NE(error.find("for 'EndTime', outside the range of an integer setting"),
            std::string::npos);
  EXPECT_TRUE(table.rows.empty());
  EXPECT_FALSE(drawPriorTable(priorsOf("GrowthRate = DISCRETE_VALUES -9999\n"), 1, 1, "p.txt",
                              table, error));
  EXPECT_EQ(error,
            "p.txt, line 1: row 1 draws -9999 for 'GrowthRate', which the settings read as "
            "undefined");
}

// Every row of a master seed's range gets its own seed; masters give unrelated sequences.
TEST(RowSeed, APermutationOfTheSeedRangePerMasterSeed) {
  std::vector<bool> used(kSeedRange, false);
  for (long long row = 1; row <= kSeedRange; ++row) {
    const int seed = rowSeed(12345, row);
    ASSERT_GE(seed, 0);
    ASSERT_LT(seed, kSeedRange);
    ASSERT_FALSE(used[static_cast<std::size_t>(seed)]) << "row " << row;
    used[static_cast<std::size_t>(seed)] = true;
  }
  EXPECT_EQ(rowSeed(12345, 1), rowSeed(12345, kSeedRange + 1));
  int same = 0;
  for (long long row = 1; row <= 1000; ++row) same += rowSeed(1, row) == rowSeed(2, row);
  EXPECT_LT(same, 3);
  // The documented function, pinned.
  EXPECT_EQ(rowSeed(3, 1), 312955);
  EXPECT_EQ(rowSeed(3, 2), 507179);
}

class PriorsCommandTest : public CommandTest {};

TEST_F(PriorsCommandTest, UsageErrorsExitWith2AndBadFilesWith1WithoutTouchingTheOutput) {
  dir_.write("p.txt", "GrowthRate = UNIFORM 0 1\n");
  dir_.write("bad.txt", "GrowthRate = UNIFORM 0 1\nGrowth = UNIFORM 0 1\n");
  dir_.write("table.tsv", "earlier table\n");
  for (const char* usage : {"priors p.txt --seed 1", "priors p.txt --n 3", "priors --n 3 --seed 1",
                            "priors p.txt --n 0 --seed 1", "priors p.txt --n 3 --seed 2000000"}) {
    EXPECT_EQ(run(usage).status, 2) << usage;
  }
  const auto bad = run("priors bad.txt --n 3 --seed 1 -o table.tsv");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "ERROR: bad.txt, line 2: unknown settings key 'Growth'\n");
  EXPECT_EQ(bad.out, "");
  const auto missing = run("priors none.txt --n 3 --seed 1 -o table.tsv");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "ERROR: none.txt: cannot be opened\n");
  EXPECT_EQ(run("priors study --n 3 --seed 1").status, 1);
  // Neither a partial table nor a temporary file is left.
  EXPECT_EQ(dir_.read("table.tsv"), "earlier table\n");
  const auto unwritable = run("priors p.txt --n 3 --seed 1 -o nofolder/table.tsv");
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("nofolder/table.tsv: cannot be written"), std::string::npos);
  for (const auto& entry : fs::directory_iterator(at(""))) {
    EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos);
  }
}

}  // namespace
