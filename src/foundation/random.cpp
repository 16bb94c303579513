#include "foundation/random.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "foundation/sampler.h"

namespace orvantis {

void terminate_process(std::ostream& stream, const char* message, int status) {
  stream << message;
  stream.flush();
  std::cout.flush();
  std::exit(status);
}

double ln_gamma_lanczos(double xx) {
  static const double cof[6] = {76.18009172947146,  -86.50532032941677,    24.01409824083091,
                                -1.231739572450155, 0.1208650973866179e-2, -0.5395239384953e-5};
  double x = xx;
  double y = xx;
  double tmp = x + 5.5;
  tmp -= (x + 0.5) * std::log(tmp);
  double ser = 1.000000000190015;
  for (int j = 0; j <= 5; j++) ser += cof[j] / ++y;
  return std::log(2.5066282746310007 * ser / x) - tmp;
}

namespace {

// lnΓ(k+1) and ln k of the integers below the tables' size, each computed by the very call it
// replaces, so a lookup returns exactly what the call would. The Poisson and binomial deviates
// evaluate lnΓ at integers two or three times per rejection trial, and their means are mostly
// whole sizes; the lookups take most of that cost away without changing a single draw.
constexpr int kIntegerTableSize = 4096;

bool isTabulatedInteger(double x) {
  return x >= 0.0 && x < kIntegerTableSize && x == std::floor(x);
}

}  // namespace

struct TRandom::IntegerTables {
  double lnFactorial[kIntegerTableSize];  // ln_gamma_lanczos(k + 1.0)
  double ln[kIntegerTableSize];           // std::log(k)
};

const TRandom::IntegerTables& TRandom::integerTables() {
  static const IntegerTables tables = [] {
    IntegerTables t{};
    for (int k = 0; k < kIntegerTableSize; ++k) {
      t.lnFactorial[k] = ln_gamma_lanczos(k + 1.0);
      t.ln[k] = std::log(static_cast<double>(k));
    }
    return t;
  }();
  return tables;
}

// ln_gamma_lanczos(x + 1.0) and std::log(x), from the tables where x is a small integer.
inline double TRandom::lnGammaOfSuccessor(double x) const {
  return isTabulatedInteger(x) ? tables_->lnFactorial[static_cast<int>(x)]
                               : ln_gamma_lanczos(x + 1.0);
}

double TRandom::naturalLog(double x) const {
  return isTabulatedInteger(x) ? tables_->ln[static_cast<int>(x)] : std::log(x);
}

TRandom::TRandom(std::ostream& log, std::ostream& out)
    : log_(log), out_(&out), tables_(&integerTables()) {}

// ---------------------------------------------------------------------------------------------
// ran3 and its seeding

void TRandom::warmUpTable() {
  for (int k = 1; k <= 4; k++) {
    for (int i = 1; i <= 55; i++) {
      std::int64_t v = static_cast<std::int64_t>(ma_[i]) - ma_[1 + (i + 30) % 55];
      if (v < MZ) v += MBIG;
      ma_[i] = static_cast<std::int32_t>(v);
    }
  }
}

void TRandom::fillRan3Table(int& idum) {
  filled_ = true;
  // 64-bit intermediates; stored values wrap to 32 bits as the original's long did.
  const std::int64_t absIdum = idum < 0 ? -static_cast<std::int64_t>(idum) : idum;
  std::int64_t mj = (static_cast<std::int64_t>(MSEED) - absIdum) % MBIG;  // sign of dividend
  ma_[55] = static_cast<std::int32_t>(mj);
  std::int64_t mk = 1;
  for (int i = 1; i <= 54; i++) {
    const int ii = (21 * i) % 55;
    ma_[ii] = static_cast<std::int32_t>(mk);
    mk = mj - mk;
    if (mk < MZ) mk += MBIG;
    mj = ma_[ii];
  }
  warmUpTable();
  inext_ = 0;
  inextp_ = 31;
  idum = 1;
}

void TRandom::logStrangeRan3(double value) {
  log_ << " ** strange ran3:" << value << std::endl;
}

int TRandom::make_clock_seed() {
  if (fixedSeed_) return *fixedSeed_;
  // Processor ticks in milliseconds since the start of the process.
  const double c = static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  const std::int64_t r = std::rand() % 1000;
  const std::time_t t = std::time(nullptr);
  const auto mixed =
      static_cast<std::int64_t>(static_cast<double>(t) * 1.0 + static_cast<double>(r) * c);
  return static_cast<int>(mixed % (2000000 - r));
}

void TRandom::initialize_ran3(int seed) {
  log_ << "ORVANTIS 3.0 | Logfile" << '\n';
  log_ << "**************************" << '\n';
  int idum = seed >= 0 ? -make_clock_seed() : seed;
  seed_ = idum == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : -idum;
  log_ << "Random generator initialized with lidum=" << idum << "\n\n";
  *out_ << "Random generator initialized with seed=" << idum << "\n\n";
  ran3(idum);  // seeds the table; the value drawn is discarded
}

bool TRandomState::isValid() const {
  for (int i = 1; i <= 55; ++i) {
    if (table[i] < 0 || table[i] >= TRandom::MBIG) return false;
  }
  // The seeding draw has moved both cursors into 1..55.
  return next >= 1 && next <= 55 && nextp >= 1 && nextp <= 55 && wichmannHill[0] >= 1 &&
         wichmannHill[0] < 30269 && wichmannHill[1] >= 1 && wichmannHill[1] < 30307 &&
         wichmannHill[2] >= 1 && wichmannHill[2] < 30323 && table[0] == 0;
}

TRandomState TRandom::state() const {
  TRandomState s;
  s.seed = seed_;
  for (int i = 0; i < 56; ++i) s.table[i] = ma_[i];
  s.next = static_cast<std::int32_t>(inext_);
  s.nextp = static_cast<std::int32_t>(inextp_);
  s.wichmannHill[0] = whX_;
  s.wichmannHill[1] = whY_;
  s.wichmannHill[2] = whZ_;
  return s;
}

bool TRandom::restore(const TRandomState& s) {
  if (!s.isValid()) return false;
  seed_ = s.seed;
  for (int i = 0; i < 56; ++i) ma_[i] = s.table[i];
  inext_ = static_cast<std::size_t>(s.next);
  inextp_ = static_cast<std::size_t>(s.nextp);
  filled_ = true;
  whX_ = s.wichmannHill[0];
  whY_ = s.wichmannHill[1];
  whZ_ = s.wichmannHill[2];
  return true;
}

// ---------------------------------------------------------------------------------------------
// Integer deviates

int TRandom::uniform_index(int n) {
  int idum = 1;
  const int v = static_cast<int>(ran3(idum) * n);
  return v == n ? n - 1 : v;
}

// Rejections after which the single-precision Poisson and binomial deviates give up (see there).
// The acceptance of a sound draw is above one half, so such a draw never comes near.
constexpr int kMaxRejections = 10000;

float TRandom::poisson_dev(float xm, int& idum) {
  PoissonCacheF& c = poissonF_;
  float em;
  float t;
  float y;
  if (xm < 12.0) {
    if (xm != c.oldm) {
      c.oldm = xm;
      c.g = static_cast<float>(std::exp(-static_cast<double>(xm)));
    }
    em = -1;
    t = 1.0f;
    do {
      ++em;
      t = static_cast<float>(t * ran3(idum));
    } while (t > c.g);
  } else {
    if (xm != c.oldm) {
      c.oldm = xm;
      c.sq = static_cast<float>(std::sqrt(2.0 * xm));
      c.alxm = static_cast<float>(naturalLog(xm));
      c.g = static_cast<float>(xm * c.alxm - lnGammaOfSuccessor(xm));
    }
    int tries = 0;
    do {
      // Beyond some hundred million the single-precision terms lose whole units and the
      // acceptance can vanish; such a draw is made in double precision instead.
      if (++tries > kMaxRejections) {
        return static_cast<float>(poisson_dev(static_cast<double>(xm), idum));
      }
      do {
        y = static_cast<float>(std::tan(PI * ran3(idum)));
        em = c.sq * y + xm;
      } while (em < 0.0);
      em = std::floor(em);
      t = static_cast<float>(0.9 * (1.0 + y * y) *
                             std::exp(em * c.alxm - lnGammaOfSuccessor(em) - c.g));
    } while (ran3(idum) > t);
  }
  return em;
}

double TRandom::poisson_dev(double xm, int& idum) {
  PoissonCacheD& c = poissonD_;
  double em;
  double t;
  double y;
  if (xm < 12.0) {
    if (xm != c.oldm) {
      c.oldm = xm;
      c.g = std::exp(-xm);
    }
    em = -1;
    t = 1.0;
    do {
      ++em;
      t *= ran3(idum);
    } while (t > c.g);
  } else {
    if (xm != c.oldm) {
      c.oldm = xm;
      c.sq = std::sqrt(2.0 * xm);
      c.alxm = naturalLog(xm);
      c.g = xm * c.alxm - lnGammaOfSuccessor(xm);
    }
    do {
      do {
        y = std::tan(PI * ran3(idum));
        em = c.sq * y + xm;
      } while (em < 0.0);
      em = std::floor(em);
      t = 0.9 * (1.0 + y * y) * std::exp(em * c.alxm - lnGammaOfSuccessor(em) - c.g);
    } while (ran3(idum) > t);
  }
  return em;
}

float TRandom::binomial_dev(float pp, int n) {
  int& idum = binomialFloatSeed_;
  BinomialCacheF& c = binomialF_;
  const float p = static_cast<float>(pp <= 0.5 ? pp : 1.0 - pp);
  const float am = static_cast<float>(n) * p;
  float bnl;
  if (n < 25) {
    // Counted without a branch (the outcome of each comparison is a coin toss); the count
    // stays below 25 and so converts exactly.
    int successes = 0;
    for (int j = 1; j <= n; j++) successes += ran3(idum) < p ? 1 : 0;
    bnl = static_cast<float>(successes);
  } else if (am < 1.0) {
    const float g = static_cast<float>(std::exp(-static_cast<double>(am)));
    float t = 1.0f;
    int j;
    for (j = 0; j <= n; j++) {
      t = static_cast<float>(t * ran3(idum));
      if (t < g) break;
    }
    bnl = static_cast<float>(j <= n ? j : n);
  } else {
    if (n != c.nold) {
      c.en = static_cast<float>(n);
      c.oldg = static_cast<float>(lnGammaOfSuccessor(c.en));
      c.nold = n;
    }
    if (p != c.pold) {
      c.pc = static_cast<float>(1.0 - p);
      c.plog = static_cast<float>(std::log(static_cast<double>(p)));
      c.pclog = static_cast<float>(std::log(static_cast<double>(c.pc)));
      c.pold = p;
    }
    const float sq = static_cast<float>(std::sqrt(2.0 * am * c.pc));
    float em;
    float y;
    float t;
    int tries = 0;
    do {
      // In single precision lnΓ(n + 1) loses whole units once n reaches tens of millions, and
      // the acceptance can become so small that the draw would never end; such a draw is made
      // in double precision instead. Any n a study sees accepts long before.
      if (++tries > kMaxRejections) {
        return static_cast<float>(binomial_dev(static_cast<double>(pp), n, idum));
      }
      do {
        const float angle = static_cast<float>(PI * ran3(idum));
        y = static_cast<float>(std::tan(static_cast<double>(angle)));
        em = sq * y + am;
      } while (em < 0.0 || em >= (c.en + 1.0));
      em = std::floor(em);
      t = static_cast<float>(1.2 * sq * (1.0 + y * y) *
                             std::exp(c.oldg - lnGammaOfSuccessor(em) -
                                      lnGammaOfSuccessor(c.en - em) + em * c.plog +
                                      (c.en - em) * c.pclog));
    } while (ran3(idum) > t);
    bnl = em;
  }
  if (p != pp) bnl = static_cast<float>(n) - bnl;
  return bnl;
}

double TRandom::binomial_dev(double pp, int n, int& idum) {
  BinomialCacheD& c = binomialD_;
  const double p = pp <= 0.5 ? pp : 1.0 - pp;
  const double am = n * p;
  double bnl;
  if (n < 25) {
    int successes = 0;
    for (int j = 1; j <= n; j++) successes += ran3(idum) < p ? 1 : 0;
    bnl = successes;
  } else if (am < 1.0) {
    const double g = std::exp(-am);
    double t = 1.0;
    int j;
    for (j = 0; j <= n; j++) {
      t *= ran3(idum);
      if (t < g) break;
    }
    bnl = j <= n ? j : n;
  } else {
    if (n != c.nold) {
      c.en = n;
      c.oldg = lnGammaOfSuccessor(c.en);
      c.nold = n;
    }
    if (p != c.pold) {
      c.pc = 1.0 - p;
      c.plog = std::log(p);
      c.pclog = std::log(c.pc);
      c.pold = p;
    }
    const double sq = std::sqrt(2.0 * am * c.pc);
    double em;
    double y;
    double t;
    do {
      do {
        const double angle = PI * ran3(idum);
        y = std::tan(angle);
        em = sq * y + am;
      } while (em < 0.0 || em >= (c.en + 1.0));
      em = std::floor(em);
      t = 1.2 * sq * (1.0 + y * y) *
          std::exp(c.oldg - lnGammaOfSuccessor(em) - lnGammaOfSuccessor(c.en - em) + em * c.plog +
                   (c.en - em) * c.pclog);
    } while (ran3(idum) > t);
    bnl = em;
  }
  if (p != pp) bnl = n - bnl;
  return bnl;
}

// ---------------------------------------------------------------------------------------------
// Gamma and normal deviates from ran3

double TRandom::igamma_dev(int k) {
  int idum = 1;
  return igamma_dev(k, idum, log_);
}

double TRandom::gamma_dev(double a) {
  int idum = 1;
  return gamma_dev(a, idum, log_);
}

double TRandom::igamma_dev(int k, int& idum, std::ostream& errors) {
  if (k < 1) terminate_process(errors, "\nError: arg of igamma_dev was <1\n", 1);
  double x;
  if (k < 6) {
    x = 1.0;
    for (int j = 1; j <= k; j++) x *= ran3(idum);
    x = -std::log(x);
  } else {
    double am;
    double e;
    double s;
    double v1;
    double v2;
    double y;
    do {
      do {
        do {
          v1 = 2.0 * ran3(idum) - 1.0;
          v2 = 2.0 * ran3(idum) - 1.0;
        } while (v1 * v1 + v2 * v2 > 1.0);
        y = v2 / v1;
        am = k - 1;
        s = std::sqrt(2.0 * am + 1.0);
        x = s * y + am;
      } while (x <= 0.0);
      e = (1.0 + y * y) * std::exp(am * std::log(x / am) - s * y);
    } while (ran3(idum) > e);
  }
  return x;
}

double TRandom::gamma_dev(double a, int& idum, std::ostream& errors) {
  // !(a > 0) rather than a <= 0, so that a NaN shape fails the same way.
  if (!(a > 0.0)) terminate_process(errors, "\ngamma_dev: parameter must be positive\n", 1);
  // Beyond this the integer part would overflow igamma_dev's int.
  if (a > kLargestGammaShape) terminate_process(errors, "\ngamma_dev: parameter too large\n", 1);
  const int k = static_cast<int>(std::floor(a));
  const double f = a - k;
  double y = 0.0;
  if (k > 0) {
    y = igamma_dev(k, idum, errors);
    if (f == 0.0) return y;
  }
  // Ahrens-Dieter GS for the fractional shape f < 1.
  const double e = 2.718281828459045;
  const double b = (f + e) * std::exp(-1.0);
  double x;
  for (;;) {
    const double p = b * ran3(idum);
    if (p > 1) {
      x = -std::log((b - p) / f);
      if (ran3(idum) <= std::pow(x, f - 1)) break;
    } else {
      x = std::pow(p, 1.0 / f);
      if (ran3(idum) <= std::exp(-x)) break;
    }
  }
  return y + x;
}

double TRandom::normal_dev(int& idum) {
  double w1;
  double w2;
  double r;
  do {
    w1 = 2.0 * ran3(idum) - 1.0;
    w2 = 2.0 * ran3(idum) - 1.0;
    r = w1 * w1 + w2 * w2;
  } while (r >= 1.0 || r < 1e-30);
  return w1 * std::sqrt(-2.0 * std::log(r) / r);
}

// ---------------------------------------------------------------------------------------------
// Wichmann and Hill, and the gamma deviates built on it

double TRandom::uniform_wh() {
  whX_ = 171 * (whX_ % 177) - 2 * (whX_ / 177);
  whY_ = 172 * (whY_ % 176) - 35 * (whY_ / 176);
  whZ_ = 170 * (whZ_ % 178) - 63 * (whZ_ / 178);
  if (whX_ < 0) whX_ += 30269;
  if (whY_ < 0) whY_ += 30307;
  if (whZ_ < 0) whZ_ += 30323;
  const double r = whX_ / 30269.0 + whY_ / 30307.0 + whZ_ / 30323.0;
  return r - static_cast<int>(r);
}

double TRandom::gamma_dev_wh(double s) {
  if (s <= 0) {
    log_ << "gamma_dev_wh: the shape parameter must be positive\n";
    return 0;
  }
  if (s < 1) return gamma_wh_small(s);
  if (s > 1) return gamma_wh_large(s);
  return -std::log(uniform_wh());
}

// Dagpunar's switching method, shape < 1.
double TRandom::gamma_wh_small(double s) {
  GammaWhSmall& c = gammaWhSmall_;
  const double small = 1e-37;
  if (s != c.ss) {
    c.a = 1 - s;
    c.p = c.a / (c.a + s * std::exp(-c.a));
    c.uf = c.p * std::pow(small / c.a, s);
    c.d = c.a * std::log(c.a);
    c.ss = s;
  }
  double x = 0;
  double w;
  for (;;) {
    double r = uniform_wh();
    if (r > c.p) {
      x = c.a - std::log((1 - r) / (1 - c.p));
      w = c.a * std::log(x) - c.d;
    } else if (r > c.uf) {
      x = c.a * std::pow(r / c.p, 1 / s);
      w = x;
    } else {
      return 0;
    }
    r = uniform_wh();
    if (1 - r <= w && r > 0)
      if (r * (w + 1) >= 1 || -std::log(r) <= w) continue;
    break;
  }
  return x;
}

// Best's (1978) method, shape > 1.
double TRandom::gamma_wh_large(double s) {
  GammaWhLarge& c = gammaWhLarge_;
  if (s != c.ss) {
    c.b = s - 1;
    c.h = std::sqrt(3 * s - 0.75);
    c.ss = s;
  }
  double x;
  for (;;) {
    double r = uniform_wh();
    const double g = r - r * r;
    const double f = (r - 0.5) * c.h / std::sqrt(g);
    x = c.b + f;
    if (x <= 0) continue;
    r = uniform_wh();
    const double d = 64 * r * r * g * g * g;
    if (d * x < x - 2 * f * f || std::log(d) < 2 * (c.b * std::log(x / c.b) - f)) break;
  }
  return x;
}

double TRandom::sample(const TDistributionSettings& settings, int& idum) {
  return TSampler(*this).sample(settings, idum);
}

// ---------------------------------------------------------------------------------------------
// Independent streams

void TRandom::seedStream(std::uint64_t key) {
  std::uint64_t state = key;
  ma_[0] = 0;
  for (int i = 1; i <= 55; ++i) ma_[i] = static_cast<std::int32_t>(splitMix64(state) % MBIG);
  warmUpTable();
  inext_ = 0;
  inextp_ = 31;
  filled_ = true;
  whX_ = 1 + static_cast<int>(splitMix64(state) % 30268);
  whY_ = 1 + static_cast<int>(splitMix64(state) % 30306);
  whZ_ = 1 + static_cast<int>(splitMix64(state) % 30322);
  cellSeed_ = 1;
  binomialFloatSeed_ = 1;
  poissonF_ = PoissonCacheF();
  poissonD_ = PoissonCacheD();
  binomialF_ = BinomialCacheF();
  binomialD_ = BinomialCacheD();
  gammaWhSmall_ = GammaWhSmall();
  gammaWhLarge_ = GammaWhLarge();
}

}  // namespace orvantis
