#include "world/environment/series.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "foundation/paths.h"

namespace orvantis {
namespace {

// A whole token as a finite real; false for anything else ("12abc", "nan", "1e999").
bool parseReal(const std::string& token, double& value) {
  errno = 0;
  char* end = nullptr;
  value = std::strtod(token.c_str(), &end);
  return end != token.c_str() && *end == '\0' && errno != ERANGE && std::isfinite(value);
}

std::string lineText(long line) {
  return "line " + std::to_string(line) + ": ";
}

}  // namespace

TSeriesReadStatus readSeriesFile(const my_string& file, std::size_t maxPairs,
                                 std::vector<TSeriesPoint>& points, std::string& problem) {
  points.clear();
  problem.clear();
  std::ifstream in(nativePath(file), std::ios::in | std::ios::binary);
  if (!in) return TSeriesReadStatus::CannotOpen;

  const auto damaged = [&](const std::string& why) {
    points.clear();
    problem = why;
    return TSeriesReadStatus::Damaged;
  };

  std::string line;
  std::string token;
  long lineNumber = 0;
  long pendingLine = 0;  // line of a time still waiting for its value
  bool havePending = false;
  double pendingTime = 0.0;
  while (std::getline(in, line)) {
    ++lineNumber;
    std::istringstream words(line);
    while (words >> token) {
      double number = 0.0;
      if (!parseReal(token, number)) {
        return damaged(lineText(lineNumber) + "'" + token + "' is not a number");
      }
      if (!havePending) {
        pendingTime = std::trunc(number);
        if (pendingTime < INT_MIN || pendingTime > INT_MAX) {
          return damaged(lineText(lineNumber) + "the time " + token +
                         " lies beyond the dates this system can count");
        }
        pendingLine = lineNumber;
        havePending = true;
        continue;
      }
      if (std::fabs(number) > FLT_MAX) {
        return damaged(lineText(lineNumber) + "the value " + token +
                       " is too large for a single-precision series");
      }
      const int time = static_cast<int>(pendingTime);
      if (!points.empty() && time < points.back().time) {
        return damaged(lineText(pendingLine) + "the time " + std::to_string(time) +
                       " comes before the time " + std::to_string(points.back().time) +
                       " of the previous pair; the times must not decrease");
      }
      if (points.size() >= maxPairs) {
        return damaged(lineText(pendingLine) + "the file holds more than " +
                       std::to_string(maxPairs) + " pairs of time and value");
      }
      points.push_back({time, number});
      havePending = false;
    }
  }
  if (in.bad()) return damaged(lineText(lineNumber + 1) + "the file cannot be read further");
  if (havePending) {
    return damaged(lineText(pendingLine) + "the last time has no value after it");
  }
  if (points.empty()) return damaged("the file holds no pair of time and value");
  return TSeriesReadStatus::Ok;
}

}  // namespace orvantis
