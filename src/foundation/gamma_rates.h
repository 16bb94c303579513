#pragma once
// Gamma-distributed rate heterogeneity across sites (used by the mutation models): the special
// functions after Ziheng Yang's implementations of the Applied Statistics algorithms, the
// discretised gamma, the multinomial sampler on uniform_wh, and the two entry points of the
// mutation models. Functions that draw take the run's TRandom; the others are pure (those that can
// fail write to the log they are given).

#include <ostream>

#include "foundation/random.h"

namespace orvantis {

// lnΓ(x) for x > 0 by Stirling's formula after shifting x to >= 7 (Pike and Hill, ACM 291).
double ln_gamma_stirling(double x);

// Regularized lower incomplete gamma P(α, x) (AS 32, Bhattacharjee), given lnΓ(α).
// 0 for x = 0, -1 for x < 0 or α <= 0.
double IncompleteGamma(double x, double alpha, double ln_gamma_alpha);

// z with P(N(0,1) < z) = p (AS 70, Odeh and Evans); -9999 when min(p, 1-p) < 1e-20.
double normal_percentage_point(double p);

// x with P(χ²_ν < x) = p (AS 91, Best and Roberts); -1 for p < 0.000002, p > 0.999998 or
// ν <= 0, and -1 after writing "\nerr IncompleteGamma\n" to the log when IncompleteGamma fails.
double chi2_percentage_point(double p, double v, std::ostream& log);

// rates[0..K-1]: the K equal-probability categories of Gamma(shape α, rate β), each the mean of
// its category (use_median false) or its median rescaled so that the rates average α/β.
// Returns 0.
int discrete_gamma_rates(double rates[], double alpha, double beta, int K, bool use_median,
                         std::ostream& log);

// counts[0..ncat-1]: n draws (uniform_wh) from the categories. With work (room for ncat
// doubles) prob is copied there and made cumulative; with work == nullptr prob is taken as
// already cumulative. Returns 0.
int MultiNomial(TRandom& random, int n, int ncat, const double prob[], int counts[], double work[]);

// rates[0..count-1] of count sites under Gamma(α, α) rate heterogeneity: 1 everywhere for
// α = 0; K >= 2 discrete categories (grouped by category); K < 2 continuous draws of
// gamma_dev_wh(α)/α. With cumulative, the rates are summed in place and divided by the total.
// work, if not null, has room for K doubles (MultiNomial's work array). Returns 0.
int site_rates_from_gamma(TRandom& random, double rates[], double alpha, int K, int count,
                          bool cumulative, double work[]);

// The sorted variant used by the mutation models: non-cumulative rates of count sites, sorted
// ascending, copied to out.
void sorted_site_rates_from_gamma(TRandom& random, double out[], int count, double alpha, int K);

// out[i] = the value at index step/2 + i*step (step = 1000000 / count) of 1000000 sorted draws
// of gamma_dev(a), for i < count while the index is < 1000000.
void gamma_quantiles_by_sampling(TRandom& random, double out[], int count, double a);

}  // namespace orvantis
