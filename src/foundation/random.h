#pragma once
// The run's random numbers: Knuth's subtractive generator ran3 with its table, the
// deviates built on it with their caches, and the small fixed-start generator (Wichmann and
// Hill) used for rate heterogeneity. One TRandom belongs to a run (held by TRunContext); every
// draw from ran3 takes the caller's seed variable as ran3 does. Pure functions without state
// (lnGamma, incomplete gamma, percentage points, discrete gamma rates) live in gamma_rates.h;
// the named distributions are drawn by TSampler (sampler.h).

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <optional>
#include <ostream>

namespace orvantis {

class TDistributionSettings;

// One step of SplitMix64 (Steele, Lea and Flood 2014): advances `state` by the golden gamma
// 0x9E3779B97F4A7C15 and returns the mixed value; every 64-bit output follows from the state,
// and outputs of nearby states are unrelated.
inline std::uint64_t splitMix64(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// Where the generator stands in its sequence: the ran3 table with its two cursors and the
// Wichmann-Hill triple, with the seed that started the sequence. Restoring it continues the
// sequence exactly (a saved demography keeps the state its simulation ended in). The deviates'
// caches are left out: each holds values computed from its last argument, which a call with
// another argument recomputes and one with the same argument would compute alike.
struct TRandomState {
  std::int32_t seed = 0;  // the seed of the sequence, as --seed takes it (lidum = -seed)
  std::int32_t table[56] = {};
  std::int32_t next = 0;
  std::int32_t nextp = 0;
  std::int32_t wichmannHill[3] = {};

  // Whether the generator can be in this state: a seeded table of values below MBIG, cursors
  // inside it, and a Wichmann-Hill triple inside its three moduli.
  bool isValid() const;
  bool operator==(const TRandomState&) const = default;
};

// Ends the process where a draw cannot go on: writes the message to the
// stream, flushes it, and calls std::exit(status). Every termination of the generator goes through
// here, so tests can check it with death tests.
// The largest shape gamma_dev draws: the integer part goes to igamma_dev as an int. The readers
// of shapes refuse larger ones with their own message before a draw is made.
inline constexpr double kLargestGammaShape = 2147483647.0;

[[noreturn]] void terminate_process(std::ostream& stream, const char* message, int status);

// lnΓ(x) with the six-term Lanczos series of Numerical Recipes (gammln).
double ln_gamma_lanczos(double x);

class TRandom {
 public:
  static constexpr std::int32_t MBIG = 1000000000;
  static constexpr std::int32_t MSEED = 161803398;
  static constexpr std::int32_t MZ = 0;
  static constexpr double FAC = 1.0e-9;
  static constexpr double PI = 3.141592654;

  // log receives the header, seed line and diagnostics; out is the "standard output" of the
  // generator (the seed line and the TSampler's gamma failures), std::cout by default.
  explicit TRandom(std::ostream& log, std::ostream& out = std::cout);
  TRandom(const TRandom&) = delete;
  TRandom& operator=(const TRandom&) = delete;

  // A fixed seed (0 <= seed < 2000000) replaces the clock: make_clock_seed returns it, so the
  // seed line shows -seed and a run repeats exactly.
  void setFixedSeed(std::optional<int> seed) { fixedSeed_ = seed; }
  std::optional<int> fixedSeed() const { return fixedSeed_; }

  // Redirects the standard-output messages (tests capture them this way).
  void setOutput(std::ostream& out) { out_ = &out; }
  std::ostream& output() { return *out_; }

  // Integer in [0, 2000000) from the clock, or the fixed seed.
  int make_clock_seed();
  // Writes the two log header lines and the seed line (log and standard output), then seeds the
  // table. A non-negative seed selects a seed from the clock (the system passes 1); a negative
  // seed is used as it is.
  void initialize_ran3(int seed);
  // The seed of the last initialize_ran3 (lidum = -seed), 0 before any.
  int seed() const { return seed_; }

  // The position in the sequence (see TRandomState); restore() refuses, leaving the generator
  // as it was, a state the generator cannot be in.
  TRandomState state() const;
  [[nodiscard]] bool restore(const TRandomState& state);
  // Uniform in [0, 1). A negative idum, or the very first call, (re)fills the table and sets
  // idum to 1; a non-negative idum continues the sequence.
  double ran3(int& idum);

  // The seed variable shared by the cell code, 1 from the start.
  int& cellSeed() { return cellSeed_; }

  // trunc(ran3 * n), n - 1 if that rounds up to n.
  int uniform_index(int n);
  // Numerical Recipes' poidev: direct method below 12, Lorentzian rejection from 12 on.
  float poisson_dev(float mean, int& idum);
  double poisson_dev(double mean, int& idum);
  // Numerical Recipes' bnldev. The float variant draws with its own seed variable (at 1).
  float binomial_dev(float p, int n);
  double binomial_dev(double p, int n, int& idum);
  // Gamma deviate of shape a > 0: igamma_dev of the integer part plus an Ahrens-Dieter GS
  // draw for the fraction. Failures are written to the log and end the process with status 1;
  // a shape above kLargestGammaShape is one (its integer part would not fit igamma_dev's int).
  double gamma_dev(double a);
  // Gamma deviate of integer shape k >= 1.
  double igamma_dev(int k);
  // The same two with the caller's seed variable and failure stream (TSampler's copy writes
  // its failures to standard output).
  double gamma_dev(double a, int& idum, std::ostream& errors);
  double igamma_dev(int k, int& idum, std::ostream& errors);
  // Polar-method standard normal deviate (the second value of the pair is not kept).
  double normal_dev(int& idum);

  // Wichmann and Hill (AS 183) from the fixed start 11, 23, 137.
  double uniform_wh();
  // Gamma deviate of shape s (rate 1) from uniform_wh: Dagpunar for s < 1, Best for s > 1.
  double gamma_dev_wh(double s);

  // Named distributions: TSampler(*this).sample(settings, idum).
  double sample(const TDistributionSettings& settings, int& idum);

  // Starts an independent stream, as a fresh generator would start, without log lines: the ran3
  // table (55 values below MBIG, then the four mixing passes of a seeded table) and the
  // Wichmann-Hill triple come from the SplitMix64 sequence that starts at `key`; the deviates'
  // seed variables and caches start afresh. The table is filled whole rather than from a ran3
  // seed because a seed gives at most MSEED + 1 distinct tables: the replicates of a large study
  // would then share generators by the birthday effect.
  void seedStream(std::uint64_t key);

  std::ostream& log() { return log_; }

 private:
  std::ostream& log_;
  std::ostream* out_;
  // The table fill of ran3, on a negative idum or the first call; kept out of line so that the
  // per-draw step, called several times per cell and generation, inlines.
  void fillRan3Table(int& idum);
  // The four mixing passes over the table that follow its filling, from a seed or a stream.
  void warmUpTable();
  void logStrangeRan3(double value);
  // lnΓ(x+1) and ln x, looked up for small integers (shared, immutable tables).
  double lnGammaOfSuccessor(double x) const;
  double naturalLog(double x) const;
  struct IntegerTables;
  static const IntegerTables& integerTables();
  const IntegerTables* tables_;

  std::optional<int> fixedSeed_;
  int seed_ = 0;
  int cellSeed_ = 1;
  int binomialFloatSeed_ = 1;

  // ran3 table and cursors.
  std::int32_t ma_[56] = {};
  // Cursors of a type the table's int32 writes cannot alias, so they stay in registers.
  std::size_t inext_ = 0;
  std::size_t inextp_ = 0;
  bool filled_ = false;

  // poisson_dev caches: last mean, sqrt(2 mean), ln mean, mean ln mean - lnΓ(mean+1) (or
  // exp(-mean) below 12).
  struct PoissonCacheF {
    float oldm = -1.0f, sq = 0, alxm = 0, g = 0;
  } poissonF_;
  struct PoissonCacheD {
    double oldm = -1.0, sq = 0, alxm = 0, g = 0;
  } poissonD_;
  // binomial_dev caches: last n with lnΓ(n+1), last p with 1-p, ln p, ln(1-p).
  struct BinomialCacheF {
    int nold = -1;
    float pold = -1.0f, pc = 0, plog = 0, pclog = 0, en = 0, oldg = 0;
  } binomialF_;
  struct BinomialCacheD {
    int nold = -1;
    double pold = -1.0, pc = 0, plog = 0, pclog = 0, en = 0, oldg = 0;
  } binomialD_;

  // uniform_wh state.
  int whX_ = 11, whY_ = 23, whZ_ = 137;
  // gamma_dev_wh caches: shape < 1 (initial shape 10) and shape > 1 (initial shape 0).
  struct GammaWhSmall {
    double ss = 10, a = 0, p = 0, uf = 0, d = 0;
  } gammaWhSmall_;
  struct GammaWhLarge {
    double ss = 0, b = 0, h = 0;
  } gammaWhLarge_;

  double gamma_wh_small(double s);
  double gamma_wh_large(double s);
};

inline double TRandom::ran3(int& idum) {
  if (idum < 0 || !filled_) fillRan3Table(idum);
  if (++inext_ == 56) inext_ = 1;
  if (++inextp_ == 56) inextp_ = 1;
  std::int64_t mj = static_cast<std::int64_t>(ma_[inext_]) - ma_[inextp_];
  if (mj < MZ) mj += MBIG;
  ma_[inext_] = static_cast<std::int32_t>(mj);
  const double value = static_cast<double>(mj) * FAC;
  if (value >= 1.0) logStrangeRan3(value);
  return value;
}

}  // namespace orvantis
