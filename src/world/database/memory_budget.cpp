#include "world/database/memory_budget.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace orvantis {

namespace {

// Reads the first number of a file; false when the file is missing or holds no number
// (cgroup v2 writes "max" for no limit).
bool readNumber(const std::string& path, std::uint64_t& value) {
  std::ifstream in(path);
  if (!in) return false;
  std::string word;
  if (!(in >> word) || word.empty() || word[0] < '0' || word[0] > '9') return false;
  try {
    value = std::stoull(word);
  } catch (...) {
    return false;
  }
  return true;
}

// The value of "key <number>" in a file of such lines (memory.stat).
bool readKeyedNumber(const std::string& path, const std::string& key, std::uint64_t& value) {
  std::ifstream in(path);
  std::string name;
  std::uint64_t number = 0;
  while (in >> name >> number) {
    if (name == key) {
      value = number;
      return true;
    }
  }
  return false;
}

// MemAvailable and SwapFree of /proc/meminfo, or the sysinfo figures when it cannot be read.
std::uint64_t systemAvailable() {
  std::ifstream in("/proc/meminfo");
  std::string line;
  std::uint64_t availableKb = 0;
  std::uint64_t swapFreeKb = 0;
  bool haveAvailable = false;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string key;
    std::uint64_t kb = 0;
    if (!(fields >> key >> kb)) continue;
    if (key == "MemAvailable:") {
      availableKb = kb;
      haveAvailable = true;
    } else if (key == "SwapFree:") {
      swapFreeKb = kb;
    }
  }
  if (haveAvailable) return (availableKb + swapFreeKb) * 1024;
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return kUnlimitedBytes;
  const std::uint64_t unit = info.mem_unit == 0 ? 1 : info.mem_unit;
  return (static_cast<std::uint64_t>(info.freeram) + info.bufferram + info.freeswap) * unit;
}

// Room left under the address-space limit, given the current size of the address space.
std::uint64_t addressSpaceAvailable() {
  struct rlimit limit {};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnlimitedBytes;
  std::uint64_t pages = 0;
  if (!readNumber("/proc/self/statm", pages)) return limit.rlim_cur;
  const std::uint64_t used = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
  return used >= limit.rlim_cur ? 0 : limit.rlim_cur - used;
}

// Room left under a cgroup limit; file cache that the kernel can drop counts as free.
std::uint64_t roomUnder(std::uint64_t limit, std::uint64_t usage, std::uint64_t reclaimable) {
  const std::uint64_t held = usage > reclaimable ? usage - reclaimable : 0;
  return held >= limit ? 0 : limit - held;
}

// The cgroup paths of this process: "0::/path" for v2, "n:memory:/path" for v1.
void cgroupPaths(std::string& unifiedPath, std::string& memoryPath) {
  std::ifstream in("/proc/self/cgroup");
  std::string line;
  while (std::getline(in, line)) {
    const auto first = line.find(':');
    const auto second = line.find(':', first == std::string::npos ? first : first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::string path = line.substr(second + 1);
    if (controllers.empty()) unifiedPath = path;
    std::istringstream list(controllers);
    std::string controller;
    while (std::getline(list, controller, ',')) {
      if (controller == "memory") memoryPath = path;
    }
  }
}

// Parent directories of a cgroup path, the path itself first and the root ("") last.
std::string parentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

std::uint64_t cgroupV2Available(const std::string& mount, std::string path) {
  std::uint64_t best = kUnlimitedBytes;
  // Every ancestor's limit applies; inside a cgroup namespace the path may not exist under the
  // mount, in which case the mount's root is the process's own cgroup.
  for (;;) {
    const std::string dir = mount + (path == "/" ? std::string() : path);
    std::uint64_t limit = 0;
    std::uint64_t usage = 0;
    if (readNumber(dir + "/memory.max", limit) && readNumber(dir + "/memory.current", usage)) {
      std::uint64_t inactive = 0;
      readKeyedNumber(dir + "/memory.stat", "inactive_file", inactive);
      best = std::min(best, roomUnder(limit, usage, inactive));
    }
    if (path.empty() || path == "/") break;
    path = parentOf(path);
  }
  return best;
}

std::uint64_t cgroupV1Available(const std::string& mount, std::string path) {
  std::uint64_t best = kUnlimitedBytes;
  for (;;) {
    const std::string dir = mount + (path == "/" ? std::string() : path);
    std::uint64_t limit = 0;
    std::uint64_t usage = 0;
    // An unlimited v1 group reports a limit near 2^63.
    if (readNumber(dir + "/memory.limit_in_bytes", limit) &&
        readNumber(dir + "/memory.usage_in_bytes", usage) && limit < (1ULL << 62)) {
      std::uint64_t inactive = 0;
      readKeyedNumber(dir + "/memory.stat", "total_inactive_file", inactive);
      best = std::min(best, roomUnder(limit, usage, inactive));
    }
    if (path.empty() || path == "/") break;
    path = parentOf(path);
  }
  return best;
}

std::uint64_t cgroupAvailable() {
  std::string unifiedPath;
  std::string memoryPath;
  cgroupPaths(unifiedPath, memoryPath);
  std::uint64_t best = kUnlimitedBytes;
  if (!unifiedPath.empty()) {
    best = std::min(best, cgroupV2Available("/sys/fs/cgroup", unifiedPath));
    best = std::min(best, cgroupV2Available("/sys/fs/cgroup/unified", unifiedPath));
  }
  if (!memoryPath.empty())
    best = std::min(best, cgroupV1Available("/sys/fs/cgroup/memory", memoryPath));
  return best;
}

}  // namespace

std::uint64_t availableMemoryBytes() {
  return std::min({systemAvailable(), addressSpaceAvailable(), cgroupAvailable()});
}

}  // namespace orvantis
