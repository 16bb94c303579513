#pragma once
// Draws the rows of a prior table: for row i (from 1), its name, its study seed and one value per
// prior, drawn in the order of the priors file from one generator seeded with the table's seed,
// so that the same file and seed give the same table. The draws are those of TSampler; integer
// keys get the draw rounded to the nearest integer. Adding or reordering priors changes the
// draws that follow them.

#include <string>
#include <vector>

#include "cli/priors_file.h"

namespace orvantis {

struct TPriorTable {
  std::vector<std::string> columns;            // "name", "seed", then the keys
  std::vector<std::vector<std::string>> rows;  // the values as written
};

// Row names: "row" and the row number with leading zeros to the width of the largest.
std::string rowName(long long row, long long rows);

// Draws `rows` rows with generator seed `seed` (0 <= seed < 2000000); the study seeds come from
// rowSeed(seed, i). False with the reason in `error` when a draw of an integer key falls outside
// the integer range.
bool drawPriorTable(const std::vector<TPrior>& priors, long long rows, int seed,
                    const std::string& priorsName, TPriorTable& table, std::string& error);

// The table as tab-separated text, a header line and one line per row.
std::string tableText(const TPriorTable& table);

// A real number as the shortest text that reads back as the same double.
std::string shortestText(double value);

}  // namespace orvantis
