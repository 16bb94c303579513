#pragma once
// Draws values from the named distributions of the settings.
// TSampler has no state of its own: it draws from the run's TRandom with the caller's seed
// variable.

#include <ostream>

#include "foundation/distribution_settings.h"
#include "foundation/random.h"

namespace orvantis {

class TSampler {
 public:
  // Sentinels returned for out-of-range parameters; callers must treat them as invalid.
  static constexpr double kInvalid = -9999999;              // unknown type, MIXT_NORMAL, empty list
  static constexpr double kInvalidLogUniform = -999999999;  // LOG_UNIFORM with min = 0
  static constexpr double kInvalidNormalTrunc = -99999;     // NORMAL_TRUNC with mean <= 0

  explicit TSampler(TRandom& random) : random_(random) {}

  // One value of the distribution. A type whose parameters are missing from the settings
  // returns kInvalid, as an unknown type does.
  double sample(const TDistributionSettings& settings, int& idum);

  // The sampler's own gamma deviate: the caller's idum, failures written to standard output
  // (the TRandom's output stream) before the process ends with status 1.
  double gamma_dev(double a, int& idum);

 private:
  TRandom& random_;
};

}  // namespace orvantis
