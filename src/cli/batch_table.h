#pragma once
// The table of a batch: one study per row. The first line names the columns: "name" (the row's
// folder under runs/, optional), "seed" (the study's seed, optional) and settings keys, whose
// values the row's study takes as --set values. Fields are separated by tabs (by blanks when the
// header holds no tab); blank lines and lines starting with '#' are skipped. A priors table
// ("orvantis priors") is such a table.

#include <string>
#include <vector>

#include "cli/priors_keys.h"

namespace orvantis {

struct TBatchRow {
  int line = 0;          // line of the table
  long long number = 0;  // from 1, in table order
  std::string name;
  int seed = -1;                    // -1 when the table has no seed column
  std::vector<std::string> values;  // one per key
};

struct TBatchTable {
  std::string path;
  std::vector<std::string> keys;  // the settings keys of the header, in order
  std::vector<TKeyKind> kinds;
  bool hasNames = false;
  bool hasSeeds = false;
  std::vector<TBatchRow> rows;
};

// Reads and checks the whole table: known and distinct keys, as many fields as columns in every
// row, names usable as folder names and distinct, seeds in range, numbers where the keys take
// numbers. Rows without a name column are named rowName(i, count). False with the first problem
// in `error` ("<file>, line <n>: <what>").
bool readBatchTable(const std::string& path, TBatchTable& table, std::string& error);

// Why a text cannot be a row's folder name, "" when it can: letters, digits, '.', '_' and '-',
// not starting with '.', at most 200 characters.
std::string unusableRowName(const std::string& name);

}  // namespace orvantis
