#include "world/demography/baird_rates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace orvantis {
namespace {

TEST(BairdMigrationRateTest, PlainRateForOneGenerationAndTheTwoFormsMeetAtFifty) {
  EXPECT_DOUBLE_EQ(bairdMigrationRate(0.3, 1.0), 0.3);
  EXPECT_NEAR(bairdMigrationRate(0.3, 50.0), 0.31053, 5e-6);
  EXPECT_NEAR(bairdMigrationRate(0.3, 51.0), 0.31050, 5e-6);
  // Far from the end the rate tends to the infinite-lattice limit 2 / (pi (5m² - 8m + 4)).
  EXPECT_NEAR(bairdMigrationRate(0.3, 1e6), 2.0 / (3.141592653589793 * (0.45 - 2.4 + 4.0)), 1e-9);
}

TEST(BairdRatesTest, LastGenerationUsesThePlainRate) {
  const std::vector<float> rates = bairdRates(0.3, 100);
  ASSERT_EQ(rates.size(), 101u);
  EXPECT_EQ(rates[0], -999.0f);
  EXPECT_EQ(rates[50], static_cast<float>(bairdMigrationRate(0.3, 51.0)));
  EXPECT_EQ(rates[100], 0.3f);
}

}  // namespace
}  // namespace orvantis
