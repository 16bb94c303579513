#include "settings/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

#include "support/scratch_dir.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

// The two keys that every load requires.
constexpr const char* kModel1 = "DoublePopulationMode=0\nChosenDemographicModel=1\n";

class SettingsFileTest : public ::testing::Test {
 protected:
  // Writes the file and loads it into the store, tables filled.
  void loadText(const std::string& content, const std::string& name = "settings.txt") {
    settings_.reset();
    settings_.load(dir_.write(name, content).c_str());
    settings_.fillTables();
  }
  std::string value(const char* key) { return settings_.textValue(key).str(); }

  testing::ScratchDir dir_;
  std::ostringstream log_;
  TExtendedSettings settings_{log_};
};

TEST_F(SettingsFileTest, LineSyntax) {
  loadText(std::string(kModel1) +
           "# a whole-line comment\n"
           "\n"
           "   \t  \n"
           "  GenerationTime \t =   25  \t # years per generation\n"
           "PresVegetationFile = maps\\present veg.asc\n"
           "Formula = a = b\n"
           "Foo\n"
           "EmptyValue =   # nothing left\n"
           " = orphan value\n"
           "GrowthRate=0.1\n"
           "GrowthRate=0.35\n"
           "Hash#=ignored\n"
           "LastLine=kept");
  EXPECT_EQ(value("GenerationTime"), "25");
  EXPECT_EQ(value("PresVegetationFile"), "maps\\present veg.asc");
  EXPECT_EQ(value("Formula"), "a = b");
  EXPECT_EQ(value("Foo"), "Foo");  // a line without '=' is its own value
  EXPECT_FALSE(settings_.hasKey("EmptyValue"));
  EXPECT_FALSE(settings_.hasKey(""));
  EXPECT_EQ(value("Hash"), "Hash");
  EXPECT_EQ(value("LastLine"), "kept");
  EXPECT_DOUBLE_EQ(settings_.realParameter(RealParam::GrowthRate, true), 0.35);  // the last wins
  EXPECT_EQ(settings_.intParameter(IntParam::GenerationTime, true), 25);
  EXPECT_FALSE(settings_.hasKey("generationtime"));  // keys are case-sensitive

  loadText(
      "DoublePopulationMode=0\r\nChosenDemographicModel=1\r\nVeg2KFile = k.txt \r\n"
      "EndTime=100\r\nSampleFile=s.sam\r");
  EXPECT_EQ(value("Veg2KFile"), "k.txt");
  EXPECT_EQ(settings_.fileParameter(FileParam::SampleFile).str(), "s.sam");
  EXPECT_EQ(settings_.intParameter(IntParam::EndTime), 100);
}

TEST_F(SettingsFileTest, UndefinedAndNonNumericValues) {
  loadText(std::string(kModel1) +
           "EndTime=-9999\nGrowthRate=-9999.0\nGenerationTime=abc\nMigrationRate=abc\n"
           "TauValue=12abc\nNumIndeLoci=99999999999\nAncestralSize=-99999999999\n");
  EXPECT_EQ(settings_.rawInt(IntParam::EndTime), kUndefinedInt);
  EXPECT_EQ(settings_.intParameter(IntParam::EndTime), 0);
  EXPECT_EQ(testing::thrownMessage([&] { settings_.intParameter(IntParam::EndTime, true); }),
            "The parameter 'EndTime' is not defined in the inputfile!");
  EXPECT_DOUBLE_EQ(settings_.realParameter(RealParam::GrowthRate), 0.0);
  EXPECT_THROW(settings_.realParameter(RealParam::GrowthRate, true), TException);
  // Non-numeric text: -1 for an integer, 0 for a real; neither counts as undefined.
  EXPECT_EQ(settings_.intParameter(IntParam::GenerationTime, true), -1);
  EXPECT_DOUBLE_EQ(settings_.realParameter(RealParam::MigrationRate, true), 0.0);
  EXPECT_EQ(settings_.intValue("GenerationTime"), -1);
  EXPECT_EQ(settings_.intParameter(IntParam::TauValue), 12);
  // Numbers beyond the int range saturate instead of wrapping.
  EXPECT_EQ(settings_.intParameter(IntParam::NumIndeLoci), INT_MAX);
  EXPECT_EQ(settings_.intParameter(IntParam::AncestralSize), INT_MIN);
}

TEST_F(SettingsFileTest, MissingKeysAreNamedInTheMessage) {
  loadText(std::string(kModel1) +
           "heterogeneityGenerations=5\nHeterogeneityGenerations=6\nGrowthRate=0.5\n");
  // Table entries whose key is not spelt as their name.
  EXPECT_EQ(testing::thrownMessage([&] { settings_.intParameter(IntParam::DispersalModel, true); }),
            "The parameter 'S_DispersalModel' is not defined in the inputfile!");
  EXPECT_EQ(testing::thrownMessage(
                [&] { settings_.realParameter(RealParam::CoastFrictionChangeFactor, true); }),
            "The parameter 'coastFrictionChangeFactor' is not defined in the inputfile!");
  EXPECT_EQ(
      testing::thrownMessage([&] { settings_.fileParameter(FileParam::Veg2AdmixFile, true); }),
      "The parameter 'veg2AdmixFile' is not defined in the inputfile!");
  // No key of the file reaches the heterogeneity-generations entry.
  EXPECT_EQ(settings_.rawInt(IntParam::HeterogeneityGenerations), kUndefinedInt);

  EXPECT_EQ(settings_.textValue("Missing").str(), "");
  EXPECT_EQ(settings_.intValue("Missing"), 0);
  EXPECT_EQ(testing::thrownMessage([&] { settings_.realValue("Missing", true); }),
            "The parameter 'Missing' is not defined in the inputfile!");
  EXPECT_THROW(settings_.textValue("Missing", true), TException);
  // Read flags: cleared by the load, set by a by-name read.
  EXPECT_FALSE(settings_.wasRead("GrowthRate"));
  EXPECT_DOUBLE_EQ(settings_.realValue("GrowthRate", true), 0.5);
  EXPECT_TRUE(settings_.wasRead("GrowthRate"));
  EXPECT_TRUE(settings_.wasRead("DoublePopulationMode"));  // read by the load itself
}

TEST_F(SettingsFileTest, ValuesPersistAcrossLoads) {
  loadText(std::string(kModel1) + "Veg2mFile=m.txt\nEndTime=100\n", "first.txt");
  loadText("EndTime=200\n", "second.txt");
  EXPECT_EQ(value("Veg2mFile"), "m.txt");
  EXPECT_EQ(settings_.fileParameter(FileParam::Veg2mFile).str(), "m.txt");
  EXPECT_EQ(settings_.intParameter(IntParam::EndTime), 200);
  EXPECT_EQ(settings_.settingsPath().str(), dir_.path("second.txt"));
  // reset makes every entry undefined but keeps the values.
  settings_.reset();
  EXPECT_EQ(settings_.rawInt(IntParam::EndTime), kUndefinedInt);
  EXPECT_TRUE(settings_.hasKey("EndTime"));
}

TEST_F(SettingsFileTest, FilesThatCannotBeOpenedOrLackTheRequiredKeys) {
  const std::string missing = "no\\such\\settings.txt";
  EXPECT_EQ(testing::thrownMessage([&] { settings_.load(missing.c_str()); }),
            "Inputfile '" + missing + "' could not be opened!");
  // A directory opens as a stream on some systems but is no settings file.
  EXPECT_THROW(settings_.load(dir_.path("").c_str()), TException);
  EXPECT_EQ(testing::thrownMessage([&] { loadText("EndTime=1\n"); }),
            "The parameter 'DoublePopulationMode' is not defined in the inputfile!");
  EXPECT_EQ(testing::thrownMessage([&] { loadText("DoublePopulationMode=0\n", "other.txt"); }),
            "The parameter 'ChosenDemographicModel' is not defined in the inputfile!");

  // A path written with backslashes is read all the same.
  std::string path = dir_.write("backslashed.txt", std::string(kModel1) + "EndTime=7");
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  settings_.load(path.c_str());
  EXPECT_EQ(settings_.intValue("EndTime"), 7);
}

TEST_F(SettingsFileTest, LddModelWithoutLddParameters) {
  loadText(
      "DoublePopulationMode=0\nChosenDemographicModel=14\nGammaShapeParamAllCells=2\n"
      "GammaScaleParamAllCells=0.5\n");
  EXPECT_EQ(log_.str(),
            "\tWARNING: At least one LDD parameters has not been defined !\n"
            "\tGlobal migration rate is used !\n"
            "\tGlobal admixture rate is used !\n");
  EXPECT_FALSE(settings_.lddKernelAllCellsReady());
  EXPECT_EQ(settings_.lddKernelAllCells().type(), TDistributionSettings::kUnknown);
}

TEST_F(SettingsFileTest, LddKernelsAndDynamicRates) {
  loadText(
      "DoublePopulationMode=0\nChosenDemographicModel=55\nLDDProportion=0.01\n"
      "GammaShapeParamAllCells=1.5\nGammaScaleParamAllCells=0.25\n"
      "Veg2mFile=m.txt\nmMapFile=m.asc\nVeg2AdmixFile=a.txt\nAdmixMapFile=a.asc\n");
  EXPECT_EQ(log_.str(),
            "\tDynamic migration rates are used !\n"
            "\tDynamic admixture rates are used !\n");
  EXPECT_FALSE(settings_.globalMigration());
  const TDistributionSettings& kernel = settings_.lddKernelAllCells();
  ASSERT_TRUE(settings_.lddKernelAllCellsReady());
  EXPECT_EQ(kernel.type(), TDistributionSettings::kGamma2P);
  ASSERT_EQ(kernel.parameter_count(), 2);
  EXPECT_DOUBLE_EQ(kernel.parameter(0), 1.5);
  EXPECT_DOUBLE_EQ(kernel.parameter(1), 0.25);  // the divisor, not inverted
  EXPECT_FALSE(settings_.lddKernelCoastReady());

  // The coast kernel needs its own shape and scale once LDDProportionCoast is given.
  EXPECT_EQ(testing::thrownMessage(
                [&] { loadText("LDDProportionCoast=0.02\nGammaScaleParamCoast=3\n", "c"); }),
            "The parameter 'GammaShapeParamCoast' is not defined in the inputfile!");
  loadText("GammaShapeParamCoast=4\n", "coast2.txt");
  ASSERT_TRUE(settings_.lddKernelCoastReady());
  ASSERT_EQ(settings_.lddKernelCoast().parameter_count(), 2);
  EXPECT_DOUBLE_EQ(settings_.lddKernelCoast().parameter(0), 4.0);
  EXPECT_DOUBLE_EQ(settings_.lddKernelCoast().parameter(1), 3.0);
  // A reload sets the kernels up afresh instead of appending parameters.
  EXPECT_EQ(settings_.lddKernelAllCells().parameter_count(), 2);
}

TEST_F(SettingsFileTest, ModelsWithoutLdd) {
  loadText(
      "DoublePopulationMode=0\nChosenDemographicModel=14\nLDDProportion=0.01\n"
      "GammaShapeParamAllCells=1.5\nGammaScaleParamAllCells=0.25\nVeg2mFile=m.txt\n"
      "mMapFile=m.asc\n",
      "ldd.txt");
  ASSERT_TRUE(settings_.lddKernelAllCellsReady());
  ASSERT_FALSE(settings_.globalMigration());
  const std::string warning = "\tWARNING: This model does not allow LDD and Dynamic migration !\n";
  // Model 2 warns whatever LDD keys exist, leaves the migration switch alone and drops the
  // kernel of the earlier file.
  log_.str("");
  loadText("ChosenDemographicModel=2\n", "model2.txt");
  EXPECT_EQ(log_.str(), warning);
  EXPECT_FALSE(settings_.globalMigration());
  EXPECT_FALSE(settings_.lddKernelAllCellsReady());
  // A long-distance model run with two populations gets the same warning.
  log_.str("");
  loadText("ChosenDemographicModel=14\nDoublePopulationMode=1\n", "twopops.txt");
  EXPECT_EQ(log_.str(), warning);
}

}  // namespace
}  // namespace orvantis
