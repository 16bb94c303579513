#pragma once
// Runs the orvantis program as a user would, from a scratch directory holding a copy of the
// example study, and reads back its exit status, output and log.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "support/text_assertions.h"

namespace orvantis::testing {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CommandTest : public ::testing::Test {
 protected:
  CommandTest() { fs::create_directories(at("study")); }

  fs::path at(const std::string& name) const { return dir_.path(name); }
  // Runs the program from the scratch directory (where its log lands) with the given arguments.
  RunResult run(const std::string& args) {
    const std::string cmd = "cd '" + dir_.path("") + "' && '" + ORVANTIS_EXE + "' " + args +
                            " >out.txt 2>err.txt < /dev/null";
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir_.read("out.txt"), dir_.read("err.txt")};
  }
  std::string log() { return dir_.read("orvantis3_beta_win.log"); }

  // A copy of the bundled example study in study/, without any earlier outputs.
  void copyExampleStudy() {
    const fs::path example = fs::path(ORVANTIS_SOURCE_DIR) / "examples" / "expansion";
    for (const auto& entry : fs::directory_iterator(example)) {
      if (entry.is_regular_file() && entry.path().extension() != ".log") {
        fs::copy_file(entry.path(), at("study") / entry.path().filename());
      }
    }
  }

  orvantis::testing::ScratchDir dir_;
};

}  // namespace orvantis::testing
