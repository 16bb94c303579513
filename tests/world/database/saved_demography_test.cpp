// A saved demography that is truncated, damaged, of another version or of another world is
// refused with a message saying why, and never read out of bounds, nor is a file forged with a
// sound checksum, whatever genetic simulations then run over it.

#include "world/database/saved_demography.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "coalescent/deme_collection.h"
#include "coalescent/driver.h"
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

  const std::string v1 = [&] {
    std::string other = bytes;
    other[8] = 1;  // the format version: files without overflow sources and generator state
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
      {v1,
       "was written by another version of ORVANTIS (file format 1; this version reads "
       "format 2)"},
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

TEST_F(SavedDemographyTest, KeepsTheGeneratorWhereTheSimulationLeftIt) {
  const std::optional<TRandomState> after = world->randomStateAfterDemography();
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->seed, 1);
  const double next = context.random.ran3(context.random.cellSeed());
  ASSERT_EQ(load(bytes), 1) << log.str();
  EXPECT_EQ(loaded->randomStateAfterDemography(), after);

  // A new world seeds its own sequence; resuming goes back to where the simulation ended.
  context.random.initialize_ran3(-99);
  ASSERT_EQ(loaded->resumeRandomSequenceAfterDemography(), 1);
  EXPECT_CONTAINS(log.str(),
                  "Random generator: the sequence of seed 1 goes on from the end of the "
                  "demographic simulation\n");
  EXPECT_EQ(context.random.seed(), 1);
  EXPECT_EQ(context.random.ran3(context.random.cellSeed()), next);

  // Building the world anew forgets it.
  ASSERT_EQ(build(), 1);
  EXPECT_FALSE(world->randomStateAfterDemography().has_value());
  EXPECT_EQ(world->resumeRandomSequenceAfterDemography(), 0);
  EXPECT_CONTAINS(log.str(),
                  "[the state of the random generator at the end of the demographic "
                  "simulation is not known]");
}

// Files edited and sealed again with a sound checksum, one 32-bit word at a time: each is
// refused, or its world and rows are served within bounds, its settings compared and genetic
// simulations run over it (under the sanitizers this finds any read out of bounds).
TEST_F(SavedDemographyTest, ForgedFilesAreRefusedOrServedWithinBounds) {
  // A world with long-distance lists, samples and genetic parameters.
  keys["ChosenDemographicModel"] = "14";
  keys["LDDProportion"] = "0.3";
  keys["GammaShapeParamAllCells"] = "2";
  keys["GammaScaleParamAllCells"] = "0.5";
  keys["SampleFile"] = dir.write("samples.sam", "2\nhere 4 0 2.5 0.5\nthere 4 0 0.5 4.5\n");
  keys["GeneticFile"] = dir.write("genetics.par", "1\n#chromosome 1\n1\nMICROSAT 2 0 0.01 0 0\n");
  keys["NumGeneticSimulations"] = "1";
  keys["MaxNumGenerations"] = "5000";
  keys["NexusFile"] = "0";
  keys["GenealogiesFile"] = "0";
  ASSERT_EQ(build(), 1) << log.str();
  ASSERT_EQ(run(), 1) << log.str();
  ASSERT_EQ(world->saveDemography(dir.path("forged")), 1) << log.str();
  const std::string original = dir.read("forged");
  ASSERT_EQ(load(original), 1);
  ASSERT_NE(loaded->database().lddLists().sealed().lists, 0u) << "the file holds jumps";

  // Offsets of the header's checksum and its table of ten sections.
  constexpr std::size_t kChecksum = 56;
  constexpr std::size_t kSections = 184;
  constexpr std::size_t kHeaderBytes = 344;
  const auto word = [](const std::string& b, std::size_t at) {
    std::uint64_t v = 0;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
  };
  const auto reseal = [&](std::string b) {
    TSha256 inner;
    for (int s = 0; s < 10; ++s) {
      const std::uint64_t at = word(b, kSections + 16 * static_cast<std::size_t>(s));
      const std::uint64_t size = word(b, kSections + 16 * static_cast<std::size_t>(s) + 8);
      if (s != 7 && at <= b.size() && size <= b.size() - at) inner.update(b.data() + at, size);
    }
    const TSha256Digest sections = inner.finish();
    std::memset(b.data() + kChecksum, 0, 32);
    TSha256 outer;
    outer.update(b.data(), kHeaderBytes);
    outer.update(sections.data(), sections.size());
    const TSha256Digest digest = outer.finish();
    std::memcpy(b.data() + kChecksum, digest.data(), digest.size());
    return b;
  };
  ASSERT_EQ(reseal(original), original);
  // Every word of the header and of the small tables; in the long ones (manifest, long-distance
  // lists) their first and last 64 bytes and one word in 16, which reaches every field of their
  // records.
  const auto sectionOf = [&](std::size_t at) {
    for (int s = 0; s < 10; ++s) {
      const std::uint64_t from = word(original, kSections + 16 * static_cast<std::size_t>(s));
      const std::uint64_t size = word(original, kSections + 16 * static_cast<std::size_t>(s) + 8);
      if (at >= from && at < from + size) return std::pair<int, std::size_t>(s, at - from);
    }
    return std::pair<int, std::size_t>(-1, at);
  };
  const auto forgedHere = [&](std::size_t at) {
    if (at >= kChecksum && at < kChecksum + 32) return false;
    const auto [section, offset] = sectionOf(at);
    const bool longTable = section == 2 || section == 4 || section == 5 || section == 6;
    if (section == 7) return false;  // the packed rows have checksums of their own
    if (!longTable) return true;
    const std::uint64_t size =
        word(original, kSections + 16 * static_cast<std::size_t>(section) + 8);
    return offset < 64 || offset + 64 >= size || offset % 64 == (at / 64 % 16) * 4;
  };

  int refused = 0;
  int unreadable = 0;
  int simulated = 0;
  for (std::size_t at = 0; at + 4 <= original.size(); at += 4) {
    if (!forgedHere(at)) continue;
    for (const std::uint32_t value : {0u, 0xffffffffu}) {
      std::string forged = original;
      std::memcpy(forged.data() + at, &value, sizeof value);
      if (forged == original) continue;
      SCOPED_TRACE("word at byte " + std::to_string(at) + " set to " + std::to_string(value));
      if (load(reseal(forged)) == 0) {
        ++refused;
        continue;
      }
      // A block index pointing at another block's frame passes the bounds checks; its rows are
      // then refused when read.
      TDemographyReader reader(loaded->database());
      bool readable = true;
      for (int t = loaded->database().endTime(); t >= 0; --t) {
        for (int c = 0; c < loaded->numberOfCells(); ++c) {
          (void)loaded->database().get_LDDMigrants(c, 0, t).size();
        }
        readable = readable && reader.row(t).valid();
      }
      EXPECT_EQ(reader.failed(), !readable);
      unreadable += readable ? 0 : 1;
      loaded->settings().reset();
      loaded->settings().load(dir.path("settings.txt").c_str());
      loaded->settings().fillTables();
      if (loaded->checkSettingsMatchSavedDemography() == 0) continue;
      TDemeCollection collection(*loaded, log, window, context.random);
      TGeneticRunInputs inputs;
      std::ostringstream console;
      inputs.console = &console;
      const TGeneticRunReport report = SimulateGeneticData(*loaded, inputs, collection);
      if (!readable) {
        EXPECT_NE(report.status, TGeneticRunStatus::Completed);
      }
      ++simulated;
    }
  }
  EXPECT_GT(unreadable, 0);
  EXPECT_GT(refused, 100);
  EXPECT_GT(simulated, 100);
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
