#include "genetics/mutation_models.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace orvantis {
namespace {

// Hands out the given uniforms in order and counts how many were taken.
struct ScriptedUniform {
  explicit ScriptedUniform(std::vector<double> values) : left(values.begin(), values.end()) {}
  double operator()() {
    EXPECT_FALSE(left.empty()) << "the model drew more uniforms than scripted";
    if (left.empty()) return 0.0;
    const double u = left.front();
    left.pop_front();
    ++taken;
    return u;
  }
  std::deque<double> left;
  int taken = 0;
};

TEST(AlleleBoundsTest, RangeConstraintIsAWindowOfConsecutiveStatesAroundZero) {
  struct Case {
    int r, min, max;
  };
  for (const Case c : {Case{0, 0, 0}, Case{1, 0, 0}, Case{2, 0, 1}, Case{3, -1, 1}, Case{10, -4, 5},
                       Case{11, -5, 5}, Case{2147483647, -1073741823, 1073741823}}) {
    const TAlleleBounds b = alleleBounds(c.r);
    EXPECT_EQ(b.minAllele, c.min) << "r = " << c.r;
    EXPECT_EQ(b.maxAllele, c.max) << "r = " << c.r;
  }
}

TEST(DnaModelTest, TargetsAreWeightedByRateTimesTargetFrequency) {
  TDnaValues v;
  v.freqA = 0.1f, v.freqC = 0.2f, v.freqG = 0.3f, v.freqT = 0.4f;
  v.rateAC = 1, v.rateAG = 2, v.rateAT = 3, v.rateCG = 4, v.rateCT = 5, v.rateGT = 6;
  const TDnaMutationTable table = dnaMutationTable(v);
  // From A: C 1 x 0.2, G 2 x 0.3, T 3 x 0.4 (in double from the float values).
  const double wC = 1.0 * static_cast<double>(0.2f), wG = 2.0 * static_cast<double>(0.3f),
               wT = 3.0 * static_cast<double>(0.4f);
  EXPECT_DOUBLE_EQ(table.c2[kDnaA], (wC + wG) / (wC + wG + wT));
  struct Case {
    int from;
    double u;
    int to;
  };
  // Bounds from A 0.1, 0.4; from G (A 0.2, C 0.8, T 2.4) 1/17, 5/17; from C (A 0.1, G 1.2,
  // T 2.0) 0.1/3.3, 1.3/3.3; from T (A 0.3, C 1.0, G 1.8) 0.3/3.1, 1.3/3.1.
  for (const Case c :
       {Case{kDnaA, 0.05, kDnaC}, Case{kDnaA, 0.2, kDnaG}, Case{kDnaA, 0.5, kDnaT},
        Case{kDnaG, 0.05, kDnaA}, Case{kDnaG, 0.2, kDnaC}, Case{kDnaG, 0.3, kDnaT},
        Case{kDnaC, 0.02, kDnaA}, Case{kDnaC, 0.3, kDnaG}, Case{kDnaC, 0.4, kDnaT},
        Case{kDnaT, 0.05, kDnaA}, Case{kDnaT, 0.3, kDnaC}, Case{kDnaT, 0.5, kDnaG}}) {
    EXPECT_EQ(mutateDna(c.from, table, c.u), c.to) << "from " << c.from << " with u " << c.u;
  }
}

// A step direction draw, then (for a geometric parameter) a step count draw; within a range
// constraint r (0: none) the states -r/2+1..r/2 reflect at their bounds and clamp long jumps.
TEST(MicrosatModelTest, StepsDirectionsAndRangeConstraint) {
  struct Case {
    int state;
    double g;
    int range;
    std::vector<double> draws;
    int expected;
    int taken;
  };
  const std::vector<Case> cases = {
      // g = 1, g below 1e-10, g above 1 and g <= 0: single steps from the direction draw only.
      {3, 1.0, 0, {0.7}, 2, 1},  // u >= 0.5 subtracts
      {3, 1e-11, 0, {0.7}, 2, 1},
      {3, 5.0, 0, {0.7}, 2, 1},
      {3, 1.0, 0, {0.2}, 4, 1},
      {0, 0.0, 0, {0.5}, 1, 1},  // without geometric parameter u >= 0.5 adds
      {0, -1.0, 0, {0.49}, -1, 1},
      // g = 0.5, u = 0.1: floor(ln 0.1 / ln 0.5) + 1 = 4 steps.
      {0, 0.5, 0, {0.1, 0.9}, -4, 2},
      {0, 0.5, 0, {0.1, 0.4}, 4, 2},
      // r = 10: states -4..5.
      {-4, 0.0, 10, {}, -3, 0},          // on the lower bound: up without a draw
      {5, 0.0, 10, {}, 4, 0},            // on the upper bound: down
      {0, 0.0, 10, {0.6}, 1, 1},         // inside: u >= 0.5 adds
      {0, 0.0, 10, {0.4}, -1, 1},        // inside: else subtracts
      {-4, 0.5, 10, {0.01}, 3, 1},       // 7 steps up from the lower bound
      {5, 0.5, 10, {0.001}, -4, 1},      // 10 steps down, clamped at -4
      {4, 0.5, 10, {0.1, 0.7}, 5, 2},    // 4 steps up from 4, clamped at 5
      {-2, 0.5, 10, {0.1, 0.3}, -4, 2},  // 4 steps down from -2, clamped
      {0, 0.0, 1, {}, 0, 0},             // a window of one state keeps it
  };
  for (const Case& c : cases) {
    ScriptedUniform u(c.draws);
    EXPECT_EQ(mutateMicrosat(c.state, c.g, c.range, u), c.expected)
        << "from " << c.state << ", g " << c.g << ", r " << c.range;
    EXPECT_EQ(u.taken, c.taken) << "from " << c.state << ", g " << c.g << ", r " << c.range;
  }
  EXPECT_EQ(geometricStepCount(0.5, 0.6), 1);
  // u = 0 would be infinitely many steps: saturated.
  EXPECT_EQ(geometricStepCount(0.5, 0.0), kMaxMicrosatMagnitude);
}

}  // namespace
}  // namespace orvantis
