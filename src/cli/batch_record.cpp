#include "cli/batch_record.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "cli/batch_files.h"
#include "genetics/summary_table.h"

namespace orvantis {

namespace {

double parseSeconds(const std::string& text) {
  if (text == "NA" || text.empty()) return TRowRecord::kUnknown;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end == text.c_str() ? TRowRecord::kUnknown : value;
}

// The number after `label` in the log, NaN when the log has no such line.
double secondsAfter(const std::string& log, const std::string& label) {
  const std::size_t at = log.rfind(label);
  if (at == std::string::npos) return TRowRecord::kUnknown;
  return parseSeconds(log.substr(at + label.size(), 32));
}

std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

}  // namespace

bool writeRowRecord(const std::filesystem::path& rowFolder, const TRowRecord& record,
                    std::string& error) {
  std::ostringstream text;
  text << "status\t" << (record.done ? "done" : "failed") << "\n"
       << "seed\t" << record.seed << "\n"
       << "exit\t" << oneLine(record.exit) << "\n"
       << "seconds\t" << formatStatistic(record.seconds) << "\n"
       << "build\t" << formatStatistic(record.buildSeconds) << "\n"
       << "demography\t" << formatStatistic(record.demographySeconds) << "\n"
       << "genetics\t" << formatStatistic(record.geneticsSeconds) << "\n"
       << "message\t" << oneLine(record.message) << "\n";
  return writeFileAtomically((rowFolder / (record.done ? kRowDoneFile : kRowFailedFile)).string(),
                             text.str(), error);
}

bool readRowRecord(const std::filesystem::path& rowFolder, TRowRecord& record) {
  std::string content;
  record = TRowRecord{};
  if (readWholeFile((rowFolder / kRowDoneFile).string(), content)) {
    record.done = true;
  } else if (!readWholeFile((rowFolder / kRowFailedFile).string(), content)) {
    return false;
  }
  std::istringstream lines(content);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string key = line.substr(0, tab);
    const std::string value = line.substr(tab + 1);
    if (key == "seed") record.seed = std::atoi(value.c_str());
    if (key == "exit") record.exit = value;
    if (key == "seconds") record.seconds = parseSeconds(value);
    if (key == "build") record.buildSeconds = parseSeconds(value);
    if (key == "demography") record.demographySeconds = parseSeconds(value);
    if (key == "genetics") record.geneticsSeconds = parseSeconds(value);
    if (key == "message") record.message = value;
  }
  return true;
}

void readLogDurations(const std::string& log, TRowRecord& record) {
  record.buildSeconds = secondsAfter(log, "(duration of BuildWorld function: ");
  record.demographySeconds = secondsAfter(log, "(Duration of the SimulateWorld function: ");
  record.geneticsSeconds = secondsAfter(log, "(Duration of SimulateGeneticData function : ");
}

std::string lastLine(const std::string& text) {
  std::size_t end = text.find_last_not_of(" \t\r\n");
  if (end == std::string::npos) return {};
  const std::size_t start = text.find_last_of('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1,
                     end + 1 - (start == std::string::npos ? 0 : start + 1));
}

}  // namespace orvantis
