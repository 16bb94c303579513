// Runs the orvantis program as a user would and checks its exit status, output and log.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
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

  fs::path dir_;
};

const char* kValidSettings =
    "EndTime = 10\nGenerationTime = 25\nChosenDemographicModel = 1\nDoublePopulationMode = 0\n";

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

TEST_F(CommandTest, OpensSettingsAndWritesLogHeaderWithFixedSeed) {
  writeFile("study/settings.txt", kValidSettings);
  RunResult r = run("--seed 42 study/settings.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string expectedStart =
      "ORVANTIS 3.0 | Logfile\n**************************\n"
      "Random generator initialized with lidum=-42\n\n"
      "Reading setting file ...\n";
  EXPECT_EQ(log().substr(0, expectedStart.size()), expectedStart);
  EXPECT_NE(log().find("... Done !\n"), std::string::npos);
  EXPECT_NE(r.out.find("Random generator initialized with seed=-42\n\n"), std::string::npos);
}

TEST_F(CommandTest, SameSeedGivesSameLog) {
  writeFile("study/settings.txt", kValidSettings);
  ASSERT_EQ(run("--seed 42 study/settings.txt").status, 0);
  const std::string first = log();
  ASSERT_EQ(run("--seed 42 study/settings.txt").status, 0);
  EXPECT_EQ(log(), first);
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
  const std::string message = "The parameter 'DoublePopulationMode' is not defined in the inputfile!";
  EXPECT_NE(log().find("\nERROR:" + message + "\n"), std::string::npos) << log();
  EXPECT_NE(r.out.find("\nERROR:" + message + "\n"), std::string::npos);
  EXPECT_EQ(r.err, "Problem when loading project file:" + message + "\n");
}

}  // namespace
