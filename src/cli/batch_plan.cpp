#include "cli/batch_plan.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/batch_seed.h"
#include "coalescent/output_names.h"
#include "foundation/exception.h"
#include "genetics/summary_file.h"
#include "settings/settings.h"
#include "world/database/state_db.h"
#include "world/output/arrival_cells.h"

namespace orvantis {

namespace fs = std::filesystem;

namespace {

// Bytes besides the database: the world (about a hundred per cell) and a margin for the rest.
constexpr std::uint64_t kBytesPerCell = 128;
constexpr std::uint64_t kStudyMargin = 64ull << 20;

std::string withSlashes(std::string text) {
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}

// ncols x nrows of an ASCII grid's header; false when the file cannot be read or holds no
// such header.
bool gridCells(const std::string& path, std::uint64_t& cells) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  long long columns = -1;
  long long rows = -1;
  std::string line;
  for (int i = 0; i < 6 && std::getline(in, line); ++i) {
    std::istringstream words(line);
    std::string keyword;
    long long value = 0;
    if (!(words >> keyword >> value)) continue;
    for (char& c : keyword) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (keyword == "ncols") columns = value;
    if (keyword == "nrows") rows = value;
  }
  if (columns <= 0 || rows <= 0) return false;
  cells = static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rows);
  return true;
}

class TRowSettings {
 public:
  TRowSettings(const std::map<my_string, my_string>& base,
               const std::vector<std::pair<std::string, std::string>>& overrides)
      : base_(base), overrides_(overrides) {}

  // The value a study of these overrides reads: the last --set value, else the file's.
  bool find(const std::string& key, std::string& value) const {
    for (auto it = overrides_.rbegin(); it != overrides_.rend(); ++it) {
      if (it->first == key) {
        value = it->second;
        return true;
      }
    }
    const auto it = base_.find(my_string(key));
    if (it == base_.end()) return false;
    value = it->second.str();
    return true;
  }
  std::string text(const std::string& key) const {
    std::string value;
    return find(key, value) ? value : std::string();
  }
  long number(const std::string& key) const {
    std::string value;
    return find(key, value) ? my_string(value).toInt() : 0;
  }

 private:
  const std::map<my_string, my_string>& base_;
  const std::vector<std::pair<std::string, std::string>>& overrides_;
};

}  // namespace

std::string summaryStatsPath(const std::string& settingsFileName, const std::string& sampleFile) {
  return outputBaseName(settingsFileName, sampleFile) + kSummaryStatsSuffix;
}

bool planBatch(const TBatchTable& table, const TStudyMirror& mirror, const TBatchPlanInputs& inputs,
               std::vector<TRowPlan>& plans, std::string& error) {
  plans.clear();
  std::ostringstream quiet;
  TExtendedSettings settings(quiet);
  try {
    settings.load(my_string(inputs.settingsFile));
  } catch (const TException& e) {
    error = inputs.settingsFile + ": " + e.message().str();
    return false;
  }
  const int filePopulations = settings.numberOfPopulations();
  const std::string settingsName = fs::path(inputs.settingsFile).filename().string();
  std::map<std::string, std::uint64_t> gridCache;

  plans.reserve(table.rows.size());
  for (const TBatchRow& row : table.rows) {
    const auto fail = [&](const std::string& what) {
      error =
          table.path + ", line " + std::to_string(row.line) + " (row " + row.name + "): " + what;
      plans.clear();
      return false;
    };
    TRowPlan& plan = plans.emplace_back();
    plan.row = &row;
    plan.seed = row.seed >= 0 ? row.seed : rowSeed(inputs.masterSeed, row.number);
    plan.overrides = inputs.commonOverrides;
    for (std::size_t k = 0; k < table.keys.size(); ++k) {
      plan.overrides.emplace_back(table.keys[k], row.values[k]);
    }
    const TRowSettings values(settings.values(), plan.overrides);

    // The demographic database: the shape the study allocates, over every cell of the grid.
    const std::string vegetation = withSlashes(values.text("PresVegetationFile"));
    std::uint64_t cells = 0;
    if (!vegetation.empty()) {
      const fs::path gridPath = fs::path(vegetation).is_absolute()
                                    ? fs::path(vegetation)
                                    : mirror.studyFolder() / vegetation;
      const auto cached = gridCache.find(gridPath.string());
      if (cached != gridCache.end()) {
        cells = cached->second;
      } else if (gridCells(gridPath.string(), cells)) {
        gridCache.emplace(gridPath.string(), cells);
      } else {
        return fail("PresVegetationFile '" + vegetation + "' cannot be read as an ASCII grid");
      }
    }
    const long endTime = values.number("EndTime");
    const int populations =
        filePopulations == 2 || values.number("DoublePopulationMode") == 1 ? 2 : 1;
    const bool shortInt = values.number("AllowShortIntForNumberOfIndividuals") == 1;
    std::uint64_t databaseBytes = 0;
    if (cells > static_cast<std::uint64_t>(INT32_MAX) || endTime < 0 ||
        !StateDB::requiredBytes(static_cast<int>(cells), static_cast<int>(endTime), populations,
                                shortInt, databaseBytes)) {
      databaseBytes = UINT64_MAX / 2;
    }
    plan.memoryBytes = databaseBytes + cells * kBytesPerCell + kStudyMargin;

    // Outputs written next to input files must land in the row's folder.
    const std::string arrival = values.text("ArrivalCellFile");
    if (!arrival.empty()) {
      const std::string output = arrivalOutputName(withSlashes(arrival));
      std::string folder;
      if (!relativeFolderOf(output, folder) || !mirror.isMirroredFolder(folder)) {
        return fail("ArrivalCellFile '" + arrival +
                    "' is not in a folder of the study, so its output '" + output +
                    "' would not stay in the row's folder");
      }
      plan.skip.insert(fs::path(withSlashes(output)).lexically_normal().generic_string());
    }
    const std::string sample = values.text("SampleFile");
    if (!sample.empty()) {
      std::string folder;
      if (!relativeFolderOf(withSlashes(sample), folder) || !mirror.isMirroredFolder(folder)) {
        return fail("SampleFile '" + sample +
                    "' is not in a folder of the study, so the genetic outputs (GeneticsOutput/ "
                    "next to it) would not stay in the row's folder");
      }
      if (!values.text("GeneticFile").empty()) {
        plan.summaryStatsFile = summaryStatsPath(settingsName, sample);
      }
    }
  }
  return true;
}

}  // namespace orvantis
