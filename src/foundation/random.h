#pragma once
// The run's random numbers: Knuth's subtractive generator ran3 with its table, the deviates
// built on it with their caches, and the small fixed-start generator used for rate heterogeneity.
// One TRandom belongs to a run; every draw takes the caller's seed variable as ran3 does.

#include <optional>
#include <ostream>

namespace orvantis {

class TDistributionSettings;

class TRandom {
 public:
  explicit TRandom(std::ostream& log);

  // A fixed seed (0 <= seed < 2000000) replaces the clock, so a run repeats exactly.
  void setFixedSeed(std::optional<int> seed) { fixedSeed_ = seed; }
  std::optional<int> fixedSeed() const { return fixedSeed_; }

  int make_clock_seed();
  // Writes the log header and the seed line, then seeds the table from the clock (or the
  // fixed seed).
  void initialize_ran3(int seed);
  double ran3(int& idum);

  // The seed variable shared by the cell code, 1 after seeding.
  int& cellSeed() { return cellSeed_; }

  int uniform_index(int n);
  float poisson_dev(float mean, int& idum);
  double poisson_dev(double mean, int& idum);
  float binomial_dev(float p, int n);
  double binomial_dev(double p, int n, int& idum);
  double gamma_dev(double a);
  double igamma_dev(int k);
  double normal_dev(int& idum);

  double uniform_wh();
  double gamma_dev_wh(double s);

  // Named distributions (TSampler's sample()).
  double sample(const TDistributionSettings& settings, int& idum);

  std::ostream& log() { return log_; }

 private:
  std::ostream& log_;
  std::optional<int> fixedSeed_;
  int cellSeed_ = 1;
  // ran3 table and cursors.
  int ma_[56] = {};
  int inext_ = 0;
  int inextp_ = 0;
  bool filled_ = false;
};

}  // namespace orvantis
