#pragma once
// What each row of a batch needs before any study starts, worked out from the settings file and
// the row's values: the --set values of its study, its seed, the memory its demographic database
// may take, where its outputs land. Every row is checked here, so that a batch whose table or
// settings cannot run starts no study at all.

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/batch_mirror.h"
#include "cli/batch_table.h"

namespace orvantis {

struct TRowPlan {
  const TBatchRow* row = nullptr;
  int seed = 0;
  // The --set values of the study: those given to the whole batch, then the row's.
  std::vector<std::pair<std::string, std::string>> overrides;
  // The most the study's demographic database takes uncompressed, plus the world.
  std::uint64_t memoryBytes = 0;
  // Files of the study folder that the mirror leaves out (outputs of earlier runs of the study).
  std::set<std::string> skip;
  // The summary statistics file of the study's genetic simulations, relative to the row's
  // folder; "" when the settings name no sample file or no genetic parameters file.
  std::string summaryStatsFile;
};

struct TBatchPlanInputs {
  std::string settingsFile;  // absolute path
  std::vector<std::pair<std::string, std::string>> commonOverrides;
  long long masterSeed = 0;  // for tables without a seed column
};

// Plans every row. False with the first problem in `error`.
bool planBatch(const TBatchTable& table, const TStudyMirror& mirror, const TBatchPlanInputs& inputs,
               std::vector<TRowPlan>& plans, std::string& error);

// The summary statistics file of a study, relative to its settings folder: the output folder
// and run name of the genetic outputs (<sample folder>GeneticsOutput/<settings>_<samples>) and
// "_summary_stats.tsv".
std::string summaryStatsPath(const std::string& settingsFileName, const std::string& sampleFile);

}  // namespace orvantis
