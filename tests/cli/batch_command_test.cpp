// "orvantis batch" as a user runs it, on a short run of the example study: every row in its own
// folder, failures recorded while the others go on, bad input refused before any study starts,
// an interrupted batch finished by --resume, a row rerun by its seed with the same outputs.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "cli/batch_record.h"
#include "cli/batch_seed.h"
#include "cli/batch_study.h"
#include "cli/command_fixture.h"

namespace {

namespace fs = std::filesystem;
using orvantis::testing::CommandTest;
using orvantis::testing::filesUnder;
using orvantis::testing::linesOf;
using orvantis::testing::RunResult;

struct Gene {
  std::string dna;
  std::vector<int> sizes;
};

// The genes of every sample of a project file: the DNA letters and the microsatellite sizes.
std::map<std::string, std::vector<Gene>> projectSamples(const std::string& text) {
  std::map<std::string, std::vector<Gene>> samples;
  const std::regex sample(
      "SampleName=\"([^\"]*)\"\\s*\\n\\s*SampleSize=\\d+\\s*\\n\\s*SampleData= "
      "\\{\\n([^}]*)\\}");
  for (std::sregex_iterator it(text.begin(), text.end(), sample), end; it != end; ++it) {
    std::istringstream lines((*it)[2].str());
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string label, one;
      Gene gene;
      if (!(words >> label >> one >> gene.dna)) continue;
      for (int size; words >> size;) gene.sizes.push_back(size);
      samples[(*it)[1].str()].push_back(gene);
    }
  }
  return samples;
}

// The mean number of sites at which a gene of a and one of b differ (each pair once if a is b).
double meanDifferences(const std::vector<Gene>& a, const std::vector<Gene>& b) {
  double sum = 0.0, pairs = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (std::size_t j = &a == &b ? i + 1 : 0; j < b.size(); ++j, ++pairs) {
      for (std::size_t k = 0; k < a[i].dna.size(); ++k) sum += a[i].dna[k] != b[j].dna[k];
    }
  }
  return sum / pairs;
}

// The variance of the allele sizes (n - 1 in the denominator), averaged over the loci.
double meanSizeVariance(const std::vector<Gene>& genes) {
  double total = 0.0;
  const std::size_t loci = genes[0].sizes.size(), n = genes.size();
  for (std::size_t l = 0; l < loci; ++l) {
    double sum = 0.0, squares = 0.0;
    for (const Gene& g : genes) sum += g.sizes[l], squares += double(g.sizes[l]) * g.sizes[l];
    total += (squares - sum * sum / n) / (n - 1) / loci;
  }
  return total;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) out.push_back(field);
  return out;
}

class BatchCommandTest : public CommandTest {
 protected:
  void makeStudy(int endTime = 60) {
    copyExampleStudy();
    orvantis::testing::shortenStudy(at("study"), endTime);
  }
  std::string row(const std::string& name, const std::string& file) {
    return dir_.read("runs/" + name + "/" + file);
  }
  std::vector<std::string> summary() { return linesOf(dir_.read("runs/batch_summary.tsv")); }
};

TEST_F(BatchCommandTest, RunsEveryRowInItsOwnFolderAndLeavesTheStudyFolderAlone) {
  makeStudy();
  const auto before = filesUnder(at("study"));
  dir_.write("table.tsv",
             "name\tseed\tGrowthRate\tMigrationRate\nslow\t11\t0.2\t0.1\nfast\t12\t0.6\t0.3\n"
             "mid\t13\t0.4\t0.2\n");
  const RunResult r = run("batch table.tsv study/settings.txt --jobs 2");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(filesUnder(at("study")), before);
  for (const char* name : {"slow", "fast", "mid"}) {
    EXPECT_NE(row(name, "row_done.tsv").find("status\tdone\n"), std::string::npos) << name;
    EXPECT_FALSE(row(name, "ascii/density_g60.asc").empty()) << name;
    EXPECT_TRUE(fs::is_symlink(at("runs/" + std::string(name) + "/vegetation.asc")));
  }
  EXPECT_NE(row("fast", "ascii/density_g60.asc"), row("slow", "ascii/density_g60.asc"));
  EXPECT_NE(row("mid", "row.tsv").find("mid\t13\t0.4\t0.2"), std::string::npos);
  // One line per study and genetic simulation, the statistics those of the study's file.
  const auto lines = summary();
  ASSERT_EQ(lines.size(), 7u);
  const std::string header =
      "name\tseed\tGrowthRate\tMigrationRate\tstatus\texit\tmessage\tseconds\tbuild\t"
      "demography\tgenetics\tsimulation\tnhap_Origin\thapdiv_Origin\t";
  EXPECT_EQ(lines[0].substr(0, header.size()), header);
  const auto stats = linesOf(row("fast", "GeneticsOutput/settings_short_summary_stats.tsv"));
  ASSERT_EQ(stats.size(), 3u);
  EXPECT_EQ(lines[0].substr(lines[0].find("\tsimulation\t") + 1), stats[0]);
  for (int s = 1; s <= 2; ++s) {
    const std::string& line = lines[2 + static_cast<std::size_t>(s)];
    const std::string fast = "fast\t12\t0.6\t0.3\tdone\texit status 0\tNA\t";
    EXPECT_EQ(line.substr(0, fast.size()), fast);
    const std::string column{'\t', static_cast<char>('0' + s), '\t'};
    EXPECT_EQ(line.substr(line.find(column) + 1), stats[s]) << line;
  }
  EXPECT_NE(r.out.find("3 studies run (3 complete, 0 failed), 0 complete before"),
            std::string::npos)
      << r.out;

  // A row's study run again by hand with the row's seed and values gives the same outputs.
  ASSERT_EQ(run("--quiet --seed 12 --summary-stats --set GrowthRate=0.6 --set MigrationRate=0.3 "
                "study/settings.txt")
                .status,
            0);
  for (const char* file :
       {"ascii/density_g60.asc", "places_output.txt", "GeneticsOutput/settings_short_1.arp",
        "GeneticsOutput/settings_short_2.arp", "GeneticsOutput/settings_short_summary_stats.tsv"}) {
    EXPECT_EQ(dir_.read(std::string("study/") + file), row("fast", file)) << file;
  }
  // The statistics agree with the data of the project files, recomputed the plain way.
  const std::vector<std::string> columns = fields(stats[0]);
  for (int s = 1; s <= 2; ++s) {
    const std::vector<std::string> values = fields(stats[static_cast<std::size_t>(s)]);
    ASSERT_EQ(values.size(), columns.size());
    const auto value = [&](const std::string& column) {
      const auto at = std::find(columns.begin(), columns.end(), column);
      return at == columns.end() ? NAN : std::atof(values[at - columns.begin()].c_str());
    };
    const auto samples =
        projectSamples(row("fast", "GeneticsOutput/settings_short_" + std::to_string(s) + ".arp"));
    const auto& origin = samples.at("Origin");
    const auto& north = samples.at("North");
    ASSERT_EQ(origin.size(), 6u);
    ASSERT_EQ(origin[0].dna.size(), 40u);
    ASSERT_EQ(origin[0].sizes.size(), 4u);
    const double piOrigin = meanDifferences(origin, origin),
                 piNorth = meanDifferences(north, north);
    const double dxy = meanDifferences(origin, north);
    EXPECT_NEAR(value("pi_Origin"), piOrigin, 1e-7 * (1 + piOrigin));
    EXPECT_NEAR(value("pi_North"), piNorth, 1e-7 * (1 + piNorth));
    EXPECT_NEAR(value("dxy_Origin_North"), dxy, 1e-7 * (1 + dxy));
    const double variance = meanSizeVariance(origin);
    EXPECT_NEAR(value("varsize_Origin"), variance, 1e-7 * (1 + variance));
  }
}

TEST_F(BatchCommandTest, AFailingRowIsRecordedWhileTheOthersGoOn) {
  makeStudy();
  dir_.write("table.tsv", "ChosenDemographicModel\n3\n99\n1\n");
  const RunResult r = run("batch table.tsv study/settings.txt --jobs 2 --seed 5");
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.out.find("Seeds derived from the master seed 5"), std::string::npos);
  EXPECT_TRUE(fs::exists(at("runs/row1/row_done.tsv")));
  EXPECT_TRUE(fs::exists(at("runs/row3/row_done.tsv")));
  EXPECT_FALSE(fs::exists(at("runs/row2/row_done.tsv")));
  orvantis::TRowRecord failed;
  ASSERT_TRUE(orvantis::readRowRecord(at("runs/row2"), failed));
  EXPECT_FALSE(failed.done);
  EXPECT_EQ(failed.exit, "exit status 1");
  EXPECT_EQ(failed.message,
            "ERROR: demographic model ID : The ID of the demographic model is not known!");
  // Two genetic simulations of rows 1 and 3, one line of NA for row 2.
  const auto lines = summary();
  ASSERT_EQ(lines.size(), 6u);
  const std::string failedLine =
      "row2\t" + std::to_string(orvantis::rowSeed(5, 2)) + "\t99\tfailed\texit status 1\tERROR: ";
  EXPECT_EQ(lines[3].substr(0, failedLine.size()), failedLine);
  EXPECT_NE(lines[3].find("\tNA\tNA\tNA\tNA\tNA\tNA\tNA"), std::string::npos);
}

// Nothing starts on a table, settings or runs folder that cannot be used: no row folder appears.
// (The table's and the plan's other refusals are with the batch pieces.)
TEST_F(BatchCommandTest, BadInputStartsNoStudy) {
  makeStudy();
  dir_.write("table.tsv", "name\tGrowthRate\na\t0.3\nb\t0.4\n");
  dir_.write("unknown.tsv", "name\tGrowthRate\tGrowth\na\t0.3\t1\n");
  const struct {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"batch unknown.tsv study/settings.txt", 1,
       "ERROR: unknown.tsv, line 1: unknown settings key 'Growth' in column 3\n"},
      {"batch table.tsv study/nothere.txt", 1, "ERROR: study/nothere.txt: no such settings file\n"},
      {"batch table.tsv study/settings.txt --runs study/settings.txt/runs", 1, "cannot be made"},
      {"batch table.tsv study/settings.txt --runs .", 1, "lies inside it"},
      {"batch", 2, "TABLE is required"},
      {"batch table.tsv study/settings.txt --jobs 0", 2, "--jobs"},
      {"batch table.tsv study/settings.txt -- --seed 3", 2, "not from the options after --"},
      {"batch table.tsv study/settings.txt -- --zoom 20", 2, "--zoom"},
  };
  for (const auto& c : cases) {
    const RunResult r = run(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_FALSE(fs::exists(at("runs/a"))) << c.args;
    EXPECT_FALSE(fs::exists(at("runs/row1"))) << c.args;
  }
}

// A batch killed while a row runs: the rows finished before are complete, the row that was
// running is not marked complete and its study stopped with the batch; --resume runs the rest and
// leaves the finished rows as they were; a row whose values changed runs again.
TEST_F(BatchCommandTest, ResumeFinishesABatchKilledMidWay) {
  makeStudy(400);
  std::string table = "name\tseed\tGrowthRate\n";
  for (const char* i : {"1", "2", "3", "4"}) table += std::string("r") + i + "\t" + i + "\t0.3\n";
  dir_.write("table.tsv", table);
  const std::string start = "cd '" + at("").string() + "' && { '" + ORVANTIS_EXE +
                            "' batch table.tsv study/settings.txt --jobs 1 >batch_out.txt "
                            "2>&1 & echo $! > batch.pid; }";
  ASSERT_EQ(std::system(start.c_str()), 0);
  const pid_t batch = std::stoi(dir_.read("batch.pid"));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(at("runs/r1/row_done.tsv")) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(fs::exists(at("runs/r1/row_done.tsv"))) << dir_.read("batch_out.txt");
  ASSERT_EQ(::kill(batch, SIGKILL), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  std::vector<std::string> complete, unfinished;
  for (const char* i : {"1", "2", "3", "4"}) {
    const std::string name = std::string("r") + i;
    if (fs::exists(at("runs/" + name + "/row_done.tsv"))) {
      complete.push_back(name);
      EXPECT_FALSE(row(name, "ascii/density_g400.asc").empty()) << name;
    } else {
      unfinished.push_back(name);
    }
  }
  ASSERT_FALSE(unfinished.empty()) << "the batch ended before it was killed";
  // The study of the row that was running died with the batch: its log no longer grows.
  const std::string running = "runs/" + unfinished.front() + "/orvantis3_beta_win.log";
  const std::string logThen = dir_.read(running);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_EQ(dir_.read(running), logThen);
  const auto finishedBefore = filesUnder(at("runs/" + complete.front()));

  const RunResult resumed = run("batch table.tsv study/settings.txt --jobs 2 --resume");
  ASSERT_EQ(resumed.status, 0) << resumed.out << resumed.err;
  EXPECT_NE(resumed.out.find(std::to_string(unfinished.size()) + " studies run (" +
                             std::to_string(unfinished.size()) + " complete, 0 failed), " +
                             std::to_string(complete.size()) + " complete before"),
            std::string::npos)
      << resumed.out;
  EXPECT_EQ(filesUnder(at("runs/" + complete.front())), finishedBefore);
  const auto lines = summary();
  ASSERT_EQ(lines.size(), 9u);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].find("\tdone\t"), std::string::npos) << lines[i];
  }

  // --resume keeps a complete row only while its values are those of the table.
  const std::string doneR2 = row("r2", "row_done.tsv");
  table.replace(table.find("r4\t4\t0.3"), 8, "r4\t4\t0.5");
  dir_.write("table.tsv", table);
  const RunResult changed = run("batch table.tsv study/settings.txt --resume");
  ASSERT_EQ(changed.status, 0);
  EXPECT_NE(changed.out.find("1 studies run (1 complete, 0 failed), 3 complete before"),
            std::string::npos)
      << changed.out;
  EXPECT_EQ(row("r2", "row_done.tsv"), doneR2);
  EXPECT_EQ(row("r4", "row.tsv"), "name\tseed\tGrowthRate\nr4\t4\t0.5\n");
}

}  // namespace
