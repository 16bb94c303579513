#pragma once
// One task at a time on a thread of its own: the compressed database packs a block of rows
// while the forward loop computes the next generations. Without a thread (none can be
// started, or none is wanted) the task runs at once in the caller's thread.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace orvantis {

class TBackgroundTask {
 public:
  explicit TBackgroundTask(bool useThread = true) : useThread_(useThread) {}
  ~TBackgroundTask();
  TBackgroundTask(const TBackgroundTask&) = delete;
  TBackgroundTask& operator=(const TBackgroundTask&) = delete;

  // Starts a task; the one started before must have been waited for.
  void start(std::function<bool()> task);
  // Waits for the task started last and returns its result (true when there was none).
  bool wait();

 private:
  void loop();

  bool useThread_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<bool()> task_;
  bool pending_ = false;  // a task was started and has not finished
  bool stop_ = false;
  bool result_ = true;
};

}  // namespace orvantis
