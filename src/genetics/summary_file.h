#pragma once
// The summary statistics file of a series of genetic simulations, B + "_summary_stats.tsv" next
// to the project files: tab-separated, a header of column names, then one row per simulation in
// simulation order, "simulation" (from 1) and the statistics of summary_table.h. A simulation
// that did not finish all its chromosomes has NA for every statistic.

#include <fstream>
#include <string>
#include <vector>

#include "genetics/summary_statistics.h"

namespace orvantis {

class TSummaryDataCollector;

inline constexpr const char* kSummaryStatsSuffix = "_summary_stats.tsv";

// What one simulation gives the file: made by the simulation, written by the series.
struct TSimulationSummary {
  int simulation = 0;
  bool finished = false;
  std::vector<std::string> sampleNames;
  TSummaryStatistics statistics;
};

// The statistics of the data gathered for simulation s (finished when the data are complete).
TSimulationSummary summarizeSimulation(int simulation, const TSummaryDataCollector& data);

class TSummaryStatsFile {
 public:
  // Creates (truncates) the file; false when it cannot be created.
  [[nodiscard]] bool open(const std::string& path);
  bool isOpen() const { return out_.is_open(); }
  // The row of the next simulation. Rows wait until a finished simulation gives the columns.
  void add(const TSimulationSummary& summary);
  // Writes the rows still waiting (under the columns known so far) and closes the file; false
  // when a write failed.
  [[nodiscard]] bool close();

 private:
  void writeHeader(const TSimulationSummary& summary);
  void writeRow(const TSimulationSummary& summary);

  std::ofstream out_;
  bool headerWritten_ = false;
  std::size_t numStatistics_ = 0;
  std::vector<TSimulationSummary> waiting_;
};

}  // namespace orvantis
