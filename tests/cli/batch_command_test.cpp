// "orvantis batch" as a user runs it, on a short run of the example study: every row in its own
// folder, failures recorded while the others go on, bad input refused before any study starts,
// an interrupted batch finished by --resume, a row rerun by its seed with the same outputs.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "cli/batch_record.h"
#include "cli/batch_seed.h"
#include "cli/batch_study.h"
#include "cli/command_fixture.h"

namespace {

namespace fs = std::filesystem;
using orvantis::testing::CommandTest;
using orvantis::testing::linesOf;
using orvantis::testing::RunResult;

// Every file under a folder (links followed) with its content.
std::map<std::string, std::string> filesUnder(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    files[fs::relative(entry.path(), folder).generic_string()] = content.str();
  }
  return files;
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
TEST_F(BatchCommandTest, BadInputStartsNoStudy) {
  makeStudy();
  dir_.write("table.tsv", "name\tGrowthRate\na\t0.3\nb\t0.4\n");
  dir_.write("unknown.tsv", "name\tGrowthRate\tGrowth\na\t0.3\t1\n");
  dir_.write("short.tsv", "name\tGrowthRate\na\t0.3\nb\n");
  dir_.write("outside.tsv", "name\tSampleFile\na\t../x.sam\n");
  const struct {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"batch unknown.tsv study/settings.txt", 1,
       "ERROR: unknown.tsv, line 1: unknown settings key 'Growth' in column 3\n"},
      {"batch short.tsv study/settings.txt", 1,
       "ERROR: short.tsv, line 3: 1 fields for 2 columns\n"},
      {"batch table.tsv study/nothere.txt", 1, "ERROR: study/nothere.txt: no such settings file\n"},
      {"batch table.tsv study/settings.txt --runs study/settings.txt/runs", 1, "cannot be made"},
      {"batch table.tsv study/settings.txt --runs .", 1, "lies inside it"},
      {"batch outside.tsv study/settings.txt", 1, "SampleFile '../x.sam' is not in a folder"},
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
// leaves the finished rows as they were.
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
}

// --resume keeps a complete row only while its values are those of the table.
TEST_F(BatchCommandTest, ResumeRunsAgainARowWhoseValuesChanged) {
  makeStudy();
  dir_.write("table.tsv", "name\tseed\tGrowthRate\na\t1\t0.3\nb\t2\t0.3\n");
  ASSERT_EQ(run("batch table.tsv study/settings.txt --quiet").status, 0);
  const std::string doneA = row("a", "row_done.tsv");
  dir_.write("table.tsv", "name\tseed\tGrowthRate\na\t1\t0.3\nb\t2\t0.5\n");
  const RunResult resumed = run("batch table.tsv study/settings.txt --resume");
  ASSERT_EQ(resumed.status, 0);
  EXPECT_NE(resumed.out.find("1 studies run (1 complete, 0 failed), 1 complete before"),
            std::string::npos)
      << resumed.out;
  EXPECT_EQ(row("a", "row_done.tsv"), doneA);
  EXPECT_EQ(row("b", "row.tsv"), "name\tseed\tGrowthRate\nb\t2\t0.5\n");
}

}  // namespace
