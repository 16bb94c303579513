#pragma once
// The record a batch keeps of each row in the row's folder, written whole after the study ended:
// "row_done.tsv" for a complete result (written last: the marker --resume looks for) or
// "row_failed.tsv". Lines "key<TAB>value": status, seed, exit, seconds (wall time), build,
// demography and genetics (seconds from the study's log, NA when absent), message.

#include <filesystem>
#include <limits>
#include <string>

namespace orvantis {

inline constexpr const char* kRowDoneFile = "row_done.tsv";
inline constexpr const char* kRowFailedFile = "row_failed.tsv";
// The study's captured standard output and error, and the row's values.
inline constexpr const char* kRowOutputFile = "command_output.txt";
inline constexpr const char* kRowValuesFile = "row.tsv";

struct TRowRecord {
  static constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
  bool done = false;
  int seed = 0;
  std::string exit;  // "exit status 0", "killed by signal 9 (Killed)", ...
  double seconds = kUnknown;
  double buildSeconds = kUnknown;
  double demographySeconds = kUnknown;
  double geneticsSeconds = kUnknown;
  std::string message;  // why the row failed
};

// Writes row_done.tsv or row_failed.tsv (whole or not at all).
bool writeRowRecord(const std::filesystem::path& rowFolder, const TRowRecord& record,
                    std::string& error);
// Reads the record of a row: false when the folder holds neither file.
bool readRowRecord(const std::filesystem::path& rowFolder, TRowRecord& record);

// The durations the study's log reports (BuildWorld, SimulateWorld, SimulateGeneticData).
void readLogDurations(const std::string& log, TRowRecord& record);

// The last line of a text that is not blank (the reason a study gave when it failed).
std::string lastLine(const std::string& text);

}  // namespace orvantis
