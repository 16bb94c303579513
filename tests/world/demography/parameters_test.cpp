#include "world/demography/parameters.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "foundation/exception.h"
#include "support/scratch_dir.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

class DemographicParametersTest : public ::testing::Test {
 protected:
  // Fresh settings loaded from `text` plus the keys every run needs (a second load into the
  // same store would keep the keys of the first).
  TExtendedSettings& load(const std::string& text) {
    const std::string path =
        dir.write("settings.txt", "EndTime=10\nGrowthRate=0.5\nMigrationRate=0.2\n" + text);
    store = std::make_unique<TExtendedSettings>(log);
    store->reset();
    store->load(path.c_str());
    store->fillTables();
    return *store;
  }

  // The message of the TException that reading the parameters throws.
  std::string refusal(const std::string& text) {
    return testing::thrownMessage([&] { TDemographicParameters::fromSettings(load(text)); });
  }

  testing::ScratchDir dir;
  std::ostringstream log;
  std::unique_ptr<TExtendedSettings> store;
};

const std::string kLdd =
    "DoublePopulationMode=0\nChosenDemographicModel=14\nLDDProportion=0.1\n"
    "GammaShapeParamAllCells=2\nGammaScaleParamAllCells=0.5\n";

TEST_F(DemographicParametersTest, LongDistanceModelTakesTheKernelAndItsLimits) {
  TDemographicParameters p = TDemographicParameters::fromSettings(load(kLdd));
  EXPECT_EQ(p.ldd.maxDistance, 0);  // no maximum
  EXPECT_EQ(p.ldd.attempts, 11);    // ten extra tries
  EXPECT_FALSE(p.ldd.perCellRates);
  // Every jump covers at least two cells: thresholds 0 and 1 mean 2.
  for (const auto& [threshold, distance] : {std::pair{1, 2}, {7, 7}}) {
    p = TDemographicParameters::fromSettings(
        load(kLdd + "LDD_max_treshold=" + std::to_string(threshold) + "\n"));
    EXPECT_EQ(p.ldd.maxDistance, distance) << threshold;
  }
  for (const auto& [tries, attempts] : {std::pair{0, 1}, {3, 4}}) {
    p = TDemographicParameters::fromSettings(
        load(kLdd + "LDDMaxNumTry=" + std::to_string(tries) + "\n"));
    EXPECT_EQ(p.ldd.attempts, attempts) << tries;
  }
}

TEST_F(DemographicParametersTest, LongDistanceModelWithoutItsKernelIsRefusedByName) {
  EXPECT_EQ(refusal("DoublePopulationMode=0\nChosenDemographicModel=15\nLDDProportion=0.1\n"
                    "GammaShapeParamAllCells=2\n"),
            "The long-distance dispersal of demographic model 15 needs the parameters "
            "LDDProportion, GammaShapeParamAllCells and GammaScaleParamAllCells; missing from the "
            "settings: GammaScaleParamAllCells.");
  EXPECT_CONTAINS(refusal("DoublePopulationMode=0\nChosenDemographicModel=55\n"),
                  "missing from the settings: LDDProportion, GammaShapeParamAllCells, "
                  "GammaScaleParamAllCells.");
}

TEST_F(DemographicParametersTest, LongDistanceValuesThatCannotRunAreRefused) {
  EXPECT_EQ(refusal(kLdd + "LDD_max_treshold=-1\n"),
            "LDD_max_treshold is the largest jump in cells and must not be negative (it is -1).");
  EXPECT_CONTAINS(refusal(kLdd + "LDDProportion=1.5\n"), "must lie between 0 and 1 (it is 1.5)");
  // A shape whose integer part does not fit the gamma draw's int.
  EXPECT_CONTAINS(refusal(kLdd + "GammaShapeParamAllCells=3.33333e+26\n"),
                  "GammaShapeParamAllCells, the shape of the jump kernel, must not exceed "
                  "2147483647");
  EXPECT_EQ(refusal(kLdd + "DoublePopulationMode=1\n"),
            "The long-distance dispersal of demographic model 14 simulates one population: "
            "DoublePopulationMode must be 0.");
}

const std::string kTwo =
    "DoublePopulationMode=1\nChosenDemographicModel=22\nGrowthRate_P2=0.4\n"
    "MigrationRate_P2=0.3\nMigrRate_P1_to_P2=0.05\nMigrRate_P2_to_P1=0.01\n";

TEST_F(DemographicParametersTest, TwoPopulationModelNeedsTwoPopulationsAndItsRates) {
  EXPECT_EQ(refusal("DoublePopulationMode=0\nChosenDemographicModel=24\n"),
            "The two-population demographic model 24 needs DoublePopulationMode = 1.");
  EXPECT_EQ(refusal(kTwo + "MigrRate_P2_to_P1=-0.1\n"),
            "MigrRate_P2_to_P1 is the rate of exchange from the second population to the first "
            "and must lie between 0 and 1 (it is -0.1).");
  EXPECT_EQ(TDemographicParameters::fromSettings(load(kTwo + "DelayedMigration=0.5\n"))
                .twoPopulations.delayedMigration,
            0.5);
}

// The models read these rates as proportions: outside 0 to 1 (NaN included) they would send
// more individuals than a deme holds, or a negative number of them. Each is refused by its key
// and value for every model that reads it; 0 and 1 run.
TEST_F(DemographicParametersTest, RatesReadAsProportionsMustLieBetweenZeroAndOne) {
  const std::string kOne = "DoublePopulationMode=0\nChosenDemographicModel=1\n";
  const std::string kStochastic = "DoublePopulationMode=0\nChosenDemographicModel=3\n";
  const std::pair<std::string, const char*> cases[] = {
      {kOne, "MigrationRate"},     {kStochastic, "MigrationRate"}, {kLdd, "MigrationRate"},
      {kLdd, "LDDProportion"},     {kTwo, "MigrationRate"},        {kTwo, "MigrationRate_P2"},
      {kTwo, "MigrRate_P1_to_P2"}, {kTwo, "MigrRate_P2_to_P1"},
  };
  for (const auto& [model, key] : cases) {
    for (const char* bad : {"-0.1", "5.1", "nan"}) {
      const std::string message = refusal(model + key + "=" + bad + "\n");
      EXPECT_STARTS_WITH(message, std::string(key) + " is ");
      EXPECT_CONTAINS(message, std::string(" must lie between 0 and 1 (it is ") + bad + ").");
    }
    for (const char* edge : {"0", "1"}) {
      EXPECT_EQ(refusal(model + key + "=" + edge + "\n"), "no exception") << key << "=" << edge;
    }
  }
}

// A key that the chosen model does not read may hold anything, and may be absent.
TEST_F(DemographicParametersTest, RatesTheModelDoesNotReadAreNotChecked) {
  EXPECT_EQ(refusal("DoublePopulationMode=0\nChosenDemographicModel=1\nMigrationRate_P2=7\n"
                    "MigrRate_P1_to_P2=-1\nLDDProportion=3\n"),
            "no exception");
  // With a migration-rate map the long-distance cells take their four rates from the table.
  EXPECT_EQ(refusal(kLdd + "Veg2mFile=m.txt\nmMapFile=m.asc\nMigrationRate=5\n"), "no exception");
  // An unknown model stops the run at its first generation with its own message.
  EXPECT_EQ(refusal("DoublePopulationMode=0\nChosenDemographicModel=99\nMigrationRate=5\n"),
            "no exception");
}

// Near a plain rate of 1 the efficient-lattice formula leaves 0..1 for a few generations; those
// rates are held within 0 and 1, with one warning.
TEST_F(DemographicParametersTest, EfficientLatticeRatesAreHeldWithinProportions) {
  const TDemographicParameters p = TDemographicParameters::fromSettings(
      load("DoublePopulationMode=0\nChosenDemographicModel=1\nMigrationRate=1\n"
           "AllowBairdEfficientLattice=1\n"));
  ASSERT_EQ(p.bairdRates.size(), 11u);
  for (int g = 1; g <= 10; ++g) {
    EXPECT_GE(p.migrationRateAt(g), 0.0f) << g;
    EXPECT_LE(p.migrationRateAt(g), 1.0f) << g;
  }
  EXPECT_EQ(p.migrationRateAt(10), 1.0f);
  EXPECT_CONTAINS(log.str(),
                  "WARNING: {World::SimulateWorld()} [with MigrationRate = 1 the efficient-lattice "
                  "migration rates of ");
  load(
      "DoublePopulationMode=0\nChosenDemographicModel=1\nMigrationRate=0.3\n"
      "AllowBairdEfficientLattice=1\n");
  log.str("");
  TDemographicParameters::fromSettings(*store);
  EXPECT_EQ(log.str(), "");
}

}  // namespace
}  // namespace orvantis
