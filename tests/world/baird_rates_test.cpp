#include "world/baird_rates.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvantis {
namespace {

TEST(BairdMigrationRateTest, OneGenerationKeepsThePlainRate) {
  EXPECT_DOUBLE_EQ(bairdMigrationRate(0.3, 1.0), 0.3);
  EXPECT_DOUBLE_EQ(bairdMigrationRate(0.3, 1.9), 0.3);
}

TEST(BairdMigrationRateTest, TheTwoFormsMeetAtFifty) {
  EXPECT_NEAR(bairdMigrationRate(0.3, 50.0), 0.31053, 5e-6);
  EXPECT_NEAR(bairdMigrationRate(0.3, 51.0), 0.31050, 5e-6);
}

TEST(BairdMigrationRateTest, TendsToTheInfiniteLatticeLimit) {
  const double m = 0.3;
  const double limit = 2.0 / (3.141592653589793 * (5.0 * m * m - 8.0 * m + 4.0));
  EXPECT_NEAR(bairdMigrationRate(m, 1e6), limit, 1e-9);
  EXPECT_LT(std::fabs(bairdMigrationRate(m, 1e4) - limit),
            std::fabs(bairdMigrationRate(m, 100.0) - limit));
}

TEST(BairdRatesTest, LastGenerationUsesThePlainRate) {
  const std::vector<float> rates = bairdRates(0.3, 100);
  ASSERT_EQ(rates.size(), 101u);
  EXPECT_EQ(rates[0], -999.0f);
  EXPECT_EQ(rates[100], 0.3f);
  EXPECT_EQ(rates[1], static_cast<float>(bairdMigrationRate(0.3, 100.0)));
  EXPECT_EQ(rates[50], static_cast<float>(bairdMigrationRate(0.3, 51.0)));
}

}  // namespace
}  // namespace orvantis
