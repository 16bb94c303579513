#include "settings/conversion_tables.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "foundation/exception.h"
#include "settings/dynamic_tables.h"
#include "settings/settings.h"
#include "support/scratch_dir.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

class ConversionTableTest : public ::testing::Test {
 protected:
  testing::ScratchDir dir_;
  std::ostringstream log_;
};

TEST_F(ConversionTableTest, KAndFTablesClassesOutOfRangeAndLabels) {
  const std::string file =
      dir_.write("k.txt", "1 400\tforest after a tab\n2\t250 grassland\n5 abc\n6\n7 900\n");
  TKTable k;
  ASSERT_EQ(readConversionTable_for_K(file.c_str(), k, log_), 1);
  // A class alone ends the table; map values no table can hold read as unlisted.
  const std::pair<int, int> expected[] = {{1, 400}, {2, 250}, {5, 0},
                                          {6, -1},  {7, -1},  {10001, -1}};
  for (const auto& [vegetation, K] : expected) EXPECT_EQ(k[vegetation], K) << vegetation;
  EXPECT_EQ(log_.str(), "");
  const std::string refused = dir_.write("k.txt", "10000 5 a\n10001 3 b\n");
  EXPECT_EQ(readConversionTable_for_K(refused.c_str(), k, log_), 0);
  EXPECT_STARTS_WITH(log_.str(),
                     "ImportExportUtils::readConversionTable_for_K() : ERROR: one of the "
                     "vegetation ID is greater than 10000\n");
  EXPECT_CONTAINS(log_.str(),
                  "readConversionTable_for_K() : Problems with adding K values in vector\n");
  EXPECT_CONTAINS(log_.str(), "line 2 of '" + refused + "'");
  log_.str("");
  const std::string negative = dir_.write("k.txt", "1 5 a\n-3 3 b\n");
  EXPECT_EQ(readConversionTable_for_K(negative.c_str(), k, log_), 0);
  EXPECT_STARTS_WITH(log_.str(),
                     "ImportExportUtils::readConversionTable_for_K() : ERROR: one of the "
                     "vegetation ID is negative\n");
  EXPECT_CONTAINS(log_.str(), "line 2 of '" + negative + "'");

  log_.str("");
  const std::string fFile = dir_.write(
      "f.txt", "1 0.25 forest\n10001 0.5 beyond\n3 0.75\tafter a tab\n4 0.9\n5 0.1 not read\n");
  TFTable f;
  ASSERT_EQ(readConversionTable_for_F(fFile.c_str(), f, log_), 1);
  EXPECT_FLOAT_EQ(f[3], 0.75f);
  EXPECT_FLOAT_EQ(f[4], -1.0f);  // no label: the table ends, the value is not stored
  EXPECT_FLOAT_EQ(f[5], -1.0f);
  EXPECT_STARTS_WITH(log_.str(),
                     "ImportExportUtils::readConversionTable_for_F() : WARNING: one of the "
                     "vegetation ID is greater than 10000\n");
  TMigrationTable m;
  ASSERT_EQ(
      readConversionTable_for_m(dir_.write("m.txt", "2 0.1 0.2 0.3 0.4 n\n").c_str(), m, log_), 1);
  EXPECT_FLOAT_EQ(m[2][MigrationDirection::West], 0.4f);
}

// Damaged table files end without a crash or a hang, and what is lost is reported.
TEST_F(ConversionTableTest, DamagedTableFiles) {
  for (const std::string& content :
       {std::string(), std::string("\x00\x01\xff\xfe garbage", 12), std::string("1 0.5"),
        std::string("1 1e400 overflow\n"), std::string(30000, '7')}) {
    const std::string file = dir_.write("damaged.txt", content);
    TKTable k;
    TFTable f;
    TMigrationTable m;
    TAdmixtureTable a;
    EXPECT_GE(readConversionTable_for_K(file.c_str(), k, log_), 0);
    EXPECT_GE(readConversionTable_for_F(file.c_str(), f, log_), 0);
    EXPECT_GE(readConversionTable_for_m(file.c_str(), m, log_), 0);
    EXPECT_GE(readConversionTable_for_Admix(file.c_str(), a, log_), 0);
  }
  log_.str("");
  TKTable k;
  ASSERT_EQ(
      readConversionTable_for_K(dir_.write("e.txt", "1 10 a\nx2 20 b\n3 30 c\n").c_str(), k, log_),
      1);
  EXPECT_EQ(k[3], -1);
  EXPECT_CONTAINS(log_.str(), "stops at line 2");
  TFTable f;
  EXPECT_EQ(readConversionTable_for_F(dir_.path("none.txt").c_str(), f, log_), 0);
  EXPECT_CONTAINS(log_.str(),
                  "ImportExportUtils::readConversionTable_for_F() : Cannot read one of the "
                  "conversion Tables\n");
}

class DynamicTablesTest : public ConversionTableTest {
 protected:
  void loadSettings(const std::string& lines, int populations = 1) {
    const std::string text = std::string("DoublePopulationMode=") + (populations == 2 ? "1" : "0") +
                             "\nChosenDemographicModel=" + (populations == 2 ? "21" : "1") + "\n" +
                             lines;
    settings_.reset();
    settings_.load(dir_.write("settings.txt", text).c_str());
    settings_.fillTables();
  }

  TExtendedSettings settings_{log_};
  TDynamicTables indexes_;
};

TEST_F(DynamicTablesTest, GenerationsMustIncrease) {
  const std::string k0 = dir_.write("k0.txt", "1 100 a\n");
  const std::string k1 = dir_.write("k1.txt", "1 200 a\n");
  const std::string k2 = dir_.write("k2.txt", "1 300 a\n");
  const std::string refused = dir_.write("i.txt", "3\n0 " + k0 + "\n500 " + k1 + "\n500 " + k2);
  EXPECT_EQ(
      testing::thrownMessage([&] { TDynamicTableIndex().read(refused.c_str(), TableKind::K); }),
      "Error: the generations in the corresponding table for K are not in an increasing "
      "order!");

  const std::string index =
      dir_.write("i.txt", "3\n0 " + k0 + " comment\r\n500 " + k1 + "\n1000 " + k2);
  loadSettings("Veg2KFile=" + index + "\n");
  initDynamicTables(settings_, indexes_);
  ASSERT_EQ(indexes_[TableKind::K].count(), 3);
  EXPECT_EQ(settings_.textValue("Veg2KFile").str(), k0);

  TConversionTables tables(1);
  ASSERT_EQ(readAllTables(1, indexes_, tables, log_), 1);
  EXPECT_EQ(tables.K(0)[1], 100);
  makeTableEntryCurrent(settings_, indexes_, TableKind::K, 1);
  ASSERT_EQ(readCurrentTable(TableKind::K, indexes_, tables, log_), 1);
  EXPECT_EQ(tables.K(0)[1], 200);
}

// Damaged index files are refused with the kind's message and the file's name.
TEST_F(DynamicTablesTest, DamagedIndexFiles) {
  std::string tooMany = "201\n";
  for (int i = 0; i < 201; ++i) tooMany += std::to_string(i) + " k.txt\n";
  const std::vector<std::pair<std::string, std::string>> damaged = {
      {tooMany, "lists 201 tables; at most 200 are allowed"},
      {std::string("\x00\xff\x01", 3), "does not begin with the number of tables"},
      {"-4\n0 k.txt\n", "lists no table"},
      {"3\n0 k.txt\n100 k.txt\n",
       "announces 3 tables but the generation of table 3 cannot be read"},
      {"1\n0", "gives no file name for table 1"},
  };
  for (const auto& [content, reason] : damaged) {
    SCOPED_TRACE(reason);
    const std::string path = dir_.write("veg2f_p2.txt", content);
    TDynamicTableIndex list;
    EXPECT_STARTS_WITH(
        testing::thrownMessage([&] { list.read(path.c_str(), TableKind::F_P2); }),
        "Problems with adding F values in vector for P2: the index file '" + path + "' " + reason);
    EXPECT_FALSE(list.inUse());
  }
}

}  // namespace
}  // namespace orvantis
