// Runs the orvantis program as a user would and checks its exit status, output and log.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("orvantis_cli_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "study");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void writeFile(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  // Runs the program from dir_ (where its log lands) with the given arguments.
  RunResult run(const std::string& args) {
    const std::string cmd = "cd '" + dir_.string() + "' && '" + ORVANTIS_EXE + "' " + args +
                            " >out.txt 2>err.txt < /dev/null";
    RunResult r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(dir_ / "out.txt");
    r.err = readFile(dir_ / "err.txt");
    return r;
  }

  std::string log() { return readFile(dir_ / "orvantis3_beta_win.log"); }

  // A copy of the bundled example study in dir_/study, without any earlier outputs.
  void copyExampleStudy() {
    const fs::path example = fs::path(ORVANTIS_SOURCE_DIR) / "examples" / "expansion";
    for (const auto& entry : fs::directory_iterator(example)) {
      if (entry.is_regular_file() && entry.path().extension() != ".log") {
        fs::copy_file(entry.path(), dir_ / "study" / entry.path().filename());
      }
    }
  }

  fs::path dir_;
};

// The log with every duration masked, for comparing two runs.
std::string withoutDurations(const std::string& log) {
  static const std::regex duration(R"(([Dd]uration[^:]*: )[0-9.e+-]+)");
  return std::regex_replace(log, duration, "$1#");
}

TEST_F(CommandTest, VersionAndUsage) {
  RunResult v = run("--version");
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "ORVANTIS 3.0\n");

  EXPECT_EQ(run("").status, 2);
  EXPECT_EQ(run("--seed 2000000 x.txt").status, 2);
  EXPECT_EQ(run("--seed -1 x.txt").status, 2);
  EXPECT_EQ(run("--set NOEQUALS x.txt").status, 2);
  EXPECT_EQ(run("--no-such-option x.txt").status, 2);
  EXPECT_EQ(run("--help").status, 0);
}

TEST_F(CommandTest, RunsTheExampleStudyAndWritesItsOutputs) {
  copyExampleStudy();
  RunResult r = run("--seed 42 --set EndTime=120 --every 60 --legend study/settings.txt");
  ASSERT_EQ(r.status, 0) << r.err << log();
  const std::string expectedStart =
      "ORVANTIS 3.0 | Logfile\n**************************\n"
      "Random generator initialized with lidum=-42\n\n"
      "Reading setting file ...\n";
  EXPECT_EQ(log().substr(0, expectedStart.size()), expectedStart);
  for (const char* line :
       {"Building world ...\n", "Simulating demography ...\n", "Printing demographic report... \n",
        "\tDate of entire colonization, layer 0 : "}) {
    EXPECT_NE(log().find(line), std::string::npos) << line;
  }
  EXPECT_NE(r.out.find("Random generator initialized with seed=-42\n\n"), std::string::npos);
  EXPECT_NE(r.out.find("World: 100 x 80 cells, 4684 active\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Simulated 120 generations in "), std::string::npos) << r.out;
  // --set EndTime=120 and --every 60: maps at 0, 60 and 120, and the legends.
  for (const char* file :
       {"bmp/density_g0.bmp", "bmp/density_g60.bmp", "bmp/density_g120.bmp",
        "bmp/occupation_g000.bmp", "bmp/occupation_g120.bmp", "bmp/legend.bmp",
        "bmp/legend_density.bmp", "ascii/density_g120.asc", "places_output.txt"}) {
    EXPECT_TRUE(fs::exists(dir_ / "study" / file)) << file;
  }
  EXPECT_FALSE(fs::exists(dir_ / "study" / "bmp/density_g180.bmp"));
}

TEST_F(CommandTest, SameSeedRepeatsAStochasticRunExactly) {
  copyExampleStudy();
  const std::string args =
      "--quiet --seed 42 --set EndTime=80 --set ChosenDemographicModel=3 study/settings.txt";
  ASSERT_EQ(run(args).status, 0);
  const std::string first = withoutDurations(log());
  const std::string firstMap = readFile(dir_ / "study" / "ascii" / "density_g80.asc");
  ASSERT_FALSE(firstMap.empty());
  ASSERT_EQ(run(args).status, 0);
  EXPECT_EQ(withoutDurations(log()), first);
  EXPECT_EQ(readFile(dir_ / "study" / "ascii" / "density_g80.asc"), firstMap);

  // Another seed gives another expansion.
  ASSERT_EQ(run("--quiet --seed 43 --set EndTime=80 --set ChosenDemographicModel=3 "
                "study/settings.txt")
                .status,
            0);
  EXPECT_NE(readFile(dir_ / "study" / "ascii" / "density_g80.asc"), firstMap);
}

TEST_F(CommandTest, FailedWorldConstructionShowsTheBoxAndFails) {
  copyExampleStudy();
  // A vegetation map cut short: the reader names the file and construction fails.
  const std::string grid = readFile(dir_ / "study" / "vegetation.asc");
  writeFile("study/vegetation.asc", grid.substr(0, grid.size() / 2));
  RunResult r = run("--seed 1 study/settings.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("ERROR: BuildWorld: Error with constructing a World\n"), std::string::npos)
      << r.err;
  EXPECT_NE(log().find("vegetation.asc"), std::string::npos);
  EXPECT_EQ(log().find("Simulating demography ..."), std::string::npos);
}

TEST_F(CommandTest, UnknownModelFailsTheRun) {
  copyExampleStudy();
  RunResult r = run("--seed 1 --set ChosenDemographicModel=99 study/settings.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      r.err.find("ERROR: demographic model ID : The ID of the demographic model is not known!"),
      std::string::npos)
      << r.err;
}

TEST_F(CommandTest, MissingSettingsFileIsReportedWithTheExactLines) {
  RunResult r = run("--seed 1 study/nothere.txt");
  EXPECT_EQ(r.status, 1);
  const std::string message = "Inputfile 'study/nothere.txt' could not be opened!";
  EXPECT_NE(log().find("Reading setting file ...\n\nERROR:" + message + "\n"), std::string::npos)
      << log();
  EXPECT_NE(r.out.find("\nERROR:" + message + "\n"), std::string::npos);
  EXPECT_EQ(r.err, "Problem when loading project file:" + message + "\n");
}

TEST_F(CommandTest, MissingRequiredKeyIsReportedWithTheExactLines) {
  writeFile("study/settings.txt", "EndTime = 10\nChosenDemographicModel = 1\n");
  RunResult r = run("--seed 1 study/settings.txt");
  EXPECT_EQ(r.status, 1);
  const std::string message =
      "The parameter 'DoublePopulationMode' is not defined in the inputfile!";
  EXPECT_NE(log().find("\nERROR:" + message + "\n"), std::string::npos) << log();
  EXPECT_NE(r.out.find("\nERROR:" + message + "\n"), std::string::npos);
  EXPECT_EQ(r.err, "Problem when loading project file:" + message + "\n");
}

}  // namespace
