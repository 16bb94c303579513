#include "cli/batch_runner.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <iomanip>
#include <sstream>
#include <thread>

#include "cli/batch_files.h"
#include "cli/batch_process.h"
#include "cli/batch_record.h"
#include "foundation/log.h"
#include "world/database/memory_budget.h"

namespace orvantis {

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signal) {
  stopSignal = signal;
}

// Installs the stop handlers for the lifetime of a run, and puts the earlier ones back.
class TStopSignals {
 public:
  TStopSignals() {
    stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &previous_[i]);
  }
  ~TStopSignals() {
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
  }
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

 private:
  static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction previous_[3]{};
};

std::string mebibytes(std::uint64_t bytes) {
  return std::to_string(bytes >> 20) + " MiB";
}

// The memory left aside besides the studies' needs, as the database check of a study does.
constexpr std::uint64_t kMemoryReserve = 256ull << 20;

}  // namespace

std::string rowValuesText(const TRowPlan& plan) {
  std::ostringstream values;
  values << "name\tseed";
  for (const auto& [key, value] : plan.overrides) values << '\t' << key;
  values << '\n' << plan.row->name << '\t' << plan.seed;
  for (const auto& [key, value] : plan.overrides) values << '\t' << value;
  values << '\n';
  return values.str();
}

bool isComplete(const fs::path& rowFolder, const TRowPlan& plan) {
  std::error_code code;
  std::string values;
  return fs::is_regular_file(rowFolder / kRowDoneFile, code) &&
         readWholeFile((rowFolder / kRowValuesFile).string(), values) &&
         values == rowValuesText(plan);
}

bool studyMayStart(std::uint64_t need, std::uint64_t available,
                   const std::vector<TStudyMemory>& running, std::uint64_t& left) {
  std::uint64_t outstanding = 0;
  for (const TStudyMemory& study : running) {
    if (study.need > study.resident) outstanding += study.need - study.resident;
  }
  left = available > outstanding ? available - outstanding : 0;
  if (running.empty() || available == kUnlimitedBytes) return true;
  return left >= kMemoryReserve && need <= left - kMemoryReserve;
}

TBatchRunner::TBatchRunner(const std::vector<TRowPlan>& plans, const TStudyMirror& mirror,
                           const TBatchRunOptions& options, std::ostream& out, std::ostream& err)
    : plans_(plans), mirror_(mirror), options_(options), out_(out), err_(err) {}

double TBatchRunner::now() const {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void TBatchRunner::drawProgress() {
  if (!options_.progressBar || toRun_ == 0) return;
  const int ended = counts_.done + counts_.failed;
  const double fraction = static_cast<double>(ended) / toRun_;
  const double elapsed = now() - start_;
  constexpr int kWidth = 30;
  const int filled = static_cast<int>(fraction * kWidth + 0.5);
  err_ << "\rBatch [" << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] rows " << ended << '/'
       << toRun_ << ' ' << std::setw(3) << static_cast<int>(fraction * 100.0) << "%";
  if (counts_.failed > 0) err_ << ", " << counts_.failed << " failed";
  if (ended > 0 && ended < toRun_) {
    err_ << "  " << std::fixed << std::setprecision(0) << elapsed * (1.0 - fraction) / fraction
         << " s left" << std::defaultfloat;
  }
  err_ << "   " << std::flush;
  if (ended == toRun_) err_ << '\n';
}

bool TBatchRunner::memoryAllows(const TRowPlan& plan) {
  if (running_.empty()) return true;  // alone, the study's own check decides
  std::vector<TStudyMemory> studies;
  for (const TRunning& r : running_) studies.push_back({r.plan->memoryBytes, residentBytes(r.pid)});
  std::uint64_t left = 0;
  if (studyMayStart(plan.memoryBytes, availableMemoryBytes(), studies, left)) return true;
  if (waitingFor_ != &plan && !options_.quiet) {
    out_ << plan.row->name << " waits for memory: its study needs up to "
         << mebibytes(plan.memoryBytes) << ", " << mebibytes(left) << " are left" << std::endl;
  }
  waitingFor_ = &plan;
  return false;
}

void TBatchRunner::recordFailure(const TRowPlan& plan, const std::string& message) {
  TRowRecord record;
  record.seed = plan.seed;
  record.exit = "not started";
  record.message = message;
  std::string error;
  const fs::path folder = options_.runsFolder / plan.row->name;
  std::error_code code;
  fs::create_directories(folder, code);
  if (!writeRowRecord(folder, record, error)) err_ << "ERROR: " << error << "\n";
  ++counts_.failed;
  if (!options_.quiet) out_ << plan.row->name << " FAILED: " << message << std::endl;
  drawProgress();
}

bool TBatchRunner::startRow(const TRowPlan& plan) {
  const fs::path folder = options_.runsFolder / plan.row->name;
  std::error_code code;
  // A folder without a complete result is made anew: whatever an earlier run left is stale.
  fs::remove_all(folder, code);
  if (code || !fs::create_directory(folder, code) || code) {
    recordFailure(plan, folder.string() + ": cannot be made afresh (" + code.message() + ")");
    return false;
  }
  std::string error;
  if (!mirror_.create(folder, plan.skip, error)) {
    recordFailure(plan, error);
    return false;
  }
  if (!writeFileAtomically((folder / kRowValuesFile).string(), rowValuesText(plan), error)) {
    recordFailure(plan, error);
    return false;
  }

  std::vector<std::string> arguments{"--quiet", "--seed", std::to_string(plan.seed)};
  if (options_.summaryStatistics) arguments.emplace_back("--summary-stats");
  arguments.insert(arguments.end(), options_.childOptions.begin(), options_.childOptions.end());
  for (const auto& [key, value] : plan.overrides) {
    arguments.emplace_back("--set");
    arguments.push_back(key + "=" + value);
  }
  arguments.push_back(options_.settingsFileName);
  const pid_t pid =
      startStudyProcess(options_.program, arguments, folder, folder / kRowOutputFile, error);
  if (pid < 0) {
    recordFailure(plan, error);
    return false;
  }
  running_.push_back({&plan, pid, now()});
  return true;
}

void TBatchRunner::finishRow(const TRunning& running, int status) {
  const TRowPlan& plan = *running.plan;
  const fs::path folder = options_.runsFolder / plan.row->name;
  // A study ended by the signal that stops the batch (Ctrl-C reaches the whole group) is left
  // unrecorded, for --resume to run again.
  if (stopSignal != 0 && WIFSIGNALED(status)) return;
  TRowRecord record;
  record.seed = plan.seed;
  record.exit = describeWaitStatus(status);
  record.seconds = now() - running.started;
  std::string text;
  if (readWholeFile((folder / kLogFileName).string(), text)) readLogDurations(text, record);
  const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  std::error_code code;
  if (!exited) {
    std::string output;
    readWholeFile((folder / kRowOutputFile).string(), output);
    record.message = lastLine(output);
    if (record.message.empty()) record.message = "the study ended with " + record.exit;
  } else if (options_.summaryStatistics && !plan.summaryStatsFile.empty() &&
             !fs::is_regular_file(folder / plan.summaryStatsFile, code)) {
    record.message = "no summary statistics file " + plan.summaryStatsFile;
  } else {
    record.done = true;
  }
  std::string error;
  if (!writeRowRecord(folder, record, error)) {
    err_ << "ERROR: " << error << "\n";
    record.done = false;
  }
  if (record.done) {
    ++counts_.done;
    if (!options_.quiet) {
      out_ << plan.row->name << " done in " << std::fixed << std::setprecision(1) << record.seconds
           << " s" << std::defaultfloat << std::endl;
    }
  } else {
    ++counts_.failed;
    if (!options_.quiet) {
      out_ << plan.row->name << " FAILED (" << record.exit << "): " << record.message << std::endl;
    }
  }
  drawProgress();
}

void TBatchRunner::stopRunning() {
  for (const TRunning& r : running_) ::kill(r.pid, SIGTERM);
  const double deadline = now() + 5.0;
  while (!running_.empty()) {
    for (auto it = running_.begin(); it != running_.end();) {
      int status = 0;
      if (::waitpid(it->pid, &status, WNOHANG) == it->pid) {
        it = running_.erase(it);
      } else {
        ++it;
      }
    }
    if (running_.empty()) break;
    if (now() > deadline) {
      for (const TRunning& r : running_) ::kill(r.pid, SIGKILL);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

TBatchCounts TBatchRunner::run() {
  const TStopSignals signals;
  counts_ = TBatchCounts{};
  counts_.rows = static_cast<int>(plans_.size());
  start_ = now();
  std::vector<const TRowPlan*> pending;
  for (const TRowPlan& plan : plans_) {
    std::error_code code;
    if (options_.resume && isComplete(options_.runsFolder / plan.row->name, plan)) {
      ++counts_.skipped;
      continue;
    }
    pending.push_back(&plan);
  }
  toRun_ = static_cast<int>(pending.size());
  drawProgress();
  std::size_t next = 0;
  while ((next < pending.size() || !running_.empty()) && stopSignal == 0) {
    while (next < pending.size() && static_cast<int>(running_.size()) < options_.jobs &&
           stopSignal == 0 && memoryAllows(*pending[next])) {
      startRow(*pending[next]);
      ++next;
    }
    bool ended = false;
    for (auto it = running_.begin(); it != running_.end();) {
      int status = 0;
      const pid_t pid = ::waitpid(it->pid, &status, WNOHANG);
      if (pid == it->pid) {
        const TRunning finished = *it;
        it = running_.erase(it);
        finishRow(finished, status);
        ended = true;
      } else {
        ++it;
      }
    }
    if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (stopSignal != 0) {
    counts_.interrupted = true;
    stopRunning();
    if (options_.progressBar) err_ << '\n';
  }
  counts_.seconds = now() - start_;
  return counts_;
}

}  // namespace orvantis
