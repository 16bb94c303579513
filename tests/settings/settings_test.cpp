#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

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
           "  GenerationTime \t =   25  \t # years per generation\n"
           "Formula = a = b\n"
           "Foo\n"
           "EmptyValue =   # nothing left\n"
           "GrowthRate=0.1\n"
           "GrowthRate=0.35\r\n"
           "LastLine=kept");
  EXPECT_EQ(value("GenerationTime"), "25");
  EXPECT_EQ(value("Formula"), "a = b");
  EXPECT_EQ(value("Foo"), "Foo");  // a line without '=' is its own value
  EXPECT_FALSE(settings_.hasKey("EmptyValue"));
  EXPECT_EQ(value("LastLine"), "kept");
  EXPECT_DOUBLE_EQ(settings_.realParameter(RealParam::GrowthRate, true), 0.35);  // the last wins
  EXPECT_FALSE(settings_.hasKey("generationtime"));  // keys are case-sensitive
}

TEST_F(SettingsFileTest, UndefinedAndNonNumericValues) {
  loadText(std::string(kModel1) +
           "EndTime=-9999\nGrowthRate=-9999.0\nGenerationTime=abc\nMigrationRate=abc\n"
           "NumIndeLoci=99999999999\n");
  EXPECT_EQ(settings_.rawInt(IntParam::EndTime), kUndefinedInt);
  EXPECT_EQ(settings_.intParameter(IntParam::EndTime), 0);
  EXPECT_EQ(testing::thrownMessage([&] { settings_.intParameter(IntParam::EndTime, true); }),
            "The parameter 'EndTime' is not defined in the inputfile!");
  EXPECT_THROW(settings_.realParameter(RealParam::GrowthRate, true), TException);
  // Non-numeric text: -1 for an integer, 0 for a real; neither counts as undefined.
  EXPECT_EQ(settings_.intParameter(IntParam::GenerationTime, true), -1);
  EXPECT_DOUBLE_EQ(settings_.realParameter(RealParam::MigrationRate, true), 0.0);
  EXPECT_EQ(settings_.intParameter(IntParam::NumIndeLoci), INT_MAX);  // saturates, not wraps
  // Table entries whose key is not spelt as their name are named by their key.
  EXPECT_EQ(testing::thrownMessage([&] { settings_.intParameter(IntParam::DispersalModel, true); }),
            "The parameter 'S_DispersalModel' is not defined in the inputfile!");
}

// A numeric value whose text is not a number keeps the value the store gives, and logs one
// WARNING line naming the key and the text, however often the value is read or the file loaded;
// the warnings wait for the user interface until taken.
TEST_F(SettingsFileTest, TextThatIsNotANumberIsWarnedAboutOnce) {
  const std::string file = std::string(kModel1) +
                           "MigrationRate=\x01"
                           "0.3\nEndTime=abc\nGrowthRate=0.5e\nGenerationTime=25 years\n"
                           "LDDProportion=nan\nRealBPTime=-25000\nNotAKeyOfAnyTable=abc\n";
  loadText(file);
  settings_.fillTables();
  EXPECT_DOUBLE_EQ(settings_.realParameter(RealParam::MigrationRate, true), 0.0);
  EXPECT_EQ(settings_.intParameter(IntParam::EndTime, true), -1);
  EXPECT_DOUBLE_EQ(settings_.realParameter(RealParam::GrowthRate, true), 0.5);
  EXPECT_EQ(settings_.intParameter(IntParam::GenerationTime, true), 25);
  EXPECT_EQ(settings_.realValue("MigrationRate"), 0.0);
  const std::vector<std::string> expected = {
      "the value 'abc' of EndTime is not a number: it reads as -1",
      "the value '25 years' of GenerationTime is not a number: only its beginning is read, as 25",
      "the value '0.5e' of GrowthRate is not a number: only its beginning is read, as 0.5",
      "the value '\x01"
      "0.3' of MigrationRate is not a number: it reads as 0",
  };
  EXPECT_EQ(settings_.takeWarnings(), expected);
  std::string logged;
  for (const std::string& warning : expected) logged += "\tWARNING: " + warning + "\n";
  EXPECT_CONTAINS(log_.str(), logged);
  // Loading the file again repeats nothing; a new text of a key is warned about.
  loadText(file + "EndTime=x1000\n");
  EXPECT_EQ(
      settings_.takeWarnings(),
      std::vector<std::string>{"the value 'x1000' of EndTime is not a number: it reads as 0"});
  EXPECT_EQ(settings_.takeWarnings(), std::vector<std::string>{});
}

TEST_F(SettingsFileTest, ValuesPersistAcrossLoads) {
  loadText(std::string(kModel1) + "Veg2mFile=m.txt\nEndTime=100\n", "first.txt");
  loadText("EndTime=200\n", "second.txt");
  EXPECT_EQ(settings_.fileParameter(FileParam::Veg2mFile).str(), "m.txt");
  EXPECT_EQ(settings_.intParameter(IntParam::EndTime), 200);
  EXPECT_EQ(settings_.settingsPath().str(), dir_.path("second.txt"));
}

TEST_F(SettingsFileTest, FilesThatCannotBeOpenedOrLackTheRequiredKeys) {
  const std::string missing = "no\\such\\settings.txt";
  EXPECT_EQ(testing::thrownMessage([&] { settings_.load(missing.c_str()); }),
            "Inputfile '" + missing + "' could not be opened!");
  EXPECT_THROW(settings_.load(dir_.path("").c_str()), TException);  // a directory
  EXPECT_EQ(testing::thrownMessage([&] { loadText("DoublePopulationMode=0\n", "other.txt"); }),
            "The parameter 'ChosenDemographicModel' is not defined in the inputfile!");
}

// Values given over the file (the command's --set) count before the switches are derived: the
// number of populations, the lattice and the long-distance kernel follow them.
TEST_F(SettingsFileTest, OverridesTakePartInTheDerivedSwitches) {
  const std::string path =
      dir_.write("base.txt",
                 "DoublePopulationMode=0\nChosenDemographicModel=14\nLDDProportion=0.01\n"
                 "GammaShapeParamAllCells=2\nGammaScaleParamAllCells=0.5\n");
  settings_.load(path.c_str(), {{"LDDProportion", "0.2"}, {"AllowBairdEfficientLattice", "1"}});
  ASSERT_TRUE(settings_.lddKernelAllCellsReady());
  EXPECT_TRUE(settings_.efficientLattice());
  EXPECT_EQ(settings_.textValue("LDDProportion").str(), "0.2");

  settings_.load(path.c_str(), {{"DoublePopulationMode", "1"}, {"LGMVegetationFile", "lgm.asc"}});
  EXPECT_EQ(settings_.numberOfPopulations(), 2);
  EXPECT_TRUE(settings_.lgmVegetationPresent());
  EXPECT_FALSE(settings_.lddKernelAllCellsReady());  // no long-distance model with two
}

// Settings files written on other systems name files with a backslash as separator.
TEST_F(SettingsFileTest, PathWithBackslashes) {
  std::filesystem::create_directories(dir_.path("sub"));
  std::string path = dir_.write("sub/settings.txt", std::string(kModel1) + "EndTime=7\n");
  std::replace(path.begin(), path.end(), '/', '\\');
  settings_.load(path.c_str());
  EXPECT_EQ(settings_.intValue("EndTime"), 7);
}

TEST_F(SettingsFileTest, LddAndModelWarnings) {
  loadText(
      "DoublePopulationMode=0\nChosenDemographicModel=14\nGammaShapeParamAllCells=2\n"
      "GammaScaleParamAllCells=0.5\n",
      "incomplete.txt");
  EXPECT_EQ(log_.str(),
            "\tWARNING: At least one LDD parameters has not been defined !\n"
            "\tGlobal migration rate is used !\n"
            "\tGlobal admixture rate is used !\n");
  EXPECT_FALSE(settings_.lddKernelAllCellsReady());

  log_.str("");
  loadText(
      "LDDProportion=0.01\nGammaShapeParamAllCells=1.5\nGammaScaleParamAllCells=0.25\n"
      "Veg2mFile=m.txt\nmMapFile=m.asc\nVeg2AdmixFile=a.txt\nAdmixMapFile=a.asc\n");
  EXPECT_EQ(log_.str(),
            "\tDynamic migration rates are used !\n"
            "\tDynamic admixture rates are used !\n");
  ASSERT_TRUE(settings_.lddKernelAllCellsReady());
  EXPECT_EQ(settings_.lddKernelAllCells().type(), TDistributionSettings::kGamma2P);
  EXPECT_DOUBLE_EQ(settings_.lddKernelAllCells().parameter(1), 0.25);  // the divisor, not inverted

  // Model 2 warns whatever LDD keys exist and drops the kernel of the earlier file; so does a
  // long-distance model run with two populations.
  const std::string warning = "\tWARNING: This model does not allow LDD and Dynamic migration !\n";
  log_.str("");
  loadText("ChosenDemographicModel=2\n", "model2.txt");
  EXPECT_EQ(log_.str(), warning);
  EXPECT_FALSE(settings_.lddKernelAllCellsReady());
  log_.str("");
  loadText("ChosenDemographicModel=14\nDoublePopulationMode=1\n", "twopops.txt");
  EXPECT_EQ(log_.str(), warning);
}

}  // namespace
}  // namespace orvantis
