// The pieces of a batch that need no study run: the table, the mirror of the study folder, the
// plan of the rows and the memory rule.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/batch_mirror.h"
#include "cli/batch_plan.h"
#include "cli/batch_runner.h"
#include "cli/batch_seed.h"
#include "cli/batch_table.h"
#include "support/scratch_dir.h"
#include "world/database/state_db.h"

namespace {

namespace fs = std::filesystem;
using namespace orvantis;

class BatchPieces : public ::testing::Test {
 protected:
  bool read(const std::string& text, TBatchTable& table, std::string& error) {
    return readBatchTable(dir.write("t.tsv", text), table, error);
  }
  // "t.tsv, line N: ..." without the scratch folder.
  std::string shortError(const std::string& error) {
    const std::size_t at = error.find("t.tsv");
    return at == std::string::npos ? error : error.substr(at);
  }

  orvantis::testing::ScratchDir dir;
};

TEST_F(BatchPieces, TableReadsNamesSeedsAndKeysInAnyOrder) {
  TBatchTable table;
  std::string error;
  ASSERT_TRUE(
      read("# comment\nGrowthRate\tseed\tname\tEndTime\tSampleFile\n"
           "0.3\t17\tfirst\t100\tdata/a.sam\r\n\n0.5\t0\tsecond\t200\tb.sam\n",
           table, error))
      << error;
  EXPECT_EQ(table.keys, (std::vector<std::string>{"GrowthRate", "EndTime", "SampleFile"}));
  ASSERT_EQ(table.rows.size(), 2u);
  EXPECT_EQ(table.rows[0].seed, 17);
  EXPECT_EQ(table.rows[0].line, 3);
  EXPECT_EQ(table.rows[1].values, (std::vector<std::string>{"0.5", "200", "b.sam"}));
  // Without name and seed columns, blank-separated: names from the row numbers, no seeds.
  ASSERT_TRUE(read("GrowthRate  MigrationRate\n0.1 0.2\n0.3  0.4\n", table, error)) << error;
  EXPECT_EQ(table.rows[1].name, "row2");
  EXPECT_EQ(table.rows[1].seed, -1);
  EXPECT_FALSE(table.hasSeeds);
}

TEST_F(BatchPieces, BadTablesAreNamedByFileAndLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"name\tGrowthRat\nx\t1\n", "t.tsv, line 1: unknown settings key 'GrowthRat' in column 2"},
      {"name\tendtime\nx\t1\n",
       "t.tsv, line 1: unknown settings key 'endtime' in column 2 (did you mean 'EndTime'?)"},
      {"name\tEndTime\tEndTime\n", "t.tsv, line 1: a second column 'EndTime'"},
      {"name\t\tEndTime\n", "t.tsv, line 1: column 2 has no name"},
      {"name\tEndTime\nx\t1\ny\n", "t.tsv, line 3: 1 fields for 2 columns"},
      {"name\tEndTime\nx\t1\t2\n", "t.tsv, line 2: 3 fields for 2 columns"},
      {"name\tEndTime\nx\t1\nx\t2\n", "t.tsv, line 3: a second row named 'x'"},
      {"name\tEndTime\nx/../y\t1\n",
       "t.tsv, line 2: the row's name cannot name a folder: 'x/../y' "
       "holds a character other than letters, digits, '.', '_', '-'"},
      {"name\tEndTime\n.x\t1\n",
       "t.tsv, line 2: the row's name cannot name a folder: a name "
       "starting with '.'"},
      {"name\tEndTime\n\t1\n", "t.tsv, line 2: the row's name cannot name a folder: an empty name"},
      {"seed\tEndTime\n2000000\t1\n",
       "t.tsv, line 2: seed '2000000' is not an integer from 0 to 1999999"},
      {"seed\tEndTime\n-1\t1\n", "t.tsv, line 2: seed '-1' is not an integer from 0 to 1999999"},
      {"EndTime\n1.5\n", "t.tsv, line 2: EndTime: '1.5' is not an integer"},
      {"EndTime\n99999999999\n", "t.tsv, line 2: EndTime: '99999999999' is not an integer"},
      {"GrowthRate\nfast\n", "t.tsv, line 2: GrowthRate: 'fast' is not a number"},
      {"GrowthRate\tEndTime\n\t10\n", "t.tsv, line 2: GrowthRate: no value"},
      {"# only a comment\n",
       "t.tsv: no header line (name, seed and settings keys, separated by "
       "tabs)"},
      {"name\tEndTime\n", "t.tsv: no row under the header"},
  };
  for (const auto& [text, message] : cases) {
    TBatchTable table;
    std::string error;
    EXPECT_FALSE(read(text, table, error)) << text;
    EXPECT_EQ(shortError(error), message) << text;
    EXPECT_TRUE(table.rows.empty());
  }
  TBatchTable table;
  std::string error;
  EXPECT_FALSE(readBatchTable(dir.path("none.tsv"), table, error));
  EXPECT_EQ(shortError(error), dir.path("none.tsv") + ": cannot be opened");
}

TEST_F(BatchPieces, MirrorLinksInputsAndLeavesOutEarlierOutputsAndBatches) {
  const fs::path study = dir.path("study");
  for (const char* folder : {"study/data/deep", "study/bmp", "study/data/GeneticsOutput",
                             "study/.hidden", "study/old_runs", "study/runs"}) {
    fs::create_directories(dir.path(folder));
  }
  for (const char* file : {"study/settings.txt", "study/data/deep/x.asc", "study/data/a.sam",
                           "study/bmp/density_g0.bmp", "study/data/GeneticsOutput/r_1.arp",
                           "study/.hidden/h", "study/orvantis3_beta_win.log",
                           "study/places_output.txt", "study/old_runs/.orvantis-batch"}) {
    dir.write(file, std::string("content of ") + file);
  }
  TStudyMirror mirror;
  std::string error;
  ASSERT_TRUE(mirror.scan(study, study / "runs", error)) << error;
  const fs::path row = dir.path("row");
  fs::create_directories(row);
  ASSERT_TRUE(mirror.create(row, {"places_output.txt"}, error)) << error;
  EXPECT_TRUE(fs::is_symlink(row / "settings.txt"));
  EXPECT_EQ(fs::read_symlink(row / "data/deep/x.asc"), study / "data/deep/x.asc");
  EXPECT_TRUE(fs::is_directory(row / "data/deep") && !fs::is_symlink(row / "data"));
  for (const char* absent : {"bmp", "data/GeneticsOutput", "runs", "old_runs", ".hidden",
                             "orvantis3_beta_win.log", "places_output.txt"}) {
    EXPECT_FALSE(fs::exists(fs::symlink_status(row / absent))) << absent;
  }
}

class BatchPlanTest : public BatchPieces {
 protected:
  void SetUp() override {
    fs::create_directories(dir.path("study/data"));
    // A 20 x 10 grid: the database bound counts every cell of it.
    dir.write("study/vegetation.asc",
              "ncols 20\nnrows 10\nxllcorner 0\nyllcorner 0\n"
              "cellsize 1\nNODATA_value -9999\n");
    dir.write("study/settings.txt",
              "PresVegetationFile = vegetation.asc\nEndTime = 99\nChosenDemographicModel = 1\n"
              "DoublePopulationMode = 0\nArrivalCellFile = places.col\n"
              "SampleFile = data/pop.sam\nGeneticFile = gen.par\n");
    ASSERT_TRUE(mirror.scan(dir.path("study"), dir.path("runs"), error)) << error;
  }
  bool plan(const std::string& tableText, std::vector<TRowPlan>& plans) {
    EXPECT_TRUE(read(tableText, table, error)) << error;
    TBatchPlanInputs inputs;
    inputs.settingsFile = dir.path("study/settings.txt");
    inputs.masterSeed = 7;
    return planBatch(table, mirror, inputs, plans, error);
  }

  TStudyMirror mirror;
  TBatchTable table;
  std::string error;
};

TEST_F(BatchPlanTest, RowsGetTheirSeedsOverridesMemoryAndOutputs) {
  std::vector<TRowPlan> plans;
  ASSERT_TRUE(plan("name\tEndTime\tGrowthRate\na\t199\t0.5\nb\t9\t0.1\n", plans)) << error;
  ASSERT_EQ(plans.size(), 2u);
  EXPECT_EQ(plans[0].seed, rowSeed(7, 1));
  // Each row's own EndTime sizes its database.
  std::uint64_t bytes = 0;
  ASSERT_TRUE(StateDB::requiredBytes(200, 199, 1, false, bytes));
  EXPECT_GT(plans[0].memoryBytes, bytes);
  EXPECT_LT(plans[1].memoryBytes, plans[0].memoryBytes);
  EXPECT_EQ(plans[0].overrides, (std::vector<std::pair<std::string, std::string>>{
                                    {"EndTime", "199"}, {"GrowthRate", "0.5"}}));
  EXPECT_EQ(plans[0].skip, (std::set<std::string>{"places_output.txt"}));
  EXPECT_EQ(plans[0].summaryStatsFile, "data/GeneticsOutput/settings_pop_summary_stats.tsv");
}

TEST_F(BatchPlanTest, OutputsThatWouldLeaveTheRowFolderAreRefused) {
  std::vector<TRowPlan> plans;
  EXPECT_FALSE(plan("name\tSampleFile\nok\tdata/pop.sam\nout\t../pop.sam\n", plans));
  EXPECT_EQ(shortError(error),
            "t.tsv, line 3 (row out): SampleFile '../pop.sam' is not in a folder of the study, so "
            "the genetic outputs (GeneticsOutput/ next to it) would not stay in the row's folder");
  EXPECT_TRUE(plans.empty());
  EXPECT_FALSE(plan("ArrivalCellFile\n/elsewhere/places.col\n", plans));
  EXPECT_EQ(shortError(error),
            "t.tsv, line 2 (row row1): ArrivalCellFile '/elsewhere/places.col' is not in a folder "
            "of the study, so its output '/elsewhere/places_output.txt' would not stay in the "
            "row's folder");
  EXPECT_FALSE(plan("PresVegetationFile\nmissing.asc\n", plans));
  EXPECT_EQ(shortError(error),
            "t.tsv, line 2 (row row1): PresVegetationFile 'missing.asc' cannot be read as an "
            "ASCII grid");
}

TEST(BatchMemory, AStudyWaitsUntilItsNeedFitsBesideWhatTheRunningOnesWillStillTake) {
  constexpr std::uint64_t MiB = 1ull << 20;
  std::uint64_t left = 0;
  // Alone, a study always starts.
  EXPECT_TRUE(studyMayStart(100000 * MiB, 1000 * MiB, {}, left));
  // A running study that needs 600 MiB and holds 100 MiB will still take 500 MiB.
  const std::vector<TStudyMemory> running{{600 * MiB, 100 * MiB}};
  EXPECT_TRUE(studyMayStart(244 * MiB, 1000 * MiB, running, left));
  EXPECT_EQ(left, 500 * MiB);
  EXPECT_FALSE(studyMayStart(245 * MiB, 1000 * MiB, running, left));
  // Once it holds all it needs, only the reserve of 256 MiB is kept aside.
  EXPECT_TRUE(studyMayStart(744 * MiB, 1000 * MiB, {{600 * MiB, 600 * MiB}}, left));
  EXPECT_FALSE(studyMayStart(1 * MiB, 200 * MiB, {{10 * MiB, 0}}, left));
}

}  // namespace
