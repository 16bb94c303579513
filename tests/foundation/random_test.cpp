// ran3, its seeding, uniform_index and the method switches of the Poisson and binomial deviates.
// Statistical checks are in random_stats_test.cpp.

#include "foundation/random.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace orvantis {
namespace {

// ran3's table construction written once more from the algorithm's description (Knuth's
// subtractive generator with mj = (MSEED - |seed|) mod MBIG), not from the production code, so
// the two can be compared value by value.
class ReferenceRan3 {
 public:
  explicit ReferenceRan3(long long seed) {
    const long long mbig = 1000000000;
    long long mj = (161803398 - (seed < 0 ? -seed : seed)) % mbig;
    table_[55] = mj;
    long long mk = 1;
    for (int i = 1; i <= 54; i++) {
      const int ii = (21 * i) % 55;
      table_[ii] = mk;
      mk = mj - mk;
      if (mk < 0) mk += mbig;
      mj = table_[ii];
    }
    for (int round = 0; round < 4; round++) {
      for (int i = 1; i <= 55; i++) {
        table_[i] -= table_[1 + (i + 30) % 55];
        if (table_[i] < 0) table_[i] += mbig;
      }
    }
  }
  double next() {
    leading_ = leading_ == 55 ? 1 : leading_ + 1;
    lagging_ = lagging_ == 55 ? 1 : lagging_ + 1;
    long long v = table_[leading_] - table_[lagging_];
    if (v < 0) v += 1000000000;
    table_[leading_] = v;
    return static_cast<double>(v) * 1e-9;
  }

 private:
  long long table_[56] = {};
  int leading_ = 0;
  int lagging_ = 31;
};

TEST(Ran3, NegativeSeedReproducesIndependentComputation) {
  std::ostringstream log;
  TRandom random(log);
  ReferenceRan3 reference(-12345);
  int idum = -12345;
  for (int i = 0; i < 2000; i++) {
    ASSERT_EQ(random.ran3(idum), reference.next()) << "draw " << i;
    ASSERT_EQ(idum, 1);  // overwritten with 1 by the seeding, then left alone
  }
  idum = -99;  // a negative idum refills the table
  EXPECT_EQ(random.ran3(idum), ReferenceRan3(-99).next());
  TRandom fresh(log);
  idum = 7;  // the first call seeds whatever idum holds
  EXPECT_EQ(fresh.ran3(idum), ReferenceRan3(7).next());
  EXPECT_EQ(log.str(), "");
  for (int i = 0; i < 1000; i++) ASSERT_EQ(random.uniform_index(1), 0);
}

TEST(Seeding, FixedSeedWritesItsLinesAndRepeatsTheSequence) {
  std::ostringstream log;
  std::ostringstream out;
  TRandom random(log, out);
  random.setFixedSeed(42);
  EXPECT_EQ(random.make_clock_seed(), 42);
  random.initialize_ran3(1);
  EXPECT_EQ(log.str(),
            "ORVANTIS 3.0 | Logfile\n**************************\n"
            "Random generator initialized with lidum=-42\n\n");
  EXPECT_EQ(out.str(), "Random generator initialized with seed=-42\n\n");
  // The table was seeded with -42 and its first value discarded; re-initializing starts over.
  for (int pass = 0; pass < 2; ++pass) {
    ReferenceRan3 reference(-42);
    reference.next();
    for (int i = 0; i < 100; i++) ASSERT_EQ(random.ran3(random.cellSeed()), reference.next());
    random.initialize_ran3(1);
  }
}

// The methods differ in the uniforms they consume: the direct Poisson method and the
// exponential waiting of the binomial use k + 1 uniforms for a result k, counting uniforms uses
// n, and the rejection methods use two per trial whatever the result. A twin generator in the
// same state finds how many uniforms a draw took.
TEST(DeviateMethods, SwitchAtTheDocumentedBounds) {
  struct MethodCase {
    const char* what;
    std::function<double(TRandom&, int&)> draw;
    int fixedUniforms;  // the uniforms of the direct method, or 0 for k + 1
    bool direct;        // whether the direct method must be the one used
  };
  const MethodCase cases[] = {
      {"Poisson 11.99", [](TRandom& r, int& i) { return r.poisson_dev(11.99, i); }, 0, true},
      {"Poisson 12", [](TRandom& r, int& i) { return r.poisson_dev(12.0, i); }, 0, false},
      {"binomial n 24", [](TRandom& r, int& i) { return r.binomial_dev(0.3, 24, i); }, 24, true},
      {"binomial n 25", [](TRandom& r, int& i) { return r.binomial_dev(0.3, 25, i); }, 25, false},
      {"binomial n p = 31/32", [](TRandom& r, int& i) { return r.binomial_dev(0.03125, 31, i); }, 0,
       true},
      {"binomial n p = 1", [](TRandom& r, int& i) { return r.binomial_dev(0.03125, 32, i); }, 0,
       false},
  };
  for (const MethodCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::ostringstream log;
    TRandom a(log);
    TRandom b(log);
    int ia = -2024;
    int ib = -2024;
    a.ran3(ia);
    b.ran3(ib);
    int directLike = 0;
    for (int i = 0; i < 300; i++) {
      const double k = c.draw(a, ia);
      const double next = a.ran3(ia);
      int used = 0;
      while (b.ran3(ib) != next) ASSERT_LT(++used, 10000);
      directLike += used == (c.fixedUniforms ? c.fixedUniforms : static_cast<int>(k) + 1);
    }
    if (c.direct) {
      EXPECT_EQ(directLike, 300);
    } else {
      EXPECT_LT(directLike, 100);
    }
  }
}

// A state taken from one generator continues its sequences in another: ran3, the Wichmann-Hill
// generator and the deviates built on them; the seed goes with it.
TEST(RandomState, RestoringContinuesTheSequenceElsewhere) {
  std::ostringstream log;
  std::ostringstream out;
  TRandom first(log, out);
  first.setFixedSeed(4242);
  first.initialize_ran3(1);
  int idum = 1;
  for (int i = 0; i < 1000; ++i) (void)first.poisson_dev(20.0f, idum);
  for (int i = 0; i < 10; ++i) (void)first.gamma_dev_wh(0.5);
  const TRandomState state = first.state();
  EXPECT_TRUE(state.isValid());
  EXPECT_EQ(state.seed, 4242);

  TRandom second(log, out);
  second.initialize_ran3(-7);
  ASSERT_TRUE(second.restore(state));
  EXPECT_EQ(second.seed(), 4242);
  EXPECT_EQ(second.state(), state);
  int idum2 = 1;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(second.ran3(idum2), first.ran3(idum));
    ASSERT_EQ(second.poisson_dev(3.5f, idum2), first.poisson_dev(3.5f, idum));
    ASSERT_EQ(second.binomial_dev(0.3, 40, idum2), first.binomial_dev(0.3, 40, idum));
    ASSERT_EQ(second.gamma_dev_wh(2.5), first.gamma_dev_wh(2.5));
  }
}

TEST(RandomState, AStateTheGeneratorCannotBeInIsRefused) {
  std::ostringstream log;
  std::ostringstream out;
  TRandom random(log, out);
  random.initialize_ran3(-3);
  const TRandomState sound = random.state();
  const struct {
    const char* what;
    void (*edit)(TRandomState&);
  } cases[] = {
      {"unseeded", [](TRandomState& s) { s = TRandomState(); }},
      {"cursor past the table", [](TRandomState& s) { s.next = 56; }},
      {"cursor before the table", [](TRandomState& s) { s.nextp = -1; }},
      {"value of MBIG", [](TRandomState& s) { s.table[17] = TRandom::MBIG; }},
      {"negative value", [](TRandomState& s) { s.table[55] = -1; }},
      {"unused slot written", [](TRandomState& s) { s.table[0] = 5; }},
      {"Wichmann-Hill at zero", [](TRandomState& s) { s.wichmannHill[1] = 0; }},
      {"Wichmann-Hill past its modulus", [](TRandomState& s) { s.wichmannHill[2] = 30323; }},
  };
  for (const auto& c : cases) {
    TRandomState state = sound;
    c.edit(state);
    EXPECT_FALSE(state.isValid()) << c.what;
    EXPECT_FALSE(random.restore(state)) << c.what;
    EXPECT_EQ(random.state(), sound) << c.what << ": the generator is left as it was";
  }
}

}  // namespace
}  // namespace orvantis
