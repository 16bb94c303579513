#pragma once
// batch_summary.tsv: one line per study and genetic simulation, for the ABC analysis. Columns:
// name, seed, the table's settings keys, status ("done", "failed", or "not run" for a row that
// has not run yet), exit, message (why a row failed), seconds, build, demography, genetics (the
// durations of the study in seconds), simulation, then every statistic column of the studies'
// summary statistics files. A study without genetic simulations, or that failed, has one line with
// simulation NA; missing values are NA.

#include <filesystem>
#include <string>
#include <vector>

#include "cli/batch_plan.h"

namespace orvantis {

inline constexpr const char* kBatchSummaryFile = "batch_summary.tsv";

// Gathers the rows' records and statistics from their folders under `runsFolder` and writes the
// summary there (whole or not at all). False with the reason in `error`.
bool writeBatchSummary(const TBatchTable& table, const std::vector<TRowPlan>& plans,
                       const std::filesystem::path& runsFolder, std::string& error);

}  // namespace orvantis
