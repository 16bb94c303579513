#pragma once
// Assertions on log and message texts that print both texts when they fail, and the message of
// an exception.

#include <gtest/gtest.h>

#include <string>

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
