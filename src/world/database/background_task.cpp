#include "world/database/background_task.h"

#include <system_error>

namespace orvantis {

TBackgroundTask::~TBackgroundTask() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void TBackgroundTask::start(std::function<bool()> task) {
  if (useThread_ && !thread_.joinable()) {
    try {
      thread_ = std::thread([this] { loop(); });
    } catch (const std::system_error&) {
      useThread_ = false;
    }
  }
  if (!useThread_) {
    result_ = task();
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    task_ = std::move(task);
    pending_ = true;
  }
  changed_.notify_all();
}

bool TBackgroundTask::wait() {
  if (!thread_.joinable()) return result_;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !pending_; });
  return result_;
}

void TBackgroundTask::loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || (pending_ && task_); });
    if (!task_) return;  // stopped with nothing left to do
    std::function<bool()> task = std::move(task_);
    task_ = nullptr;
    lock.unlock();
    const bool result = task();
    lock.lock();
    result_ = result;
    pending_ = false;
    changed_.notify_all();
  }
}

}  // namespace orvantis
