#include "cli/batch_summary.h"

#include <map>
#include <sstream>

#include "cli/batch_files.h"
#include "cli/batch_record.h"
#include "genetics/summary_table.h"

namespace orvantis {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

// A study's summary statistics file: its statistic columns and its rows (simulation first).
struct TStatsFile {
  std::vector<std::string> columns;  // without "simulation"
  std::vector<std::vector<std::string>> rows;
};

bool readStatsFile(const fs::path& path, TStatsFile& file) {
  std::string content;
  if (!readWholeFile(path.string(), content)) return false;
  std::istringstream lines(content);
  std::string line;
  if (!std::getline(lines, line)) return false;
  std::vector<std::string> header = splitTabs(line);
  if (header.empty() || header[0] != "simulation") return false;
  file.columns.assign(header.begin() + 1, header.end());
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    std::vector<std::string> fields = splitTabs(line);
    fields.resize(header.size(), "NA");
    file.rows.push_back(std::move(fields));
  }
  return true;
}

}  // namespace

bool writeBatchSummary(const TBatchTable& table, const std::vector<TRowPlan>& plans,
                       const fs::path& runsFolder, std::string& error) {
  // Every statistic column of every study, in the order first met.
  std::vector<std::string> statColumns;
  std::map<std::string, std::size_t> statIndex;
  std::vector<TRowRecord> records(plans.size());
  std::vector<bool> hasRecord(plans.size(), false);
  std::vector<TStatsFile> stats(plans.size());
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const fs::path folder = runsFolder / plans[i].row->name;
    hasRecord[i] = readRowRecord(folder, records[i]);
    if (!hasRecord[i] || !records[i].done || plans[i].summaryStatsFile.empty()) continue;
    if (!readStatsFile(folder / plans[i].summaryStatsFile, stats[i])) continue;
    for (const std::string& column : stats[i].columns) {
      if (statIndex.emplace(column, statColumns.size()).second) statColumns.push_back(column);
    }
  }

  std::ostringstream out;
  out << "name\tseed";
  for (const std::string& key : table.keys) out << '\t' << key;
  out << "\tstatus\texit\tmessage\tseconds\tbuild\tdemography\tgenetics\tsimulation";
  for (const std::string& column : statColumns) out << '\t' << column;
  out << '\n';
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const TRowPlan& plan = plans[i];
    const TRowRecord& record = records[i];
    std::ostringstream head;
    head << plan.row->name << '\t' << plan.seed;
    for (const std::string& value : plan.row->values) head << '\t' << value;
    if (hasRecord[i]) {
      head << '\t' << (record.done ? "done" : "failed") << '\t' << record.exit << '\t'
           << (record.message.empty() ? "NA" : record.message) << '\t'
           << formatStatistic(record.seconds) << '\t' << formatStatistic(record.buildSeconds)
           << '\t' << formatStatistic(record.demographySeconds) << '\t'
           << formatStatistic(record.geneticsSeconds);
    } else {
      head << "\tnot run\tNA\tNA\tNA\tNA\tNA\tNA";
    }
    const TStatsFile& file = stats[i];
    if (file.rows.empty()) {
      out << head.str() << "\tNA";
      for (std::size_t c = 0; c < statColumns.size(); ++c) out << "\tNA";
      out << '\n';
      continue;
    }
    for (const std::vector<std::string>& row : file.rows) {
      std::vector<std::string> values(statColumns.size(), "NA");
      for (std::size_t c = 0; c < file.columns.size(); ++c) {
        values[statIndex[file.columns[c]]] = row[c + 1];
      }
      out << head.str() << '\t' << row[0];
      for (const std::string& value : values) out << '\t' << value;
      out << '\n';
    }
  }
  return writeFileAtomically((runsFolder / kBatchSummaryFile).string(), out.str(), error);
}

}  // namespace orvantis
