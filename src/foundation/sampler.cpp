#include "foundation/sampler.h"

#include <cmath>

namespace orvantis {

double TSampler::gamma_dev(double a, int& idum) {
  return random_.gamma_dev(a, idum, random_.output());
}

double TSampler::sample(const TDistributionSettings& settings, int& idum) {
  using T = TDistributionSettings;
  const int available = settings.parameter_count();
  const unsigned type = settings.type();
  // Every type but DISCRETE_VALUES needs its full list of parameters.
  if (type >= T::kUniform && type <= T::kGamma2P && type != T::kDiscreteValues &&
      available < T::parameter_count_of(type)) {
    return kInvalid;
  }
  switch (type) {
    case T::kUniform: {
      const double min = settings[0];
      const double max = settings[1];
      return min + (max - min) * random_.ran3(idum);
    }
    case T::kLogUniform: {
      const double min = settings[0];
      const double max = settings[1];
      if (min == 0) return kInvalidLogUniform;
      return min * std::pow(max / min, random_.ran3(idum));
    }
    case T::kUniformDiscrete: {
      const int min = static_cast<int>(settings[0]);
      const int max = static_cast<int>(settings[1]);
      const double value = min + (static_cast<double>(max) + 1.0 - min) * random_.ran3(idum);
      return std::trunc(value);
    }
    case T::kPoisson:
      return random_.poisson_dev(settings[0], idum);
    case T::kBinomial:
      return random_.binomial_dev(settings[0], static_cast<int>(settings[1]), idum);
    case T::kNormal:
      return random_.normal_dev(idum) * settings[1] + settings[0];
    case T::kLogNormal: {
      const double mean = std::log(settings[0]);
      const double sd = std::log(settings[1]);
      return std::exp(random_.normal_dev(idum) * sd + mean);
    }
    case T::kExponential:
      return -std::log(random_.ran3(idum)) / settings[0];
    case T::kMixtNormal: {
      const double w = settings[0];
      if (w < 0 || w > 1) return kInvalid;
      const double first = random_.normal_dev(idum) * settings[1];
      const double second = random_.normal_dev(idum) * settings[2];
      return (w - 1) * first + w * second;
    }
    case T::kDiscreteValues: {
      if (available == 0) return kInvalid;
      int index = static_cast<int>(random_.ran3(idum) * available);
      if (index >= available) index = available - 1;  // cannot happen: ran3 < 1
      return settings[index];
    }
    case T::kNormalTrunc: {
      const double mean = settings[0];
      const double sd = settings[1];
      if (mean <= 0) return kInvalidNormalTrunc;
      double value;
      do {
        value = random_.normal_dev(idum) * sd + mean;
      } while (value <= 0);
      return value;
    }
    case T::kGamma:
      return gamma_dev(settings[0], idum);
    case T::kGamma2P: {
      const double shape = settings[0];
      const double rate = settings[1];
      if (!(shape > 0.0)) {
        terminate_process(random_.output(), "\ngamma_dev: parameter must be positive\n", 1);
      }
      if (!(rate > 0.0)) {
        terminate_process(random_.output(), "\ngamma_dev: second parameter must be positive\n", 1);
      }
      return gamma_dev(shape, idum) / rate;
    }
    default:
      return kInvalid;
  }
}

}  // namespace orvantis
