// A saved demography that is truncated, damaged, of another version or of another world is
// refused with a message saying why, and never read out of bounds.

#include "world/database/saved_demography.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "support/text_assertions.h"
#include "world/landscape/build_fixture.h"

namespace orvantis {
namespace {

class SavedDemographyTest : public testing::WorldBuildTest {
 protected:
  void SetUp() override {
    map("PresVegetationFile", testing::gridText({"1 1 1 1 1", "1 1 -9999 1 1", "1 1 1 1 1"}, 5));
    table("Veg2KFile", "1 100 grass\n");
    source(3, 1, 0, 40);
    keys["EndTime"] = "40";
    world = std::make_unique<World>(context);
    world->setDatabaseStorage(TDatabaseStorage::Compressed);
    ASSERT_EQ(build(), 1) << log.str();
    ASSERT_EQ(run(), 1) << log.str();
    ASSERT_EQ(world->saveDemography(dir.path("saved")), 1) << log.str();
    bytes = dir.read("saved");
    ASSERT_GT(bytes.size(), 400u);
  }

  // Loads `content` as a saved demography into a fresh world: 1 or 0, the log and the box.
  int load(const std::string& content) {
    log.str("");
    window.boxes.clear();
    loaded = std::make_unique<World>(context);
    return loaded->loadSavedDemography(dir.write("candidate", content));
  }
  std::uint64_t field(std::size_t offset) const {
    std::uint64_t value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
  }

  std::string bytes;
  std::unique_ptr<World> loaded;
};

TEST_F(SavedDemographyTest, RefusesTruncatedForeignAndDamagedFiles) {
  ASSERT_EQ(load(bytes), 1) << log.str();
  EXPECT_EQ(loaded->numberOfCells(), 14);

  const std::string v2 = [&] {
    std::string other = bytes;
    other[8] = 2;  // the format version
    return other;
  }();
  // Offset and size of the packed rows and of the cell records (sections 7 and 0 of the table
  // at byte 184).
  const std::size_t rows = static_cast<std::size_t>(field(184 + 7 * 16));
  const std::size_t cells = static_cast<std::size_t>(field(184));
  const struct {
    std::string content;
    std::string why;
  } refused[] = {
      {"", "is not a saved demography of ORVANTIS"},
      {"ORVDEMO", "is not a saved demography of ORVANTIS"},
      {"settings = are not a demography\n", "is not a saved demography of ORVANTIS"},
      {bytes.substr(0, 100), "is truncated: it holds 100 bytes"},
      {bytes.substr(0, bytes.size() / 2), "is truncated: it holds"},
      {bytes.substr(0, bytes.size() - 1), "is truncated: it holds"},
      {bytes + "x", "is damaged: it holds"},
      {v2,
       "was written by another version of ORVANTIS (file format 2; this version reads "
       "format 1)"},
      {[&] {
         std::string damaged = bytes;
         damaged[cells + 5] ^= 1;  // a cell's record
         return damaged;
       }(),
       "is damaged: its tables do not match their checksum"},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(load(r.content), 0);
    EXPECT_CONTAINS(log.str(), "ERROR: {World::loadSavedDemography()} [the saved demography '");
    EXPECT_CONTAINS(log.str(), r.why);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].caption, "ERROR: saved demography");
    EXPECT_EQ(loaded->numberOfCells(), 0) << "nothing of a refused file is kept";
    EXPECT_FALSE(loaded->holdsSavedDemography());
  }

  // Damaged packed rows are found when read: the reader fails, the database's own queries
  // read zeros after one log line.
  std::string damaged = bytes;
  damaged[rows + 20] ^= 0x10;
  ASSERT_EQ(load(damaged), 1) << log.str();
  TDemographyReader reader(loaded->database());
  for (int t = 40; t >= 0; --t) reader.row(t);
  EXPECT_TRUE(reader.failed());
  EXPECT_EQ(loaded->database().get_N(0, 0, 0), 0);
  EXPECT_CONTAINS(log.str(), "of the compressed demographic database cannot be decoded");
}

TEST_F(SavedDemographyTest, RefusesSettingsOfAnotherWorldAndSaysWhatDiffers) {
  const std::string settings = dir.path("settings.txt");
  const auto check = [&](const std::map<std::string, std::string>& changes) {
    EXPECT_EQ(load(bytes), 1);
    for (const auto& [key, value] : changes) keys[key] = value;
    std::ostringstream text;
    for (const auto& [key, value] : keys) text << key << " = " << value << "\n";
    dir.write("settings.txt", text.str());
    loaded->settings().reset();
    loaded->settings().load(settings.c_str());
    loaded->settings().fillTables();
    log.str("");
    return loaded->checkSettingsMatchSavedDemography();
  };
  // Genetic and output keys may change between genetic runs.
  EXPECT_EQ(check({{"SampleFile", "samples.sam"}, {"TauValue", "3"}}), 1) << log.str();

  EXPECT_EQ(check({{"EndTime", "30"}, {"GrowthRate", "0.4"}}), 0);
  EXPECT_CONTAINS(log.str(), "[the settings do not describe the world of the saved demography '");
  EXPECT_CONTAINS(log.str(), "\tEndTime: 40 in the saved demography, 30 in these settings\n");
  EXPECT_CONTAINS(log.str(), "\tGrowthRate: 0.5 in the saved demography, 0.4 in these settings\n");
  EXPECT_EQ(window.boxes.back().caption, "ERROR: saved demography");

  // The same keys, but a map whose content changed.
  keys["EndTime"] = "40";
  keys["GrowthRate"] = "0.5";
  map("PresVegetationFile", testing::gridText({"1 1 1 1 1", "1 1 1 1 1", "1 1 1 1 1"}, 5));
  EXPECT_EQ(check({}), 0);
  EXPECT_CONTAINS(log.str(),
                  "\tPresVegetationFile: the file's content differs from the one "
                  "that built the saved demography\n");
}

TEST_F(SavedDemographyTest, ALoadedWorldIsReadNotRun) {
  ASSERT_EQ(load(bytes), 1);
  loaded->settings().load(dir.path("settings.txt").c_str());
  loaded->settings().fillTables();
  float seconds = 0.0f;
  EXPECT_EQ(SimulateWorld(*loaded, seconds), 0);
  EXPECT_CONTAINS(log.str(),
                  "[the world was loaded from a saved demography; please build the "
                  "world again]");
  // A saved demography can itself be saved again, unchanged.
  ASSERT_EQ(loaded->saveDemography(dir.path("again")), 1) << log.str();
  EXPECT_EQ(dir.read("again").size(), bytes.size());
}

}  // namespace
}  // namespace orvantis
