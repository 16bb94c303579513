#include "coalescent/driver_threads.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "coalescent/deme_collection.h"
#include "coalescent/driver_observer.h"
#include "coalescent/driver_seeds.h"
#include "coalescent/driver_series.h"

namespace orvantis {

namespace {

constexpr const char* kProgressLabel = "Genetic simulations";
// Results that may wait for their turn, per worker.
constexpr int kWaitingResultsPerWorker = 4;
// How often the calling thread lets the window process its events while it waits.
constexpr auto kWindowTurn = std::chrono::milliseconds(100);

// The window of a worker: message boxes are kept for the calling thread, which shows them when
// it merges the simulation; questions get the default answer (no simulation asks any); nothing
// is drawn.
class TWorkerWindow final : public TWindowServices {
 public:
  void messageBox(const std::string& text, const std::string& caption) override {
    messages.emplace_back(text, caption);
  }
  bool askOkCancel(const std::string&, const std::string&) override { return true; }
  bool askYesNo(const std::string&, const std::string&) override { return true; }
  void progress(const TProgress&) override {}
  void processPendingEvents() override {}

  std::vector<std::pair<std::string, std::string>> messages;
};

struct TWorker {
  TWorker(const TDemeCollection& series, World& world, const TSeriesPlan& plan, bool onePixel)
      : random(log), collection(series, log, window, random) {
    // Every simulation reads its chromosomes itself, so its log is the same on any worker.
    collection.parameters().clearChromosome();
    TGeneticOptions options = series.options();
    if (options.coalescentTrees) {
      options.geneticBitmaps = false;
      writers = std::make_unique<TGeneticFileWriters>(world, collection, options, onePixel,
                                                      plan.names.baseName, plan.grid);
    }
  }

  std::ostringstream log;
  TWorkerWindow window;
  TRandom random;
  TDemeCollection collection;
  std::unique_ptr<TGeneticFileWriters> writers;  // coalescence trees of its simulations
};

// The simulations handed out and the results waiting for their turn.
class TReplicateQueue {
 public:
  TReplicateQueue(int first, int last, int waitingLimit)
      : next_(first), last_(last), nextToMerge_(first), waitingLimit_(waitingLimit) {}

  // The next simulation for a worker; 0 when there is none left or the series stopped.
  int take() {
    std::unique_lock lock(mutex_);
    workTurn_.wait(
        lock, [&] { return stopped_ || next_ > last_ || next_ < nextToMerge_ + waitingLimit_; });
    if (stopped_ || next_ > last_) return 0;
    return next_++;
  }

  void hand(TSimulationResult result) {
    {
      const std::lock_guard lock(mutex_);
      const int s = result.simulation;
      done_.emplace(s, std::move(result));
      ++finished_;
    }
    resultTurn_.notify_one();
  }

  // Waits at most `wait` for the result of the next simulation to merge; false when it is not
  // there yet. `finished` receives the number of simulations finished so far.
  bool nextResult(std::chrono::milliseconds wait, TSimulationResult& result, int& finished) {
    std::unique_lock lock(mutex_);
    const bool ready =
        resultTurn_.wait_for(lock, wait, [&] { return done_.count(nextToMerge_) > 0; });
    finished = finished_;
    if (!ready) return false;
    auto found = done_.find(nextToMerge_);
    result = std::move(found->second);
    done_.erase(found);
    ++nextToMerge_;
    lock.unlock();
    workTurn_.notify_all();
    return true;
  }

  void stop() {
    {
      const std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    workTurn_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable workTurn_;
  std::condition_variable resultTurn_;
  int next_;
  const int last_;
  int nextToMerge_;
  const int waitingLimit_;
  int finished_ = 0;
  bool stopped_ = false;
  std::map<int, TSimulationResult> done_;
};

// A result that stops the series, for a simulation that could not run to its end.
TSimulationResult fatalResult(int s, const std::string& problem) {
  TSimulationResult result;
  result.simulation = s;
  result.fatal = true;
  result.problem = problem;
  return result;
}

TSimulationResult runOne(TWorker& worker, const TSeriesPlan& plan, TWalkObserver* snapshots,
                         const TGeneticOptions& options, int seed, int s) {
  const std::uint64_t key = simulationStreamKey(seed, s);
  worker.random.seedStream(key);
  // Snapshots of simulation 1 only: every genealogy writes the same file names.
  TGeneticOptions own = options;
  own.geneticBitmaps = options.geneticBitmaps && s == 1;
  worker.collection.setOptions(own);
  worker.collection.setWalkObserver(own.geneticBitmaps ? snapshots : worker.writers.get());
  TSimulationResult result;
  try {
    result = simulateGenetics(plan, worker.collection, s);
  } catch (const std::bad_alloc&) {
    worker.log << "ERROR: {SimulateGeneticData()} [not enough memory for simulation " << s << "]"
               << std::endl;
    result = fatalResult(s, "not enough memory");
  } catch (const std::exception& e) {
    worker.log << "ERROR: {SimulateGeneticData()} [simulation " << s << ": " << e.what() << "]"
               << std::endl;
    result = fatalResult(s, e.what());
  }
  worker.collection.setWalkObserver(nullptr);
  result.streamKey = key;
  result.log = worker.log.str();
  worker.log.str(std::string());
  worker.log.clear();
  result.messages = std::move(worker.window.messages);
  worker.window.messages.clear();
  return result;
}

}  // namespace

int replicateThreads(int threads, int simulations) {
  int n = threads;
  if (n == 0) n = static_cast<int>(std::thread::hardware_concurrency());
  n = std::clamp(n, 1, kMaxReplicateThreads);
  return std::max(1, std::min(n, simulations));
}

void runReplicates(World& world, TGeneticSeries& series, TDemeCollection& collection) {
  const TSeriesPlan& plan = series.plan();
  const int total = plan.last - plan.first + 1;
  const int threads = replicateThreads(series.inputs().replicates.threads.value_or(1), total);
  series.noteThreads(threads);
  TWindowServices& window = collection.window();
  window.progress({kProgressLabel, 0, total, "simulation"});

  // The copies are made here, before any worker starts: they read the series' collection and
  // the World from this thread only.
  std::vector<std::unique_ptr<TWorker>> workers;
  workers.reserve(static_cast<std::size_t>(threads));
  for (int w = 0; w < threads; ++w) {
    workers.push_back(
        std::make_unique<TWorker>(collection, world, plan, series.inputs().onePixelMaps));
  }
  const TGeneticOptions options = collection.options();
  TWalkObserver* snapshots = series.walkWriters();
  const int seed = series.report().seed;

  TReplicateQueue queue(plan.first, plan.last, kWaitingResultsPerWorker * threads);
  std::vector<std::thread> running;
  // The workers are stopped and joined however this function ends (an exception from a merge
  // or from the window included), never left running past their collections.
  struct TJoinWorkers {
    TReplicateQueue& queue;
    std::vector<std::thread>& threads;
    ~TJoinWorkers() {
      queue.stop();
      for (std::thread& thread : threads) {
        if (thread.joinable()) thread.join();
      }
    }
  } joinWorkers{queue, running};
  running.reserve(workers.size());
  for (const std::unique_ptr<TWorker>& worker : workers) {
    try {
      running.emplace_back([&queue, &plan, &options, snapshots, seed, w = worker.get()] {
        for (int s = queue.take(); s != 0; s = queue.take()) {
          queue.hand(runOne(*w, plan, snapshots, options, seed, s));
        }
      });
    } catch (const std::system_error& e) {
      // The system refused a thread (a limit on threads or memory): go on with those started.
      collection.log() << "ERROR: {SimulateGeneticData()} [only " << running.size() << " of "
                       << threads << " threads could be started: " << e.what() << "]" << std::endl;
      break;
    }
  }
  series.noteThreads(static_cast<int>(running.size()));
  if (running.empty()) {
    (void)series.merge(fatalResult(plan.first, "no thread could be started"));
    return;
  }

  int merged = 0;
  int shown = 0;
  while (merged < total) {
    TSimulationResult result;
    int finished = 0;
    const bool ready = queue.nextResult(kWindowTurn, result, finished);
    if (finished != shown) {
      shown = finished;
      window.progress({kProgressLabel, shown, total, "simulation"});
    }
    if (!ready) {
      window.processPendingEvents();
      continue;
    }
    ++merged;
    window.showGeneticSimulationNumber(result.simulation);
    if (!series.merge(result)) break;
  }
}

}  // namespace orvantis
