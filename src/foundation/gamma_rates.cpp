#include "foundation/gamma_rates.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace orvantis {

namespace {
constexpr const char* kAllocationError = "Memory allocation error, exiting ...\n";

// Allocates count doubles or ends the process with status 0 after its allocation message.
double* allocate_or_exit(std::ostream& log, std::size_t count) {
  double* block = new (std::nothrow) double[count];
  if (block == nullptr) terminate_process(log, kAllocationError, 0);
  return block;
}

double gamma_percentage_point(double p, double alpha, double beta, std::ostream& log) {
  return chi2_percentage_point(p, 2.0 * alpha, log) / (2.0 * beta);
}
}  // namespace

double ln_gamma_stirling(double x) {
  double f = 0;
  if (x < 7) {
    f = 1;
    double z = x - 1;
    while (++z < 7) f *= z;
    x = z;
    f = -std::log(f);
  }
  const double z = 1 / (x * x);
  return f + (x - 0.5) * std::log(x) - x + .918938533204673 +
         (((-.000595238095238 * z + .000793650793651) * z - .002777777777778) * z +
          .083333333333333) /
             x;
}

double IncompleteGamma(double x, double alpha, double ln_gamma_alpha) {
  const double p = alpha;
  const double g = ln_gamma_alpha;
  const double accurate = 1e-8;
  const double overflow = 1e30;
  double gin = 0;
  double rn = 0;
  double term = 0;

  if (x == 0) return 0;
  if (x < 0 || p <= 0) return -1;

  const double factor = std::exp(p * std::log(x) - x - g);
  if (x <= 1 || x < p) {
    // Series expansion.
    gin = 1;
    term = 1;
    rn = p;
    do {
      rn++;
      term *= x / rn;
      gin += term;
    } while (term > accurate);
    gin *= factor / p;
    return gin;
  }
  // Continued fraction.
  double a = 1 - p;
  double b = a + x + 1;
  double pn[6];
  term = 0;
  pn[0] = 1;
  pn[1] = x;
  pn[2] = x + 1;
  pn[3] = x * b;
  gin = pn[2] / pn[3];
  for (;;) {
    a++;
    b += 2;
    term++;
    const double an = a * term;
    for (int i = 0; i < 2; i++) pn[i + 4] = b * pn[i + 2] - an * pn[i];
    if (pn[5] != 0) {
      rn = pn[4] / pn[5];
      const double dif = std::fabs(gin - rn);
      if (dif <= accurate && dif <= accurate * rn) break;
      gin = rn;
    }
    for (int i = 0; i < 4; i++) pn[i] = pn[i + 2];
    if (std::fabs(pn[4]) >= overflow) {
      for (int i = 0; i < 4; i++) pn[i] /= overflow;
    }
  }
  return 1 - factor * gin;
}

double normal_percentage_point(double prob) {
  const double a0 = -.322232431088, a1 = -1, a2 = -.342242088547, a3 = -.0204231210245;
  const double a4 = -.453642210148e-4, b0 = .0993484626060, b1 = .588581570495;
  const double b2 = .531103462366, b3 = .103537752850, b4 = .0038560700634;
  const double p = prob;
  const double p1 = p < 0.5 ? p : 1 - p;
  if (p1 < 1e-20) return -9999;
  const double y = std::sqrt(std::log(1 / (p1 * p1)));
  const double z = y + ((((y * a4 + a3) * y + a2) * y + a1) * y + a0) /
                           ((((y * b4 + b3) * y + b2) * y + b1) * y + b0);
  return p < 0.5 ? -z : z;
}

double chi2_percentage_point(double prob, double v, std::ostream& log) {
  const double e = .5e-6, aa = .6931471805;
  const double p = prob;
  double ch, a = 0, q = 0, p1 = 0, p2 = 0, t = 0, x = 0, b = 0;

  if (p < .000002 || p > .999998 || v <= 0) return -1;

  const double g = ln_gamma_stirling(v / 2);
  const double xx = v / 2;
  const double c = xx - 1;
  if (v < -1.24 * std::log(p)) {
    ch = std::pow((p * xx * std::exp(g + xx * aa)), 1 / xx);
    if (ch - e < 0) return ch;
  } else if (v <= .32) {
    ch = 0.4;
    a = std::log(1 - p);
    do {
      q = ch;
      p1 = 1 + ch * (4.67 + ch);
      p2 = ch * (6.73 + ch * (6.66 + ch));
      t = -0.5 + (4.67 + 2 * ch) / p1 - (6.73 + ch * (13.32 + 3 * ch)) / p2;
      ch -= (1 - std::exp(a + g + .5 * ch + c * aa) * p2 / p1) / t;
    } while (std::fabs(q / ch - 1) - .01 > 0);
  } else {
    x = normal_percentage_point(p);
    p1 = 0.222222 / v;
    ch = v * std::pow((x * std::sqrt(p1) + 1 - p1), 3.0);
    if (ch > 2.2 * v + 6) ch = -2 * (std::log(1 - p) - c * std::log(.5 * ch) + g);
  }
  do {
    q = ch;
    p1 = .5 * ch;
    if ((t = IncompleteGamma(p1, xx, g)) < 0) {
      log << "\nerr IncompleteGamma\n";
      return -1;
    }
    p2 = p - t;
    t = p2 * std::exp(xx * aa + g + p1 - c * std::log(ch));
    b = t / ch;
    a = 0.5 * t - b * c;

    const double s1 = (210 + a * (140 + a * (105 + a * (84 + a * (70 + 60 * a))))) / 2520;
    const double s2 = (420 + a * (735 + a * (966 + a * (1141 + 1278 * a)))) / 5040;
    const double s3 = (210 + a * (462 + a * (707 + 932 * a))) / 2520;
    const double s4 = (252 + a * (672 + 1182 * a) + c * (294 + a * (889 + 1740 * a))) / 5040;
    const double s5 = (84 + 264 * a + c * (175 + 606 * a)) / 2520;
    const double s6 = (120 + c * (346 + 127 * c)) / 5040;
    ch +=
        t * (1 + 0.5 * t * s1 - b * c * (s1 - b * (s2 - b * (s3 - b * (s4 - b * (s5 - b * s6))))));
  } while (std::fabs(q / ch - 1) > e);
  return ch;
}

int discrete_gamma_rates(double rK[], double alpha, double beta, int K, bool use_median,
                         std::ostream& log) {
  if (K < 1) return 0;
  const double factor = alpha / beta * K;
  if (use_median) {
    const double gap05 = 1.0 / (2.0 * K);
    for (int i = 0; i < K; i++)
      rK[i] = gamma_percentage_point((i * 2.0 + 1) * gap05, alpha, beta, log);
    double t = 0;
    for (int i = 0; i < K; i++) t += rK[i];
    for (int i = 0; i < K; i++) rK[i] *= factor / t;
  } else {
    // Boundaries, then the cumulative masses of shape α + 1 at them, then differences.
    const double lnga1 = ln_gamma_stirling(alpha + 1);
    for (int i = 0; i < K - 1; i++) rK[i] = gamma_percentage_point((i + 1.0) / K, alpha, beta, log);
    for (int i = 0; i < K - 1; i++) rK[i] = IncompleteGamma(rK[i] * beta, alpha + 1, lnga1);
    rK[K - 1] = 1;
    for (int i = K - 1; i > 0; i--) {
      rK[i] -= rK[i - 1];
      rK[i] *= factor;
    }
    rK[0] *= factor;
  }
  return 0;
}

int MultiNomial(TRandom& random, int n, int ncat, const double prob[], int counts[],
                double work[]) {
  if (ncat < 1) return 0;
  const int ncrude = 5;
  const bool crude = ncat > 20;
  int lcrude[ncrude] = {};
  const double* pcdf = prob;
  if (work != nullptr) {
    for (int i = 0; i < ncat; i++) work[i] = prob[i];
    for (int i = 1; i < ncat; i++) work[i] += work[i - 1];
    pcdf = work;
  }
  for (int i = 0; i < ncat; i++) counts[i] = 0;
  if (std::fabs(pcdf[ncat - 1] - 1) > 1e-5) random.log() << "sum P!=1 in MultiNomial\n";
  if (crude) {
    // First category worth testing for each slice [j/5, (j+1)/5): one before the first whose
    // cumulative probability reaches j/5 (kept inside the array; starting earlier is harmless).
    int i = 0;
    lcrude[0] = 0;
    for (int j = 1; j < ncrude; j++) {
      while (i < ncat - 1 && pcdf[i] < static_cast<double>(j) / ncrude) i++;
      lcrude[j] = std::max(i - 1, 0);
    }
  }
  for (int i = 0; i < n; i++) {
    const double r = random.uniform_wh();
    int j = 0;
    if (crude) {
      for (; j < ncrude - 1; j++)
        if (r < (j + 1.) / ncrude) break;
      j = lcrude[j];
    }
    for (; j < ncat - 1; j++)
      if (r < pcdf[j]) break;
    counts[j]++;
  }
  return 0;
}

int site_rates_from_gamma(TRandom& random, double rates[], double alpha, int K, int count,
                          bool cumulative, double work[]) {
  if (alpha == 0) {
    for (int h = 0; h < count; h++) rates[h] = 1;
  } else if (K >= 2) {
    std::vector<double> rK(static_cast<std::size_t>(K));
    std::vector<double> freqK(static_cast<std::size_t>(K), 1.0 / K);
    std::vector<int> counts(static_cast<std::size_t>(K));
    std::vector<double> ownWork;
    if (work == nullptr) {
      ownWork.resize(static_cast<std::size_t>(K));
      work = ownWork.data();
    }
    discrete_gamma_rates(rK.data(), alpha, alpha, K, false, random.log());
    MultiNomial(random, count, K, freqK.data(), counts.data(), work);
    int h = 0;
    for (int ir = 0; ir < K; ir++)
      for (int j = 0; j < counts[static_cast<std::size_t>(ir)]; j++)
        rates[h++] = rK[static_cast<std::size_t>(ir)];
  } else {
    for (int h = 0; h < count; h++) rates[h] = random.gamma_dev_wh(alpha) / alpha;
  }
  if (cumulative && count > 0) {
    for (int h = 1; h < count; h++) rates[h] += rates[h - 1];
    const double total = rates[count - 1];
    for (int h = 0; h < count; h++) rates[h] /= total;
  }
  return 0;
}

void sorted_site_rates_from_gamma(TRandom& random, double out[], int count, double alpha, int K) {
  if (count <= 0) return;
  double* rates = allocate_or_exit(random.log(), static_cast<std::size_t>(count));
  double* work = allocate_or_exit(random.log(), static_cast<std::size_t>(std::max(K, 1)));
  site_rates_from_gamma(random, rates, alpha, K, count, false, work);
  std::sort(rates, rates + count);
  std::copy(rates, rates + count, out);
  delete[] work;
  delete[] rates;
}

void gamma_quantiles_by_sampling(TRandom& random, double out[], int count, double a) {
  constexpr int kDraws = 1000000;
  if (count <= 0) return;
  double* values = allocate_or_exit(random.log(), kDraws);
  for (int i = 0; i < kDraws; i++) values[i] = random.gamma_dev(a);
  std::sort(values, values + kDraws);
  const int step = kDraws / count;
  for (int i = 0; i < count; i++) {
    const long long index = step / 2 + static_cast<long long>(i) * step;
    if (index >= kDraws) break;
    out[i] = values[index];
  }
  delete[] values;
}

}  // namespace orvantis
