#pragma once
// The tiny study the fuzz harnesses run: a world of 6 x 5 cells with a lake and every optional
// input (LGM vegetation, altitude, roughness, rivers, migration and admixture classes, dynamic
// tables, climate and sea-level series, sources of one and two populations, places), in a
// private directory under $TMPDIR that is removed when the process ends. A harness writes the
// input it fuzzes into that directory and runs the study on it as the orvantis command does,
// so the reader's effects reach the world, the demography and the outputs.
//
// Settings files of the study: "settings.txt" (one population, model 1), "settings_two.txt"
// (two populations, model 22, a second source at generation 5) and "settings_full.txt" (every
// map, the climate series, coast and river factors, coast adaptation and long-distance
// dispersal with per-cell migration rates, model 14).

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvantis {
class World;
struct TRunContext;
}  // namespace orvantis

namespace orvantis::fuzz {

// Values stored over those of the settings file after every load, as --set does.
using TOverrides = std::vector<std::pair<std::string, std::string>>;

// One run of the command's workflow (open, build, run, outputs) with a fixed seed, whose log,
// boxes and summary go nowhere. The world stays for the harness to read.
class TStudyRun {
 public:
  TStudyRun(const std::string& settingsPath, const TOverrides& overrides);
  ~TStudyRun();
  TStudyRun(const TStudyRun&) = delete;
  TStudyRun& operator=(const TStudyRun&) = delete;

  int status() const { return status_; }
  World& world();
  TRunContext& context();

 private:
  struct TParts;
  std::unique_ptr<TParts> parts_;
  int status_ = 1;
};

class TTinyStudy {
 public:
  // The study of this process, written on first use.
  static TTinyStudy& instance();
  ~TTinyStudy();

  const std::filesystem::path& directory() const { return directory_; }
  std::string path(const std::string& name) const { return (directory_ / name).string(); }
  // Writes the bytes as the file `name` of the study's directory.
  void write(const std::string& name, std::string_view content) const;

  // Runs the study on its settings file `settings` with the overrides, then removes whatever
  // the harness or the run added to the directory, so that every input starts from the same
  // study. Returns the command's exit status.
  int run(const std::string& settings, const TOverrides& overrides = {}) const;

  // Removes every file and folder that is not part of the study, and goes back to the
  // directory the process started in (the workflow moves into the settings' directory).
  void restore() const;

 private:
  TTinyStudy();

  std::filesystem::path directory_;
  std::filesystem::path startDirectory_;
  std::set<std::string> studyFiles_;
};

// Fuzzed text that names a file outside the study (a path, or a device such as /dev/zero that
// never ends) would leave the harness's sandbox: harnesses skip such inputs.
bool namesAPath(std::string_view text);

}  // namespace orvantis::fuzz
