#include "settings/grid_values.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace orvantis {
namespace {

std::vector<std::string> words(const std::string& text, std::size_t blockSize) {
  std::istringstream in(text);
  TGridTokenizer tokens(in, blockSize);
  std::vector<std::string> out;
  std::string_view word;
  while (tokens.next(word)) out.push_back(tokens.tooLong() ? "<too long>" : std::string(word));
  return out;
}

TEST(GridTokenizerTest, WordsSurviveEveryBlockBoundary) {
  const std::string text = "  12 -3.5\t7\r\n\r\n0.25e1   \f\v-9999\n1234567";
  const std::vector<std::string> expected = {"12", "-3.5", "7", "0.25e1", "-9999", "1234567"};
  for (std::size_t block = 1; block <= text.size() + 1; ++block) {
    EXPECT_EQ(words(text, block), expected) << "block size " << block;
  }
  EXPECT_TRUE(words("", 4).empty());
  EXPECT_TRUE(words(" \r\n\t ", 2).empty());
}

TEST(GridTokenizerTest, OverlongWordsAreFlaggedAndSkipped) {
  const std::string garbage(TGridTokenizer::kMaxWordLength * 3, 'x');
  EXPECT_EQ(words("1 " + garbage + " 2", 100), (std::vector<std::string>{"1", "<too long>", "2"}));
  EXPECT_EQ(words(garbage, 1 << 20), (std::vector<std::string>{"<too long>"}));
}

TEST(GridValueTest, WholeWordNumbers) {
  int i = 0;
  EXPECT_EQ(parseGridValue("+5", i), TValueParse::Ok);
  EXPECT_EQ(i, 5);
  for (const char* bad : {"3.0", "12abc", "-", "0x10", ""}) {
    EXPECT_EQ(parseGridValue(bad, i), TValueParse::NotANumber) << bad;
  }
  EXPECT_EQ(parseGridValue("99999999999", i), TValueParse::OutOfRange);
  float f = 0.0f;
  EXPECT_EQ(parseGridValue("+.5", f), TValueParse::Ok);
  EXPECT_FLOAT_EQ(f, 0.5f);
  EXPECT_EQ(parseGridValue("1.5E3", f), TValueParse::Ok);
  EXPECT_FLOAT_EQ(f, 1500.0f);
  for (const char* bad : {"nan", "-inf", "1.5x", "1,5", ""}) {
    EXPECT_EQ(parseGridValue(bad, f), TValueParse::NotANumber) << bad;
  }
  EXPECT_EQ(parseGridValue("1e60", f), TValueParse::OutOfRange);
}

}  // namespace
}  // namespace orvantis
