// Studies simulated with the plain, the compressed and the saved database: every query, the
// report, the output files and the genetic simulations over them must not depend on where the
// rows are kept.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "coalescent/deme_collection.h"
#include "coalescent/driver.h"
#include "support/text_assertions.h"
#include "world/database/same_database.h"
#include "world/demography/report.h"
#include "world/landscape/build_fixture.h"
#include "world/output/demographic_files.h"

namespace orvantis {
namespace {

struct Study {
  const char* name;
  std::map<std::string, std::string> keys;
  int K = 100;
  bool twoPopulations = false;
};

// What a run exercised: long-distance arrivals, flows between populations, clamped values,
// cells a source overflowed into.
struct Exercised {
  long jumps = 0;
  long flows = 0;
  long clamped = 0;
  long overflowed = 0;
};

Exercised exercisedBy(const World& world) {
  const StateDB& db = world.database();
  Exercised e;
  for (const cell& c : world.cells()) e.overflowed += c.overflowSourceNumber[0] != 0 ? 1 : 0;
  for (int t = 0; t <= db.endTime(); ++t) {
    for (int c = 0; c < db.numEntries(); ++c) {
      for (int p = 0; p < db.numberOfPopulations(); ++p) {
        e.jumps += db.get_LDDMigrants(c, p, t).size();
      }
      if (db.numberOfPopulations() == 2) e.flows += db.get_migrBetweenDemes(c, 0, 1, t);
    }
  }
  e.clamped = db.saturatedValues();
  return e;
}

// The rates of a second population and of the exchanges.
std::map<std::string, std::string> twoPopulations(const char* model, bool shortInt) {
  return {{"DoublePopulationMode", "1"},
          {"ChosenDemographicModel", model},
          {"AllowShortIntForNumberOfIndividuals", shortInt ? "1" : "0"},
          {"GrowthRate_P2", "0.5"},
          {"MigrationRate_P2", "0.2"},
          {"MigrRate_P1_to_P2", "0.2"},
          {"MigrRate_P2_to_P1", "0.1"},
          {"TauValue", "10"}};
}

// Eight rows of eleven cells around a lake and an islet of water; the source at (4, 2).
const std::vector<std::string> kLand = {"xxxxxxxxxxx", "xxxxxxxxxxx", "xxx..xxxxxx", "xxx..xxxxxx",
                                        "xxxxxxxx.xx", "xxxxxxxxxxx", "xxxxxxxxxxx", "xxxxxxxxxxx"};

class CompressedStudyTest : public testing::WorldBuildTest,
                            public ::testing::WithParamInterface<Study> {
 protected:
  void SetUp() override {
    const Study& study = GetParam();
    std::vector<std::string> rows;
    for (const std::string& r : kLand) {
      std::string line;
      for (const char c : r) line += c == '.' ? "-9999 " : "1 ";
      rows.push_back(line);
    }
    map("PresVegetationFile", testing::gridText(rows, 11));
    const std::string table = "1 " + std::to_string(study.K) + " grass\n";
    this->table("Veg2KFile", table);
    keys["EndTime"] = "60";
    for (const auto& [key, value] : study.keys) keys[key] = value;
    if (study.twoPopulations) {
      this->table("Veg2K_P2_File", table);
      sources("2\nfirst 50 3.5 2.5 0 0 0 0 0 0\nsecond 20 3.5 2.5 0 0 0 0 1 5\n");
    } else {
      source(8, 4, 2, 50);
    }
    keys["ArrivalCellFile"] = dir.write("places.col", "2\nfar 0 0.5 9.5 0\nnear 0 3.5 3.5 0\n");

    // Samples at the source, far from it, and one dated before the end; with two populations
    // also genes of the second.
    std::string samples = "source 6 0 3.5 2.5\nfar 6 0 6.5 9.5\ndated 4 0 1.5 6.5 40\n";
    if (study.twoPopulations) samples += "second 4 1 3.5 2.5\n";
    keys["SampleFile"] =
        dir.write("samples.sam", std::to_string(study.twoPopulations ? 4 : 3) + "\n" + samples);
    keys["GeneticFile"] = dir.write("genetics.par",
                                    "1\n#chromosome 1\n2\n"
                                    "DNA 60 0 0.0005 0.25 0.25 0.25 0.25 1 4 1 1 4 1\n"
                                    "MICROSAT 4 0 0.01 0 0\n");
    keys["NumGeneticSimulations"] = "2";
    keys["MaxNumGenerations"] = "100000";
    keys["NexusFile"] = "1";
    keys["GenealogiesFile"] = "1";
    keys["TemporalCoalescenceFile"] = "1";
    keys["PropFile"] = "1";
  }

  // A world built and run with the database kept as asked, under a fixed seed.
  std::unique_ptr<World> simulate(TDatabaseStorage storage) {
    world = std::make_unique<World>(context);
    world->setDatabaseStorage(storage);
    EXPECT_EQ(build(), 1) << log.str();
    rerun();
    return std::move(world);
  }
  void rerun() {
    context.random.initialize_ran3(-7);
    EXPECT_EQ(run(), 1) << log.str();
  }

  std::string reportOf(World& w) {
    log.str("");
    printDemographicReport(w);
    return log.str();
  }

  // Every output file the world writes, by name.
  std::map<std::string, std::string> outputsOf(World& w, const std::string& folder) {
    TDemographicOutputRequest request;
    request.step = 20;
    request.drawing.zoom = 1;
    request.bitmapDensity = request.bitmapOccupation = request.bitmapMigration = true;
    request.ascii.density = request.ascii.migration = request.ascii.occupation = true;
    request.root = dir.path(folder);
    std::filesystem::create_directories(request.root);
    EXPECT_EQ(writeDemographicOutputs(w, request), 1) << log.str();
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(request.root)) {
      if (!entry.is_regular_file()) continue;
      const std::string name = std::filesystem::relative(entry.path(), request.root).string();
      files[name] = dir.read(folder + "/" + name);
    }
    files["places_output.txt"] = dir.read("places_output.txt");
    return files;
  }

  // Every file of a series of genetic simulations over the world and the log's lines from its
  // start, durations masked; the files are then removed for the next series.
  std::map<std::string, std::string> geneticsOf(World& w) {
    log.str("");
    TDemeCollection collection(w, log, window, context.random);
    TGeneticRunInputs inputs;
    inputs.options.temporalCoalescence = true;
    inputs.options.spatialCoalescence = true;
    std::ostringstream console;
    inputs.console = &console;
    const TGeneticRunReport report = SimulateGeneticData(w, inputs, collection);
    EXPECT_EQ(report.status, TGeneticRunStatus::Completed) << report.problem << log.str();
    EXPECT_EQ(report.completed, 2) << log.str();
    std::map<std::string, std::string> files;
    const std::filesystem::path folder = dir.path("GeneticsOutput");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      const std::string name = std::filesystem::relative(entry.path(), folder).string();
      if (name.ends_with("_manifest.json")) continue;  // records the durations
      files[name] = dir.read("GeneticsOutput/" + name);
    }
    std::filesystem::remove_all(folder);
    files["log"] = testing::withoutDurations(log.str());
    return files;
  }

  // The saved demography of a world, loaded into a new world whose settings are the study's.
  std::unique_ptr<World> savedAndLoaded(World& w, const std::string& name) {
    const std::string path = dir.path(name);
    EXPECT_EQ(w.saveDemography(path), 1) << log.str();
    auto loaded = std::make_unique<World>(context);
    EXPECT_EQ(loaded->loadSavedDemography(path), 1) << log.str();
    loaded->settings().reset();
    loaded->settings().load(dir.path("settings.txt").c_str());
    loaded->settings().fillTables();
    EXPECT_EQ(loaded->checkSettingsMatchSavedDemography(), 1) << log.str();
    return loaded;
  }
};

TEST_P(CompressedStudyTest, CompressedAndSavedDatabasesAnswerAsThePlainOne) {
  std::unique_ptr<World> plain = simulate(TDatabaseStorage::Memory);
  ASSERT_TRUE(plain->randomStateAfterDemography().has_value());
  const TRandomState afterDemography = *plain->randomStateAfterDemography();
  const auto genetics = geneticsOf(*plain);
  ASSERT_GT(genetics.size(), 8u);

  std::unique_ptr<World> packed = simulate(TDatabaseStorage::Compressed);
  ASSERT_FALSE(plain->database().isCompressed());
  ASSERT_TRUE(packed->database().isCompressed());
  std::string problem;
  ASSERT_TRUE(packed->database().verify(&problem)) << problem;
  EXPECT_EQ(testing::firstDifference(plain->database(), packed->database()), "");
  const Exercised e = exercisedBy(*plain);
  const std::string name = GetParam().name;
  EXPECT_EQ(e.jumps > 0, name == "LongDistanceDispersal");
  EXPECT_EQ(e.flows > 0, GetParam().twoPopulations);
  EXPECT_EQ(e.clamped > 0, name == "StochasticMigrantsIn16Bits");
  EXPECT_EQ(e.overflowed > 0, name == "SourceOverflow");
  EXPECT_EQ(packed->database().saturatedValues(), e.clamped);
  EXPECT_EQ(reportOf(*packed), reportOf(*plain));
  EXPECT_EQ(outputsOf(*packed, "packed"), outputsOf(*plain, "plain"));
  // The same seed brings the generator to the same place, and the genealogies over the
  // compressed rows are those over the plain ones.
  ASSERT_EQ(packed->randomStateAfterDemography(), afterDemography);
  ASSERT_TRUE(context.random.restore(afterDemography));
  EXPECT_EQ(geneticsOf(*packed), genetics);

  // Saved from either database, the demography reads back the same, and the genetic
  // simulations that resume the generator where the simulation left it are the run's own.
  for (World* source : {plain.get(), packed.get()}) {
    std::unique_ptr<World> loaded = savedAndLoaded(*source, "saved.demography");
    ASSERT_TRUE(loaded->holdsSavedDemography());
    EXPECT_EQ(loaded->numberOfCells(), plain->numberOfCells());
    for (const cell& c : plain->cells()) {
      const cell& other = loaded->cells()[static_cast<std::size_t>(c.index)];
      for (int p = 0; p < kMaxCellPopulations; ++p) {
        ASSERT_EQ(other.sourceNumber[p], c.sourceNumber[p]) << c.index;
        ASSERT_EQ(other.overflowSourceNumber[p], c.overflowSourceNumber[p]) << c.index;
      }
    }
    EXPECT_EQ(loaded->sources().count(), plain->sources().count());
    EXPECT_EQ(testing::firstDifference(plain->database(), loaded->database()), "");
    EXPECT_EQ(reportOf(*loaded), reportOf(*plain));
    EXPECT_EQ(loaded->randomStateAfterDemography(), afterDemography);
    ASSERT_EQ(loaded->resumeRandomSequenceAfterDemography(), 1) << log.str();
    EXPECT_EQ(context.random.state(), afterDemography);
    EXPECT_EQ(geneticsOf(*loaded), genetics);
  }

  // A second run on the same world starts from generation 0 again.
  world = std::move(packed);
  rerun();
  EXPECT_EQ(testing::firstDifference(plain->database(), world->database()), "");
  EXPECT_EQ(world->randomStateAfterDemography(), afterDemography);
}

INSTANTIATE_TEST_SUITE_P(
    Models, CompressedStudyTest,
    ::testing::Values(
        Study{"EvenMigrants", {}}, Study{"StochasticMigrants", {{"ChosenDemographicModel", "3"}}},
        // Sizes beyond the 16-bit range are clamped alike.
        Study{"StochasticMigrantsIn16Bits",
              {{"ChosenDemographicModel", "3"}, {"AllowShortIntForNumberOfIndividuals", "1"}},
              40000},
        Study{"LongDistanceDispersal",
              {{"ChosenDemographicModel", "14"},
               {"LDDProportion", "0.2"},
               {"GammaShapeParamAllCells", "2"},
               {"GammaScaleParamAllCells", "0.5"}}},
        Study{"TwoPopulationsWithAssimilation", twoPopulations("21", false), 100, true},
        Study{"TwoPopulationsIn16Bits", twoPopulations("24", true), 100, true},
        // The source's 50 individuals overflow its cell of 20 into the cells around; the
        // genealogies gather the lineages of those cells into the source before the expansion.
        Study{"SourceOverflow", {{"AllowSourcePopulationOverflow", "0"}}, 20}),
    [](const ::testing::TestParamInfo<Study>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvantis
