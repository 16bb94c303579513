#pragma once
// Gamma-distributed heterogeneity of the DNA mutation rates along a chromosome.
//
// With a gamma shape alpha > 0, every chromosome gets one relative rate per DNA locus, drawn
// afresh for each chromosome: the sorted discrete or continuous site rates (K >= 1 categories;
// K = 1 continuous draws) or the gamma quantiles by sampling (K = 0), scaled so that their mean
// is 1. Each DNA locus then mutates at its block's rate times its relative rate, so the rate of
// the parameters file stays the mean rate per locus. Alpha = 0 (the default) draws nothing and
// leaves every rate as it is.
//
// Settings (optional; absent keys give 0):
//   MutationRateGammaShape       alpha, a number of at least 0
//   MutationRateGammaCategories  K, an integer from 0 to kMaxGammaCategories

#include <ostream>
#include <vector>

#include "foundation/random.h"

namespace orvantis {

class TSettings;

inline constexpr const char* kGammaShapeKey = "MutationRateGammaShape";
inline constexpr const char* kGammaCategoriesKey = "MutationRateGammaCategories";
inline constexpr int kMaxGammaCategories = 1000;
// Quantiles by sampling take every (1000000 / n)-th of a million sorted draws, so they serve at
// most a million loci; beyond, continuous draws (K = 1) are used.
inline constexpr int kMaxSampledQuantiles = 1000000;

// Reads the two settings by name. 0 after logging when a value is present but is not a number
// in its range (alpha and K then 0).
[[nodiscard]] int readMutationRateHeterogeneity(TSettings& settings, std::ostream& log,
                                                double& alpha, int& categories);

class TGammaRates {
 public:
  // n relative rates of mean 1 for shape alpha > 0 with K categories (see above); the array is
  // kept between calls and reallocated only when n grows. 0 after logging when memory is
  // refused (no rates then, size() 0).
  [[nodiscard]] int build(int n, double alpha, int categories, TRandom& random, std::ostream& log);
  void clear() { size_ = 0; }

  int size() const { return size_; }
  double rate(int k) const { return rates_[static_cast<std::size_t>(k)]; }

 private:
  std::vector<double> rates_;
  int size_ = 0;
};

}  // namespace orvantis
