#include "cli/batch_table.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "cli/batch_seed.h"
#include "cli/priors_draw.h"

namespace orvantis {

namespace {

std::vector<std::string> splitFields(const std::string& line, bool tabs) {
  std::vector<std::string> fields;
  if (tabs) {
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos;
         tab = line.find('\t', start)) {
      fields.push_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    fields.push_back(line.substr(start));
    for (std::string& field : fields) {
      const std::size_t first = field.find_first_not_of(' ');
      const std::size_t last = field.find_last_not_of(' ');
      field = first == std::string::npos ? std::string() : field.substr(first, last - first + 1);
    }
    return fields;
  }
  std::size_t at = 0;
  while (true) {
    const std::size_t first = line.find_first_not_of(' ', at);
    if (first == std::string::npos) break;
    const std::size_t last = line.find(' ', first);
    fields.push_back(
        line.substr(first, last == std::string::npos ? std::string::npos : last - first));
    if (last == std::string::npos) break;
    at = last;
  }
  return fields;
}

bool parseWholeInteger(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && end == text.c_str() + text.size();
}

bool parseFiniteNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

// Why a value cannot be given to a key of this kind, "" when it can.
std::string unusableValue(const std::string& value, TKeyKind kind) {
  if (value.empty()) return "no value";
  switch (kind) {
    case TKeyKind::Integer: {
      long long number = 0;
      if (!parseWholeInteger(value, number) || number < -2147483647LL - 1 ||
          number > 2147483647LL) {
        return "'" + value + "' is not an integer";
      }
      return {};
    }
    case TKeyKind::Real: {
      double number = 0.0;
      if (!parseFiniteNumber(value, number)) return "'" + value + "' is not a number";
      return {};
    }
    default:
      return {};
  }
}

}  // namespace

std::string unusableRowName(const std::string& name) {
  if (name.empty()) return "an empty name";
  if (name.size() > 200) return "a name longer than 200 characters";
  if (name[0] == '.') return "a name starting with '.'";
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '_' || c == '-';
    if (!ok) return "'" + name + "' holds a character other than letters, digits, '.', '_', '-'";
  }
  return {};
}

bool readBatchTable(const std::string& path, TBatchTable& table, std::string& error) {
  table = TBatchTable{};
  table.path = path;
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    error = path + ": is a folder, not a table";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be opened";
    return false;
  }
  bool headerRead = false;
  bool tabs = true;
  int nameColumn = -1;
  int seedColumn = -1;
  std::vector<int> keyColumns;
  std::size_t numColumns = 0;
  std::set<std::string> names;
  std::string text;
  for (int lineNumber = 1; std::getline(in, text); ++lineNumber) {
    const auto fail = [&](const std::string& what) {
      error = path + ", line " + std::to_string(lineNumber) + ": " + what;
      table.rows.clear();
      return false;
    };
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.find_first_not_of(" \t") == std::string::npos || text[0] == '#') continue;
    if (!headerRead) {
      headerRead = true;
      tabs = text.find('\t') != std::string::npos;
      const std::vector<std::string> columns = splitFields(text, tabs);
      numColumns = columns.size();
      std::set<std::string> seen;
      for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::string& column = columns[c];
        const std::string where = " in column " + std::to_string(c + 1);
        if (column.empty()) return fail("column " + std::to_string(c + 1) + " has no name");
        if (!seen.insert(column).second) return fail("a second column '" + column + "'");
        if (column == "name") {
          nameColumn = static_cast<int>(c);
          continue;
        }
        if (column == "seed") {
          seedColumn = static_cast<int>(c);
          continue;
        }
        const TKeyKind kind = settingsKeyKind(column);
        if (kind == TKeyKind::Unknown) {
          const std::string similar = similarSettingsKey(column);
          return fail("unknown settings key '" + column + "'" + where +
                      (similar.empty() ? "" : " (did you mean '" + similar + "'?)"));
        }
        table.keys.push_back(column);
        table.kinds.push_back(kind);
        keyColumns.push_back(static_cast<int>(c));
      }
      table.hasNames = nameColumn >= 0;
      table.hasSeeds = seedColumn >= 0;
      continue;
    }
    const std::vector<std::string> fields = splitFields(text, tabs);
    if (fields.size() != numColumns) {
      return fail(std::to_string(fields.size()) + " fields for " + std::to_string(numColumns) +
                  " columns");
    }
    TBatchRow row;
    row.line = lineNumber;
    row.number = static_cast<long long>(table.rows.size()) + 1;
    if (nameColumn >= 0) {
      row.name = fields[static_cast<std::size_t>(nameColumn)];
      const std::string unusable = unusableRowName(row.name);
      if (!unusable.empty()) return fail("the row's name cannot name a folder: " + unusable);
      if (!names.insert(row.name).second) return fail("a second row named '" + row.name + "'");
    }
    if (seedColumn >= 0) {
      long long seed = 0;
      const std::string& value = fields[static_cast<std::size_t>(seedColumn)];
      if (!parseWholeInteger(value, seed) || seed < 0 || seed >= kSeedRange) {
        return fail("seed '" + value + "' is not an integer from 0 to " +
                    std::to_string(kSeedRange - 1));
      }
      row.seed = static_cast<int>(seed);
    }
    for (std::size_t k = 0; k < keyColumns.size(); ++k) {
      const std::string& value = fields[static_cast<std::size_t>(keyColumns[k])];
      const std::string unusable = unusableValue(value, table.kinds[k]);
      if (!unusable.empty()) return fail(table.keys[k] + ": " + unusable);
      row.values.push_back(value);
    }
    table.rows.push_back(std::move(row));
  }
  if (in.bad()) {
    error = path + ": cannot be read";
    return false;
  }
  if (!headerRead) {
    error = path + ": no header line (name, seed and settings keys, separated by tabs)";
    return false;
  }
  if (table.rows.empty()) {
    error = path + ": no row under the header";
    return false;
  }
  if (!table.hasNames) {
    const long long count = static_cast<long long>(table.rows.size());
    for (TBatchRow& row : table.rows) row.name = rowName(row.number, count);
  }
  return true;
}

}  // namespace orvantis
