#pragma once
// Assertions on log and message texts that print both texts when they fail, and the message of
// an exception.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "foundation/exception.h"

namespace orvantis::testing {

// The message of the TException that `f` throws, or "no exception".
template <typename F>
std::string thrownMessage(F&& f) {
  try {
    f();
  } catch (const TException& e) {
    return e.what();
  }
  return "no exception";
}

// How many times `what` occurs in `text`, overlapping occurrences included.
inline int countOccurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The log with every duration masked, for comparing two runs: the number after "Duration...: "
// or "duration...: " becomes "#".
inline std::string withoutDurations(const std::string& log) {
  std::string text = log;
  for (std::size_t at = text.find("uration"); at != std::string::npos;
       at = text.find("uration", at + 1)) {
    if (at == 0 || (text[at - 1] != 'D' && text[at - 1] != 'd')) continue;
    const std::size_t colon = text.find(':', at);
    if (colon == std::string::npos || colon + 1 >= text.size() || text[colon + 1] != ' ') continue;
    const std::size_t first = colon + 2;
    std::size_t end = first;
    while (end < text.size() &&
           std::string_view("0123456789.e+-").find(text[end]) != std::string_view::npos) {
      ++end;
    }
    if (end > first) text.replace(first, end - first, "#");
  }
  return text;
}

inline ::testing::AssertionResult textContains(const char* textExpr, const char* partExpr,
                                               const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << textExpr << " does not contain " << partExpr << "\n  text: \"" << text
         << "\"\n  part: \"" << part << "\"";
}

inline ::testing::AssertionResult textStartsWith(const char* textExpr, const char* partExpr,
                                                 const std::string& text, const std::string& part) {
  if (text.compare(0, part.size(), part) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << textExpr << " does not start with " << partExpr << "\n  text: \"" << text
         << "\"\n  start: \"" << part << "\"";
}

}  // namespace orvantis::testing

#define EXPECT_CONTAINS(text, part) \
  EXPECT_PRED_FORMAT2(::orvantis::testing::textContains, text, part)
#define EXPECT_STARTS_WITH(text, part) \
  EXPECT_PRED_FORMAT2(::orvantis::testing::textStartsWith, text, part)
