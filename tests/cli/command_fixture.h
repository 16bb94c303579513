#pragma once
// Runs the orvantis program as a user would, from a scratch directory holding a copy of the
// example study, and reads back its exit status, output and log.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Every file under a folder (links followed) by its relative path, with its content.
inline std::map<std::string, std::string> filesUnder(const fs::path& folder) {
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
  // Runs a shell command from the scratch directory, its output and errors read back.
  RunResult shell(const std::string& command) {
    const int raw = std::system(
        ("cd '" + dir_.path("") + "' && (" + command + ") >shell.out 2>shell.err").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir_.read("shell.out"), dir_.read("shell.err")};
  }

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
