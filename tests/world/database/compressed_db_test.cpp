// The compressed database's choices and refusals: auto storage, the size check against the
// memory actually taken, writes out of order, and readers side by side.

#include <gtest/gtest.h>

#include <thread>

#include "support/text_assertions.h"
#include "world/database/state_db.h"
#include "world/landscape/build_fixture.h"

namespace orvantis {
namespace {

using testing::countOccurrences;

class CompressedDatabaseTest : public testing::WorldBuildTest {
 protected:
  void SetUp() override {
    std::vector<std::string> rows(12, std::string(30 * 2, ' '));
    for (std::string& r : rows) {
      r.clear();
      for (int c = 0; c < 30; ++c) r += "1 ";
    }
    map("PresVegetationFile", testing::gridText(rows, 30));
    table("Veg2KFile", "1 100 grass\n");
    source(12, 6, 3, 50);
    keys["EndTime"] = "200";
    keys["ChosenDemographicModel"] = "3";
  }
  // Builds with the database kept as asked and limited to `limit` bytes (0: no limit).
  int buildWith(TDatabaseStorage storage, std::uint64_t limit) {
    world = std::make_unique<World>(context);
    world->setDatabaseStorage(storage);
    world->setDatabaseMemoryLimit(limit);
    log.str("");
    return build();
  }
};

TEST_F(CompressedDatabaseTest, AutoCompressesOnlyWhatWouldNotFit) {
  keys["EndTime"] = "2000";
  ASSERT_EQ(buildWith(TDatabaseStorage::Auto, 0), 1) << log.str();
  EXPECT_FALSE(world->database().isCompressed());
  const std::uint64_t raw = world->database().rawSizeBytes();
  EXPECT_EQ(raw, 360u * 5 * 4 * 2001);

  ASSERT_EQ(buildWith(TDatabaseStorage::Auto, raw - 1), 1) << log.str();
  EXPECT_TRUE(world->database().isCompressed());
  EXPECT_CONTAINS(log.str(),
                  "The demographic database would need 14407200 bytes uncompressed "
                  "but only 14407199 bytes are available: it is kept compressed\n");
  ASSERT_EQ(run(), 1) << log.str();
  EXPECT_CONTAINS(log.str(), "\tDemographic database: ");
  EXPECT_LT(world->database().heldBytes(), raw);

  // The plain rows are refused outright when asked for.
  ASSERT_EQ(buildWith(TDatabaseStorage::Memory, raw - 1), 0);
  EXPECT_CONTAINS(log.str(),
                  "ERROR{TimeStoFull::AllocateTimeStoFullMemory}: Cannot allocate "
                  "memory!\n\tThe demographic database needs 14407200 bytes");
}

// The size check follows the compressed rows as they grow: a run whose compressed database
// outgrows the limit stops with a log line and a box instead of running out of memory; a limit
// below the compressed database's buffers refuses the construction.
TEST_F(CompressedDatabaseTest, RefusesTheSizeThatDoesNotFit) {
  ASSERT_EQ(buildWith(TDatabaseStorage::Compressed, 0), 1) << log.str();
  const std::uint64_t buffers = world->database().heldBytes();
  ASSERT_EQ(run(), 1) << log.str();
  const std::uint64_t needed = world->database().heldBytes();
  ASSERT_GT(needed, buffers + 4000);

  ASSERT_EQ(buildWith(TDatabaseStorage::Compressed, buffers + 2000), 1) << log.str();
  window.boxes.clear();
  EXPECT_EQ(run(), 0);
  EXPECT_CONTAINS(log.str(),
                  "ERROR{StateDB::commitGeneration}: [the compressed demographic "
                  "database holds ");
  EXPECT_CONTAINS(log.str(),
                  "bytes it may take: set AllowShortIntForNumberOfIndividuals=1 or "
                  "shorten the run (EndTime)]\n");
  EXPECT_EQ(log.str().find("... Done! (Duration"), std::string::npos);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].caption, "ERROR: memory allocation");

  ASSERT_EQ(buildWith(TDatabaseStorage::Compressed, needed), 1);
  EXPECT_EQ(run(), 1) << log.str();

  EXPECT_EQ(buildWith(TDatabaseStorage::Compressed, buffers - 1), 0);
  EXPECT_CONTAINS(log.str(), "\tThe compressed demographic database needs " +
                                 std::to_string(buffers) + " bytes of buffers");
}

TEST_F(CompressedDatabaseTest, RefusesToRewriteAStoredGeneration) {
  ASSERT_EQ(buildWith(TDatabaseStorage::Compressed, 0), 1);
  StateDB& db = world->database();
  ASSERT_EQ(db.beginRun(false), 1);
  for (int t = 0; t <= 20; ++t) {
    db.set_N(0, 0, t, t + 1);
    if (t < 20) {
      ASSERT_EQ(db.commitGeneration(t), 1);
    }
  }
  db.set_N(0, 0, 20, 99);  // still the generation being written
  EXPECT_EQ(db.get_N(0, 0, 20), 99);
  db.set_N(0, 0, 3, 7);
  db.set_N(0, 0, 2, 7);
  EXPECT_EQ(db.get_N(0, 0, 3), 4) << "a stored generation keeps its values";
  EXPECT_EQ(countOccurrences(log.str(),
                             "ERROR{StateDB::generationRow}: [generation 3 of "
                             "the compressed demographic database is already "
                             "stored: its values cannot change]\n"),
            1);
  EXPECT_EQ(db.commitGeneration(21), 0) << "the run cannot go on with lost values";
  EXPECT_EQ(db.finishRun(), 0);
  // A new run writes again from generation 0.
  ASSERT_EQ(db.beginRun(false), 1);
  db.set_N(0, 0, 3, 7);
  EXPECT_EQ(db.commitGeneration(3), 1);
  EXPECT_EQ(db.get_N(0, 0, 3), 7);
  EXPECT_EQ(db.get_N(0, 0, 2), 0);
}

// Readers of one compressed database, each in a thread of its own, walk back from EndTime
// together and read what the database's own queries read.
TEST_F(CompressedDatabaseTest, ReadersWorkSideBySide) {
  ASSERT_EQ(buildWith(TDatabaseStorage::Compressed, 0), 1);
  ASSERT_EQ(run(), 1) << log.str();
  const StateDB& db = world->database();
  long expected = 0;
  for (int t = 0; t <= db.endTime(); ++t) {
    for (int c = 0; c < db.numEntries(); ++c) {
      expected += db.get_N(c, 0, t) + db.get_migrFromNeighbour(c, 0, FromSide::West, t);
    }
  }
  ASSERT_GT(expected, 0);
  long sums[4] = {};
  std::vector<std::thread> threads;
  for (long& sum : sums) {
    threads.emplace_back([&db, &sum] {
      TDemographyReader reader(db);
      for (int t = db.endTime(); t >= 0; --t) {
        const TGenerationView view = reader.row(t);
        for (int c = 0; c < db.numEntries(); ++c) {
          sum += view.get_N(c, 0) + view.get_migrFromNeighbour(c, 0, FromSide::West);
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (const long sum : sums) EXPECT_EQ(sum, expected);
}

}  // namespace
}  // namespace orvantis
