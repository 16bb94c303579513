#include "genetics/summary_file.h"

#include "coalescent/genetic_parameters.h"
#include "foundation/paths.h"
#include "genetics/summary_data.h"
#include "genetics/summary_table.h"

namespace orvantis {

TSimulationSummary summarizeSimulation(int simulation, const TSummaryDataCollector& data) {
  TSimulationSummary summary;
  summary.simulation = simulation;
  summary.sampleNames = data.sampleNames();
  summary.finished = data.complete() && data.data().consistent();
  if (summary.finished) {
    summary.statistics = computeSummaryStatistics(data.data());
  } else {
    // The kinds of loci seen so far still name the columns when no simulation finishes.
    for (int type : data.data().locusTypes) {
      summary.statistics.hasSequences |= isSequenceType(type);
      summary.statistics.hasMicrosats |= type == MICROSAT;
    }
  }
  return summary;
}

bool TSummaryStatsFile::open(const std::string& path) {
  out_.open(nativePath(path), std::ios::binary | std::ios::trunc);
  headerWritten_ = false;
  waiting_.clear();
  return out_.is_open();
}

void TSummaryStatsFile::writeHeader(const TSimulationSummary& summary) {
  const std::vector<std::string> columns =
      summaryColumnNames(sampleLabels(summary.sampleNames), summary.statistics.hasSequences,
                         summary.statistics.hasMicrosats);
  out_ << "simulation";
  for (const std::string& column : columns) out_ << '\t' << column;
  out_ << '\n';
  numStatistics_ = columns.size();
  headerWritten_ = true;
}

void TSummaryStatsFile::writeRow(const TSimulationSummary& summary) {
  out_ << summary.simulation;
  std::vector<double> values;
  if (summary.finished) values = summaryColumnValues(summary.statistics);
  // A row whose shape differs from the header's cannot be matched to its columns.
  if (values.size() != numStatistics_) values.assign(numStatistics_, kNoStatistic);
  for (double value : values) out_ << '\t' << formatStatistic(value);
  out_ << '\n';
}

void TSummaryStatsFile::add(const TSimulationSummary& summary) {
  if (!out_.is_open()) return;
  if (!headerWritten_) {
    waiting_.push_back(summary);
    if (!summary.finished) return;
    writeHeader(summary);
    for (const TSimulationSummary& row : waiting_) writeRow(row);
    waiting_.clear();
  } else {
    writeRow(summary);
  }
  out_.flush();
}

bool TSummaryStatsFile::close() {
  if (!out_.is_open()) return true;
  if (!headerWritten_ && !waiting_.empty()) {
    writeHeader(waiting_.back());
    for (const TSimulationSummary& row : waiting_) writeRow(row);
  } else if (!headerWritten_) {
    out_ << "simulation\n";
  }
  waiting_.clear();
  out_.flush();
  const bool ok = out_.good();
  out_.close();
  return ok;
}

}  // namespace orvantis
