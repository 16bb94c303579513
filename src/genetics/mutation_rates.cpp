#include "genetics/mutation_rates.h"

#include <charconv>
#include <cmath>
#include <new>
#include <string>

#include "foundation/gamma_rates.h"
#include "settings/settings.h"

namespace orvantis {

namespace {

// The whole text as a finite number (leading and trailing blanks already trimmed by the store).
bool parseNumber(const std::string& text, double& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last && std::isfinite(value);
}

}  // namespace

int readMutationRateHeterogeneity(TSettings& settings, std::ostream& log, double& alpha,
                                  int& categories) {
  alpha = 0.0;
  categories = 0;
  double shape = 0.0;
  double count = 0.0;
  if (settings.hasKey(kGammaShapeKey)) {
    const std::string text = settings.textValue(kGammaShapeKey).str();
    if (!parseNumber(text, shape) || shape < 0.0 || shape > kLargestGammaShape) {
      log << " ERROR: {readMutationRateHeterogeneity()} [the setting " << kGammaShapeKey << " ("
          << text << ") must be a number from 0 to " << static_cast<long long>(kLargestGammaShape)
          << "]" << std::endl;
      return 0;
    }
  }
  if (settings.hasKey(kGammaCategoriesKey)) {
    const std::string text = settings.textValue(kGammaCategoriesKey).str();
    if (!parseNumber(text, count) || count < 0.0 || count > kMaxGammaCategories ||
        count != std::floor(count)) {
      log << " ERROR: {readMutationRateHeterogeneity()} [the setting " << kGammaCategoriesKey
          << " (" << text << ") must be a whole number from 0 to " << kMaxGammaCategories << "]"
          << std::endl;
      return 0;
    }
  }
  alpha = shape;
  categories = static_cast<int>(count);
  return 1;
}

int TGammaRates::build(int n, double alpha, int categories, TRandom& random, std::ostream& log) {
  size_ = 0;
  if (n <= 0 || !(alpha > 0.0)) return 1;
  try {
    if (rates_.size() < static_cast<std::size_t>(n)) rates_.resize(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    log << "\nGammaRates::build(const int n, const double& a): unable to allocate memory\n";
    return 0;
  }
  double* rates = rates_.data();
  if (categories > 0) {
    sorted_site_rates_from_gamma(random, rates, n, alpha, categories);
  } else if (n <= kMaxSampledQuantiles) {
    gamma_quantiles_by_sampling(random, rates, n, alpha);
  } else {
    sorted_site_rates_from_gamma(random, rates, n, alpha, 1);
  }
  double sum = 0.0;
  for (int k = 0; k < n; ++k) sum += rates[k];
  // Divided by their sum the rates would share one locus's rate among all loci; times n their
  // mean is 1, so the parameters file's rate stays the mean rate per locus.
  const double scale = static_cast<double>(n);
  for (int k = 0; k < n; ++k) {
    rates[k] = sum > 0.0 && std::isfinite(sum) ? rates[k] / sum * scale : 1.0;
  }
  size_ = n;
  return 1;
}

}  // namespace orvantis
