#include "genetics/mutation_rates.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "settings/settings.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

TEST(MutationRateSettingsTest, AbsentKeysMeanNoHeterogeneityAndBadValuesAreRefused) {
  std::ostringstream log;
  TSettings settings(log);
  double alpha = -1.0;
  int categories = -1;
  ASSERT_EQ(readMutationRateHeterogeneity(settings, log, alpha, categories), 1);
  EXPECT_EQ(alpha, 0.0);
  EXPECT_EQ(categories, 0);

  settings.setValue(kGammaShapeKey, "0.35");
  settings.setValue(kGammaCategoriesKey, "4");
  ASSERT_EQ(readMutationRateHeterogeneity(settings, log, alpha, categories), 1);
  EXPECT_EQ(alpha, 0.35);
  EXPECT_EQ(categories, 4);

  struct Case {
    const char* key;
    const char* value;
  };
  for (const Case c :
       {Case{kGammaShapeKey, "-0.5"}, Case{kGammaShapeKey, "abc"}, Case{kGammaShapeKey, "0.5x"},
        Case{kGammaShapeKey, "inf"}, Case{kGammaShapeKey, "3e9"}, Case{kGammaCategoriesKey, "2.5"},
        Case{kGammaCategoriesKey, "-1"}, Case{kGammaCategoriesKey, "1001"}}) {
    TSettings bad(log);
    bad.setValue(c.key, c.value);
    log.str("");
    EXPECT_EQ(readMutationRateHeterogeneity(bad, log, alpha, categories), 0) << c.value;
    EXPECT_EQ(alpha, 0.0);
    EXPECT_EQ(categories, 0);
    EXPECT_PRED_FORMAT2(testing::textContains, log.str(),
                        std::string("[the setting ") + c.key + " (" + c.value + ") must be");
  }
}

TEST(GammaRatesTest, RelativeRatesAreSortedWithMeanOne) {
  std::ostringstream log;
  TRandom random(log, log);
  random.setFixedSeed(3);
  random.initialize_ran3(1);
  TGammaRates rates;
  ASSERT_EQ(rates.build(12, 0.0, 4, random, log), 1);
  EXPECT_EQ(rates.size(), 0);  // no heterogeneity
  struct Case {
    int categories;
    std::size_t maxDistinct;
  };
  // Quantiles by sampling (K = 0), continuous draws (K = 1), four categories.
  for (const Case c : {Case{0, 12}, Case{1, 12}, Case{4, 4}}) {
    ASSERT_EQ(rates.build(12, 0.5, c.categories, random, log), 1);
    ASSERT_EQ(rates.size(), 12);
    double sum = 0.0;
    std::set<double> distinct;
    for (int k = 0; k < 12; ++k) {
      sum += rates.rate(k);
      distinct.insert(rates.rate(k));
      if (k > 0) {
        EXPECT_LE(rates.rate(k - 1), rates.rate(k)) << "K = " << c.categories;
      }
    }
    EXPECT_NEAR(sum, 12.0, 1e-9) << "K = " << c.categories;
    EXPECT_LE(distinct.size(), c.maxDistinct);
    EXPECT_GT(distinct.size(), 1u);
  }
  // The largest accepted shape still draws (all rates close to 1) in every mode.
  for (const int categories : {0, 1, 4}) {
    ASSERT_EQ(rates.build(12, kLargestGammaShape, categories, random, log), 1);
    for (int k = 0; k < 12; ++k) EXPECT_NEAR(rates.rate(k), 1.0, 1e-3) << "K = " << categories;
  }
}

}  // namespace
}  // namespace orvantis
