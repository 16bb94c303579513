#pragma once
// What the benchmark programs share: study files written to a scratch directory, and the clock
// and memory figures they report.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace orvantis::bench {

inline std::string writeFile(const std::filesystem::path& dir, const std::string& name,
                             const std::string& content) {
  const std::filesystem::path p = dir / name;
  std::ofstream(p) << content;
  return p.string();
}

// An ASCII grid of `cols` x `rows` cells of vegetation class 1.
inline std::string uniformGrid(int cols, int rows) {
  std::string grid = "ncols " + std::to_string(cols) + "\nnrows " + std::to_string(rows) +
                     "\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";
  std::string row;
  for (int c = 0; c < cols; ++c) row += "1 ";
  row += "\n";
  grid.reserve(grid.size() + row.size() * static_cast<std::size_t>(rows));
  for (int r = 0; r < rows; ++r) grid += row;
  return grid;
}

inline double seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}
inline double wallSeconds() {
  return seconds(CLOCK_MONOTONIC);
}
inline double threadCpuSeconds() {
  return seconds(CLOCK_THREAD_CPUTIME_ID);
}
// Every thread of the process (the compressed database packs rows in a thread of its own).
inline double processCpuSeconds() {
  return seconds(CLOCK_PROCESS_CPUTIME_ID);
}

inline double currentResidentMiB() {
  long pages = 0;
  long resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
         (1024.0 * 1024.0);
}

inline double peakResidentMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

}  // namespace orvantis::bench
