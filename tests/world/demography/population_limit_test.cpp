#include "world/demography/population_limit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/text_assertions.h"
#include "world/demography/cell_demography.h"
#include "world/demography/lattice.h"

namespace orvantis {
namespace {

using testing::DemographyLattice;
using testing::runGenerations;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Inside the limit a conversion is a plain truncation and counts nothing; beyond it (or NaN)
// the value is held and counted, the first one kept for the warning.
TEST(SizeLimitTest, TruncatesInsideTheLimitAndHoldsTheRest) {
  const struct {
    double value;
    int whole;
    bool held;
  } cases[] = {
      {0.0, 0, false},
      {14.2857, 14, false},
      {-2.7, -2, false},
      {268435440.0, kMaxIndividuals - 16, false},
      {2.42396e9, kMaxIndividuals, true},
      {-3e12, -kMaxIndividuals, true},
      {kInfinity, kMaxIndividuals, true},
      {kNaN, 0, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(truncIndividuals(c.value), c.whole) << c.value;
    TSizeLimit asDouble;
    EXPECT_EQ(asDouble.whole(c.value), c.whole) << c.value;
    EXPECT_EQ(asDouble.count(), c.held ? 1 : 0) << c.value;
    TSizeLimit asFloat;
    EXPECT_EQ(asFloat.whole(static_cast<float>(c.value)), c.whole) << c.value;
  }
  TSizeLimit sums;
  EXPECT_EQ(sums.whole(static_cast<long long>(kMaxIndividuals)), kMaxIndividuals);
  EXPECT_EQ(sums.whole(5LL * kMaxIndividuals), kMaxIndividuals);
  EXPECT_EQ(sums.whole(-7LL), -7);
  EXPECT_EQ(sums.count(), 1);
  EXPECT_EQ(sums.firstValue(), 5.0 * kMaxIndividuals);
}

// The grown size of a cell whose K lies far beyond the limit is held at it, without a remainder
// that would push the next step beyond it again.
TEST(SizeLimitTest, GrowthBeyondTheLimitIsHeldWithoutRemainder) {
  State s;
  s.K = 2000000000;
  s._N_POP = 200000000;
  s._N_remainder = 0.5f;
  TSizeLimit limit;
  EXPECT_EQ(growDensity(s, 10.0f, 10.0f / static_cast<float>(s.K), limit), kMaxIndividuals);
  EXPECT_EQ(s._N_remainder, 0.0f);
  EXPECT_EQ(limit.count(), 1);
}

// Every model of local migration, run with rates and capacities far beyond any study (a
// migration rate of 5.1 sends five times a deme's size; the K of a cell lies beyond the limit),
// keeps every size within 0..limit, every number recorded within int, and warns once for the
// run. (A long-distance model would send its hundreds of millions of jumpers one by one.)
TEST(SizeLimitTest, NoSettingDrivesASizeBeyondTheLimit) {
  for (const int model : {1, 2, 3, 21, 24}) {
    const bool two = model >= 21;
    DemographyLattice L({"xxxx", "xxxx", "xxxx"}, 60, two ? 2 : 1, 2000000000, 0.5f);
    for (int p = 0; p < (two ? 2 : 1); ++p) L.at(1, 1, p)._N_POP = 100000000;
    L.writeGenerationZero();
    TDemographicParameters parameters =
        two ? L.twoPopulationParameters(model, 4.0f, 4.0f, 5.1, 5.1, 0.9f, 0.9f)
            : L.parameters(model, 4.0f, 5.1f);
    TDemographicEngine engine(L.space(), std::move(parameters));
    ASSERT_EQ(runGenerations(L, engine, 60), 1) << model;
    for (int p = 0; p < (two ? 2 : 1); ++p) {
      for (const State& s : L.states[p]) {
        EXPECT_GE(s._N_POP, 0) << model;
        EXPECT_LE(s._N_POP, kMaxIndividuals) << model;
      }
    }
    const std::string log = L.log.str();
    const std::string warning = "individuals of one population in one cell lies beyond the " +
                                std::to_string(kMaxIndividuals) + " that a cell can hold";
    EXPECT_CONTAINS(log, warning);
    EXPECT_EQ(log.find(warning), log.rfind(warning)) << model;
  }
}

// Per-cell rates of a long-distance model far above 1, or not numbers, are held so that a cell
// sends at most four times its size: the run ends promptly, with one warning.
TEST(SizeLimitTest, LongDistanceRatesBeyondOneAreHeld) {
  DemographyLattice L({"xxxxx", "xxxxx", "xxxxx"}, 10);
  const float huge = 1e30f;
  L.tables.m(0).set(0, {huge, huge, huge, huge});
  L.tables.m(0).set(1, {std::numeric_limits<float>::quiet_NaN(), 0.1f, 0.1f, 0.1f});
  for (cell& c : L.cells) c.migrationClass = c.column % 2;
  L.at(1, 2)._N_POP = 50;
  L.writeGenerationZero();
  TDemographicParameters parameters = L.lddParameters(14, 0.5f, 0.0f, 2.0, 1.0, 0.2);
  parameters.ldd.perCellRates = true;
  TDemographicEngine engine(L.space(), std::move(parameters));
  ASSERT_EQ(runGenerations(L, engine, 10), 1);
  const std::string log = L.log.str();
  const std::string warning = "WARNING: {cell::iterateDensity_LDD()} [generation ";
  EXPECT_CONTAINS(log, warning);
  EXPECT_EQ(log.find(warning), log.rfind(warning));
  for (const State& s : L.states[0]) {
    EXPECT_GE(s._N_POP, 0);
    EXPECT_LE(s._N_POP, kMaxIndividuals);
  }
}

}  // namespace
}  // namespace orvantis
