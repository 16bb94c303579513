#pragma once
// Runs the rows of a batch: each row's study as a child process in the row's folder, several at
// once, a row started only when its demographic database fits in the memory left (otherwise it
// waits for running rows to end), every ended row recorded in its folder, a progress bar of rows.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli/batch_mirror.h"
#include "cli/batch_plan.h"

namespace orvantis {

// What a running study is known to need and to hold.
struct TStudyMemory {
  std::uint64_t need = 0;      // the most its database and world take
  std::uint64_t resident = 0;  // what it holds now
};

// True when a study needing `need` bytes may start beside the running ones: its need, what the
// running studies will still take beyond what they hold, and a reserve fit in the memory
// available. A study alone may always start (its own database check then decides).
bool studyMayStart(std::uint64_t need, std::uint64_t available,
                   const std::vector<TStudyMemory>& running, std::uint64_t& left);

// The row's values as its folder keeps them (row.tsv): name, seed and the --set values.
std::string rowValuesText(const TRowPlan& plan);
// True when the row's folder holds a complete result of these values: --resume skips it. A row
// whose values changed since is run again.
bool isComplete(const std::filesystem::path& rowFolder, const TRowPlan& plan);

struct TBatchRunOptions {
  std::string program;                    // the orvantis command the studies run
  std::vector<std::string> childOptions;  // options given to every study
  std::string settingsFileName;           // the settings file's name in the study folder
  std::filesystem::path runsFolder;
  int jobs = 1;
  bool resume = false;             // skip the rows whose folder holds a complete result
  bool progressBar = false;        // draw the bar on the error stream
  bool quiet = false;              // no line per row on the output stream
  bool summaryStatistics = false;  // the studies write summary statistics files
};

struct TBatchCounts {
  int rows = 0;
  int skipped = 0;  // complete before this run (--resume)
  int done = 0;
  int failed = 0;
  bool interrupted = false;  // stopped by a signal; the rows still running were abandoned
  double seconds = 0.0;
};

class TBatchRunner {
 public:
  TBatchRunner(const std::vector<TRowPlan>& plans, const TStudyMirror& mirror,
               const TBatchRunOptions& options, std::ostream& out, std::ostream& err);

  TBatchCounts run();

 private:
  struct TRunning {
    const TRowPlan* plan;
    pid_t pid;
    double started;
  };

  bool startRow(const TRowPlan& plan);
  void finishRow(const TRunning& running, int status);
  void recordFailure(const TRowPlan& plan, const std::string& message);
  bool memoryAllows(const TRowPlan& plan);
  void stopRunning();
  void drawProgress();
  double now() const;

  const std::vector<TRowPlan>& plans_;
  const TStudyMirror& mirror_;
  const TBatchRunOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::vector<TRunning> running_;
  TBatchCounts counts_;
  int toRun_ = 0;
  const TRowPlan* waitingFor_ = nullptr;  // the row whose wait for memory was reported
  double start_ = 0.0;
};

}  // namespace orvantis
