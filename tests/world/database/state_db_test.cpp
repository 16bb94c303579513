#include "world/database/state_db.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/run_context.h"
#include "support/recording_window.h"
#include "support/text_assertions.h"
#include "world/demography/lattice.h"

namespace orvantis {
namespace {

using testing::countOccurrences;

// A 2 × 3 grid, all land, cell index = 3·row + column:
//   0 1 2
//   3 4 5
class StateDbTest : public ::testing::Test {
 protected:
  testing::DemographyLattice L{{"xxx", "xxx"}, 0};
  StateDB& db = *L.db;
  std::ostringstream& log = L.log;
  testing::RecordingWindow& window = L.window;
};

TEST_F(StateDbTest, ShortValuesReadBackAndSaturateWithOneWarningPerRun) {
  ASSERT_EQ(db.AllocateStateDBMemory(10, 2, true), 1);
  ASSERT_EQ(db.beginRun(false), 1);
  db.set_N(1, 0, 2, 30000);
  EXPECT_EQ(db.get_N(1, 0, 2), 30000);
  EXPECT_EQ(log.str(), "");

  db.entry(4)->setPosition(1, 1);
  db.set_N(4, 1, 3, 40000);
  db.set_N(3, 0, 6, -40000);
  EXPECT_EQ(db.get_N(4, 1, 3), 32767);
  EXPECT_EQ(db.get_N(3, 0, 6), -32768);
  EXPECT_EQ(db.saturatedValues(), 2);
  EXPECT_EQ(log.str(),
            "WARNING{StateDB::store}: [cell 4 (column 1, row 1), size of population 1, generation "
            "3: value 40000 does not fit in 16 bits (AllowShortIntForNumberOfIndividuals=1) and is "
            "stored as 32767; later values out of range are clamped without warning]\n");

  // The next run warns again, once, about its own first value.
  ASSERT_EQ(db.beginRun(false), 1);
  db.recordMigrants(7, 1, 0, 0, 0, 0, 99999);  // west neighbour 0 receives from the east
  EXPECT_EQ(db.get_migrFromNeighbour(0, 0, FromSide::East, 7), 32767);
  EXPECT_EQ(countOccurrences(log.str(), "WARNING{StateDB::store}"), 2);
  EXPECT_EQ(db.saturatedValues(), 1);
}

TEST_F(StateDbTest, WideAndShortValuesAndEndTimeZero) {
  ASSERT_EQ(db.AllocateStateDBMemory(9, 1, false), 1);
  db.set_N(5, 0, 9, 40000);
  EXPECT_EQ(db.get_N(5, 0, 9), 40000);
  // EndTime 0 holds generation 0 only.
  ASSERT_EQ(db.AllocateStateDBMemory(0, 1, false), 1);
  EXPECT_EQ(db.rawSizeBytes(), 6u * 5 * 4);
  db.set_N(2, 0, 0, 77);
  EXPECT_EQ(db.get_N(2, 0, 0), 77);
}

TEST_F(StateDbTest, FlowsKeepTheirOwnSlotsAndRefuseTheSamePopulation) {
  ASSERT_EQ(db.AllocateStateDBMemory(4, 2, false), 1);
  StateOfDemes& e = *db.entry(2);
  e.set_migrBetweenDemes(0, 1, 11, 3);
  e.set_migrBetweenDemes(1, 0, 22, 3);
  EXPECT_EQ(e.get_migrBetweenDemes(0, 1, 3), 11);
  EXPECT_EQ(e.get_migrBetweenDemes(1, 0, 3), 22);
  EXPECT_EQ(e.get_N(0, 3), 0) << "flows must not overwrite the series";
  EXPECT_EQ(db.view(3).get_migrBetweenDemes(2, 0, 1), 11);
  EXPECT_EQ(db.view(3).get_migrBetweenDemes(2, 1, 0), 22);
  e.set_migrBetweenDemes(1, 1, 5, 3);
  EXPECT_EQ(e.get_migrBetweenDemes(0, 0, 3), 0);
  EXPECT_EQ(log.str(),
            "StateOfDemes::set_migrBetweenDemes(const int& i, const int& j): Try to set a "
            "migration between the same deme (i=j!!!)\n"
            "StateOfDemes::get_migrBetweenDemes(const int& i, const int& j): Try to get a "
            "migration between the same deme (i=j!!!)\n");
}

TEST_F(StateDbTest, QueriesReadWhatTheForwardLoopWrote) {
  ASSERT_EQ(db.AllocateStateDBMemory(3, 1, false), 1);
  ASSERT_EQ(db.beginRun(true), 1);
  TGenerationRow row = db.generationRow(2);
  // Cell 4 (bottom middle) sends 1 north, 2 south (no such neighbour), 3 east, 4 west.
  row.recordMigrants(4, 0, 1, 2, 3, 4);
  for (int c = 0; c < 6; ++c) row.set_N(c, 0, 100 + c);
  ASSERT_EQ(db.add_LDDMigrants(0, 0, 2, 5, 1), 1);
  ASSERT_EQ(db.add_LDDMigrants(0, 0, 2, 4, 2), 1);
  ASSERT_EQ(db.add_LDDMigrants(0, 0, 1, 3, 1), 1);
  EXPECT_EQ(db.get_migrFromNeighbour(1, 0, FromSide::South, 2), 1);
  EXPECT_EQ(db.get_migrFromNeighbour(5, 0, FromSide::West, 2), 3);
  EXPECT_EQ(db.get_migrFromNeighbour(3, 0, FromSide::East, 2), 4);
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(db.get_N(c, 0, 2), 100 + c);
    EXPECT_EQ(db.get_N(c, 0, 3), 0) << "other generations untouched";
  }
  std::vector<std::pair<int, int>> pairs;
  for (const TLDDMigrant& m : db.get_LDDMigrants(0, 0, 2)) pairs.push_back({m.sourceCell, m.count});
  EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{5, 1}, {4, 2}})) << "arrival order kept";
  // The backward walk's view of one generation answers the same questions.
  TDemographyReader reader(db);
  const TGenerationView view = reader.row(2);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(view.get_N(c, 0), 100 + c);
  EXPECT_EQ(view.get_migrFromNeighbour(5, 0, FromSide::West), 3);
  EXPECT_EQ(view.get_LDDMigrants(0, 0).totalCount(), 3);
  EXPECT_EQ(reader.row(1).get_LDDMigrants(0, 0).totalCount(), 1);
  // A repeated run starts from empty long-distance lists.
  ASSERT_EQ(db.beginRun(true), 1);
  EXPECT_TRUE(db.get_LDDMigrants(0, 0, 2).empty());
  EXPECT_EQ(db.add_LDDMigrants(1, 0, 1, 6, 1), 0) << "no such source";
}

TEST(StateDbMemory, RefusesAnAbsurdAllocationWithTheMessageAndBox) {
  std::ostringstream log;
  testing::RecordingWindow window;
  TRunContext context(log, window);
  StateDB db(context, 100, 100);
  db.setStorage(TDatabaseStorage::Memory);
  for (int c = 0; c < 10000; ++c) ASSERT_NE(db.addEntry(c, nullptr), nullptr);
  ASSERT_EQ(db.AllocateStateDBMemory(5, 1, false), 1);

  // 10 000 cells × 2 populations × 12 values × 4 bytes × (2e9 generations) ≈ 1e15 bytes.
  EXPECT_EQ(db.AllocateStateDBMemory(2000000000, 2, false), 0);
  EXPECT_FALSE(db.isAllocated()) << "the earlier allocation is released, not half kept";

  EXPECT_EQ(
      log.str().rfind("ERROR{TimeStoFull::AllocateTimeStoFullMemory}: Cannot allocate memory!\n"
                      "\tThe demographic database needs 960000000480000 bytes (10000 cells, 2 "
                      "population(s), generations 0 to 2000000000, 32-bit values)",
                      0),
      0u);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].caption, "ERROR: memory allocation");
}

}  // namespace
}  // namespace orvantis
