#include "coalescent/text_fields.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace orvantis {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// Longest text a number field is read from: enough for any written number, and a bound on the
// copy made for the C library.
constexpr std::size_t kMaxNumberText = 400;

std::string numberText(std::string_view field) {
  return std::string(field.substr(0, kMaxNumberText));
}

}  // namespace

bool readTextLine(std::istream& in, std::string& line, int& lineNumber) {
  if (!std::getline(in, line)) return false;
  ++lineNumber;
  while (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void splitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
}

bool leadingInteger(std::string_view field, long long& value) {
  const std::string text = numberText(field);
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(begin, &end, 10);
  if (end == begin) return false;
  value = parsed;  // strtoll saturates at LLONG_MIN and LLONG_MAX
  return true;
}

bool leadingReal(std::string_view field, double& value) {
  const std::string text = numberText(field);
  const char* begin = text.c_str();
  char* end = nullptr;
  const double parsed = std::strtod(begin, &end);
  if (end == begin) return false;
  value = parsed;
  return true;
}

int clampToInt(long long value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace orvantis
