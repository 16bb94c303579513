#include "cli/priors_draw.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <sstream>

#include "cli/batch_seed.h"
#include "foundation/random.h"
#include "foundation/sampler.h"

namespace orvantis {

std::string rowName(long long row, long long rows) {
  const std::string digits = std::to_string(row);
  const std::size_t width = std::to_string(rows).size();
  return "row" + std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits;
}

std::string shortestText(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

bool drawPriorTable(const std::vector<TPrior>& priors, long long rows, int seed,
                    const std::string& priorsName, TPriorTable& table, std::string& error) {
  table = TPriorTable{};
  table.columns = {"name", "seed"};
  for (const TPrior& prior : priors) table.columns.push_back(prior.key);

  // The generator of a run seeded with `seed`, its header and seed lines kept out of sight.
  std::ostringstream quiet;
  TRandom random(quiet, quiet);
  random.setFixedSeed(seed);
  random.initialize_ran3(1);
  TSampler sampler(random);
  int idum = 1;
  table.rows.reserve(static_cast<std::size_t>(rows));
  for (long long r = 1; r <= rows; ++r) {
    std::vector<std::string>& row = table.rows.emplace_back();
    row.reserve(table.columns.size());
    row.push_back(rowName(r, rows));
    row.push_back(std::to_string(rowSeed(seed, r)));
    for (const TPrior& prior : priors) {
      const double drawn = sampler.sample(prior.distribution, idum);
      const bool integer = prior.kind == TKeyKind::Integer;
      const double value = integer ? std::round(drawn) : drawn;
      const auto fail = [&](const std::string& what) {
        error = priorsName + ", line " + std::to_string(prior.line) + ": row " + std::to_string(r) +
                " draws " + shortestText(drawn) + " for '" + prior.key + "', " + what;
        table.rows.clear();
        return false;
      };
      if (integer && !(value >= INT_MIN && value <= INT_MAX)) {
        return fail("outside the range of an integer setting");
      }
      // The settings read -9999 as "not defined".
      if (value == -9999.0) return fail("which the settings read as undefined");
      row.push_back(integer ? std::to_string(static_cast<long long>(value)) : shortestText(value));
    }
  }
  return true;
}

std::string tableText(const TPriorTable& table) {
  std::string text;
  const auto appendLine = [&](const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) text += '\t';
      text += cells[i];
    }
    text += '\n';
  };
  appendLine(table.columns);
  for (const auto& row : table.rows) appendLine(row);
  return text;
}

}  // namespace orvantis
