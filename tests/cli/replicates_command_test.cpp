// The genetic simulations of the example study as replicates on threads (--threads), replayed
// one at a time from the run manifest (--simulations), their VCF files (--vcf) as bcftools reads
// them, and the command's answers to unusable requests.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_fixture.h"

namespace {

namespace fs = std::filesystem;
using orvantis::testing::CommandTest;
using orvantis::testing::contains;
using orvantis::testing::filesUnder;
using orvantis::testing::RunResult;
using orvantis::testing::withoutDurations;

constexpr const char* kOutputs = "study/GeneticsOutput";
constexpr const char* kBase = "study/GeneticsOutput/settings_samples";

class ReplicatesCommandTest : public CommandTest {
 protected:
  ReplicatesCommandTest() { copyExampleStudy(); }

  // The example study's demography, saved once so that each genetic run starts from it.
  void saveDemography() {
    const RunResult r =
        run("--quiet --seed 12345 --no-genetics --save-demography saved.demography "
            "study/settings.txt");
    ASSERT_EQ(r.status, 0) << r.err << log();
  }
  RunResult genetics(const std::string& options) {
    return run("genetics --quiet --seed 12345 --demography saved.demography " + options +
               " study/settings.txt");
  }
  // Every genetic output by name, the manifest without what differs by design (the command
  // line, the threads, durations), and the log without durations; then removed.
  std::map<std::string, std::string> takeOutputs() {
    auto files = filesUnder(at(kOutputs));
    auto& manifest = files["settings_samples_manifest.json"];
    manifest = comparableManifest(manifest);
    files["log"] = withoutDurations(log());
    fs::remove_all(at(kOutputs));
    return files;
  }
  static std::string comparableManifest(const std::string& text) {
    static const std::regex command("\"command\": \\[[^\\]]*\\]");
    static const std::regex threads("\"threads\": \\{[^}]*\\}");
    static const std::regex seconds("\"seconds\": [0-9.e+-]+");
    std::string out = std::regex_replace(text, command, "\"command\": #");
    out = std::regex_replace(out, threads, "\"threads\": #");
    return std::regex_replace(out, seconds, "\"seconds\": #");
  }
  // The value of a string member of the manifest, JSON escapes undone.
  static std::string jsonMember(const std::string& json, const std::string& key) {
    const std::string opening = "\"" + key + "\": \"";
    const auto at = json.find(opening);
    if (at == std::string::npos) return {};
    std::string value;
    for (std::size_t i = at + opening.size(); i < json.size() && json[i] != '"'; ++i) {
      if (json[i] == '\\' && i + 1 < json.size()) ++i;
      value += json[i];
    }
    return value;
  }
};

// The same files for any number of threads; the manifest records the run and its replay
// command writes one simulation's files again.
TEST_F(ReplicatesCommandTest, AnyNumberOfThreadsWritesTheSameFilesAndOneSimulationReplays) {
  saveDemography();
  const std::string options =
      "--coal-temporal --coal-trees --vcf --set NumGeneticSimulations=8 --threads ";
  const std::string manifestName = std::string(kBase) + "_manifest.json";
  std::map<std::string, std::string> first;
  std::string manifest;
  for (const int threads : {1, 2, 8}) {
    const RunResult r = genetics(options + std::to_string(threads));
    ASSERT_EQ(r.status, 0) << r.err << log();
    EXPECT_TRUE(contains(r.out, "Genetic simulations: 8 of 8 completed, 0 failed, in ")) << r.out;
    EXPECT_TRUE(contains(r.out, "(replicates on " + std::to_string(threads) + " threads)"))
        << r.out;
    if (threads == 2) {
      EXPECT_TRUE(contains(r.out, "Run manifest: " + at(manifestName).string() + "\n")) << r.out;
      manifest = dir_.read(manifestName);
    }
    auto outputs = takeOutputs();
    if (threads == 1) {
      first = std::move(outputs);
      // Every kind of file the series writes, shared and per simulation.
      for (const char* name :
           {"settings_samples_8.arp", "settings_samples_8.vcf", "settings_samples.coal",
            "settings_samples_true_trees.trees", "settings_samples_results.txt",
            "settings_samples_CoalTree_8.bmp", "settings_samples_TotMRCADensity.bmp"}) {
        EXPECT_EQ(first.count(name), 1u) << name;
      }
      continue;
    }
    ASSERT_EQ(outputs.size(), first.size()) << threads;
    for (const auto& [name, content] : first) {
      EXPECT_TRUE(outputs[name] == content) << name << " differs with " << threads << " threads";
    }
  }

  for (const char* part :
       {"\"program\": \"ORVANTIS 3.0\"", "\"seed\": 12345,", "\"threads\": {\"asked\": 2",
        "\"simulations\": {\"total\": 8, \"first\": 1, \"last\": 8, \"finished\": 8, "
        "\"failed\": 0}",
        "\"status\": \"completed\"", "\"NumGeneticSimulations\": \"8\"",
        "{\"simulation\": 8, \"stream\": \"", "\"randomNumbers\": \"one stream per simulation\""}) {
    EXPECT_TRUE(contains(manifest, part)) << part << "\n" << manifest;
  }
  // The digests are those of the files' contents, the settings file's included.
  for (const char* file : {"study/settings.txt", "study/genetics.par", "saved.demography"}) {
    const RunResult sum = shell(std::string("sha256sum ") + file);
    ASSERT_EQ(sum.status, 0) << sum.err;
    EXPECT_TRUE(contains(manifest, "\"sha256\": \"" + sum.out.substr(0, 64) + "\"")) << file << "\n"
                                                                                     << manifest;
  }
  // The replay command, with S the simulation's number, writes that simulation's files again.
  std::string replay = jsonMember(manifest, "command");
  const auto s = replay.find("--simulations S ");
  ASSERT_NE(s, std::string::npos) << replay;
  replay.replace(s, 16, "--simulations 4 ");
  const RunResult replayed = shell(replay);
  ASSERT_EQ(replayed.status, 0) << replayed.err << log();
  EXPECT_EQ(dir_.read(std::string(kBase) + "_4.arp"), first.at("settings_samples_4.arp"));
  EXPECT_EQ(dir_.read(std::string(kBase) + "_4.vcf"), first.at("settings_samples_4.vcf"));
  EXPECT_FALSE(fs::exists(at(std::string(kBase) + "_3.arp")));
  EXPECT_EQ(dir_.read(std::string(kBase) + "_projects.txt"), "settings_samples_4.arp\n");
  EXPECT_TRUE(contains(dir_.read(manifestName), "\"first\": 4, \"last\": 4, \"finished\": 1"));
  fs::remove_all(at(kOutputs));

  // Without --threads the simulations draw from the one sequence of the program's generator:
  // other data, and a manifest that says so.
  ASSERT_EQ(genetics("--set NumGeneticSimulations=2").status, 0) << log();
  const auto sequence = takeOutputs();
  EXPECT_NE(sequence.at("settings_samples_1.arp"), first.at("settings_samples_1.arp"));
  EXPECT_TRUE(contains(sequence.at("settings_samples_manifest.json"),
                       "\"randomNumbers\": \"one sequence\""));
}

// The DNA and SNP loci at which a project file's genes differ, counted from its data lines: label,
// frequency, the DNA block's bases as one word, then one word per SNP locus (the blocks in this
// order on the chromosome).
int polymorphicSites(const std::string& project, int dnaSites, int snpLoci) {
  std::vector<std::set<std::string>> states(static_cast<std::size_t>(dnaSites + snpLoci));
  std::istringstream in(project);
  static const std::regex gene("^[0-9]+_[0-9]+\t1\t");
  for (std::string line; std::getline(in, line);) {
    if (!std::regex_search(line, gene)) continue;
    std::istringstream words(line);
    std::string label, frequency, dna;
    words >> label >> frequency >> dna;
    for (int i = 0; i < dnaSites && i < static_cast<int>(dna.size()); ++i) {
      states[static_cast<std::size_t>(i)].insert(dna.substr(static_cast<std::size_t>(i), 1));
    }
    std::string snp;
    for (int i = 0; i < snpLoci && (words >> snp); ++i) {
      states[static_cast<std::size_t>(dnaSites + i)].insert(snp);
    }
  }
  int count = 0;
  for (const auto& locus : states) count += locus.size() > 1 ? 1 : 0;
  return count;
}

TEST_F(ReplicatesCommandTest, BcftoolsReadsEveryVcfFileOfTheStudy) {
  if (!fs::exists("/usr/bin/bcftools")) GTEST_SKIP() << "bcftools is not installed";
  saveDemography();
  // The study's chromosome as it is (DNA and microsatellites), and one with SNP loci as well.
  const struct {
    const char* name;
    const char* geneticFile;
    int dnaSites;
    int snpLoci;
  } studies[] = {{"example", "", 500, 0},
                 {"with SNP loci",
                  "1\n#chromosome 1\n3\nDNA 300 0 0.00002 0.25 0.25 0.25 0.25 "
                  "1 4 1 1 4 1\nSNP 40 0 0.05\nMICROSAT 5 0 0.001 0 0\n",
                  300, 40}};
  for (const auto& study : studies) {
    SCOPED_TRACE(study.name);
    std::string options = "--vcf --set NumGeneticSimulations=3 --set NexusFile=0";
    if (*study.geneticFile != '\0') {
      dir_.write("study/snp.par", study.geneticFile);
      options += " --set GeneticFile=snp.par";
    }
    ASSERT_EQ(genetics(options).status, 0) << log();
    for (int s = 1; s <= 3; ++s) {
      const std::string vcf = std::string(kBase) + "_" + std::to_string(s) + ".vcf";
      ASSERT_TRUE(fs::exists(at(vcf))) << vcf;
      for (const char* command : {"bcftools view ", "bcftools stats "}) {
        const RunResult view = shell(command + vcf);
        EXPECT_EQ(view.status, 0) << command << vcf;
        EXPECT_EQ(view.err, "") << command << vcf;
      }
      static const std::regex records("\nSN\t0\tnumber of records:\t([0-9]+)\n");
      std::smatch match;
      const std::string stats = dir_.read("shell.out");
      ASSERT_TRUE(std::regex_search(stats, match, records)) << stats;
      const std::string project = dir_.read(std::string(kBase) + "_" + std::to_string(s) + ".arp");
      EXPECT_EQ(std::stoi(match[1]), polymorphicSites(project, study.dnaSites, study.snpLoci))
          << vcf;
      EXPECT_GT(std::stoi(match[1]), 0);
      EXPECT_TRUE(contains(stats, "\nSN\t0\tnumber of samples:\t200\n"));
    }
    fs::remove_all(at(kOutputs));
  }
}

TEST_F(ReplicatesCommandTest, UnusableRequestsAreRefusedWithAClearMessage) {
  saveDemography();
  const struct {
    const char* options;
    int status;
    const char* message;  // on the error stream
  } cases[] = {
      {"--threads -1", 2,
       "--threads: expected a number of threads from 0 (one per core) to 1024, got '-1'"},
      {"--threads 1025", 2, "to 1024, got '1025'"},
      {"--threads two", 2, "to 1024, got 'two'"},
      {"--simulations 2", 2, "--simulations requires --threads"},
      {"--threads 1 --simulations 0-2", 2, "expected FROM-TO with 1 <= FROM <= TO"},
      {"--threads 1 --simulations 3-2", 2, "expected FROM-TO with 1 <= FROM <= TO"},
      {"--threads 1 --simulations 11", 2,
       "--simulations 11-11: the study has 10 simulations (NumGeneticSimulations)"},
      {"--vcf --set GeneticFile=", 2,
       "--vcf asks for genetic simulations, but the settings name a sample file but no genetic "
       "parameters file (GeneticFile)"},
  };
  for (const auto& c : cases) {
    const RunResult r = genetics(c.options);
    EXPECT_EQ(r.status, c.status) << c.options;
    EXPECT_TRUE(contains(r.err, c.message)) << c.options << "\n" << r.err;
    EXPECT_FALSE(fs::exists(at(kOutputs))) << c.options;
  }
  const RunResult skipped = run("--vcf --no-genetics study/settings.txt");
  EXPECT_EQ(skipped.status, 2);
  EXPECT_TRUE(contains(skipped.err,
                       "--vcf asks for genetic simulations, which --no-genetics "
                       "skips"))
      << skipped.err;

  // An output folder that cannot be made: the genetic step stops, the demography's outputs
  // stay complete.
  dir_.write("study/GeneticsOutput", "a file in the folder's place");
  const RunResult blocked =
      run("--quiet --seed 1 --set EndTime=50 --threads 2 --vcf study/settings.txt");
  EXPECT_EQ(blocked.status, 1);
  EXPECT_TRUE(contains(blocked.err, "Cannot create the output directory GeneticsOutput/"))
      << blocked.err;
  EXPECT_TRUE(contains(blocked.out,
                       "Genetic simulations not run: cannot create the output "
                       "directory GeneticsOutput/"))
      << blocked.out;
  EXPECT_TRUE(contains(dir_.read("study/ascii/density_g50.asc"), "ncols 100\n"));
  EXPECT_FALSE(dir_.read("study/places_output.txt").empty());
}

}  // namespace
