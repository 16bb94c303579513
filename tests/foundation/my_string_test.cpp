#include "foundation/my_string.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace orvantis {
namespace {

TEST(MyStringTest, NumberConversions) {
  const std::pair<const char*, int> ints[] = {
      {"0", 0},      {"abc", -1}, {"", -1},
      {"12abc", 12}, {"x0", 0},  // not a number, but it holds a '0'
      {" \t42", 42}, {"-7", -7},  {"-9999", -9999},
  };
  for (const auto& [text, value] : ints) EXPECT_EQ(my_string(text).toInt(), value) << text;
  EXPECT_DOUBLE_EQ(my_string("abc").toDouble(), 0.0);
  EXPECT_DOUBLE_EQ(my_string(" 2.5e1").toDouble(), 25.0);
  EXPECT_DOUBLE_EQ(my_string("1.5x").toDouble(), 1.5);
}

TEST(MyStringTest, ReadLine) {
  std::istringstream in("first line\n  \tsecond\r\n\n\r  third \nlast");
  my_string s("old");
  const char* lines[] = {"first line", "second\r", "", "third "};  // leading blanks and CR skipped
  for (const char* line : lines) {
    EXPECT_TRUE(s.readLine(in));
    EXPECT_EQ(s.str(), line);
  }
  // A last line without a line feed is reported as the end but its text is kept.
  EXPECT_FALSE(s.readLine(in));
  EXPECT_EQ(s.str(), "last");
  EXPECT_FALSE(s.readLine(in));
  EXPECT_TRUE(s.isEmpty());
}

TEST(MyStringTest, ReadTokenLeavesTheLineFeed) {
  std::istringstream in("ncols 10\n  a\tb  c\r\nend");
  my_string token;
  my_string line;
  token.readToken(in);
  EXPECT_EQ(token.str(), "ncols");
  token.readToken(in);
  EXPECT_EQ(token.str(), "10");
  EXPECT_TRUE(line.readLine(in));  // the line feed after 10 is still there
  EXPECT_EQ(line.str(), "");
  token.readToken(in);
  EXPECT_EQ(token.str(), "a\tb");  // a tab inside a token does not end it
  token.readToken(in);
  EXPECT_EQ(token.str(), "c");  // the carriage return is consumed
  EXPECT_EQ(in.peek(), '\n');
  EXPECT_TRUE(line.readLine(in));
  token.readToken(in);
  EXPECT_EQ(token.str(), "end");
  token.readToken(in);
  EXPECT_TRUE(token.isEmpty());
}

TEST(MyStringTest, LengthLimits) {
  my_string s("old");
  s = std::string(my_string::kMaxLength, 'a').c_str();
  EXPECT_EQ(s.length(), 20000);
  s = "old";
  s = std::string(my_string::kMaxLength + 1, 'b').c_str();
  EXPECT_EQ(s.str(), "old");
  // Appending stops at the limit and keeps the text; concatenation beyond it gives "".
  my_string grown(std::string(my_string::kMaxLength - 1, 'c'));
  grown += "dd";
  EXPECT_EQ(grown.length(), my_string::kMaxLength - 1);
  grown += 'e';
  grown += 'f';
  EXPECT_EQ(grown.length(), my_string::kMaxLength);
  const my_string half(std::string(my_string::kMaxLength / 2, 'h'));
  EXPECT_EQ((half + half).length(), my_string::kMaxLength);
  EXPECT_TRUE((half + half + "x").isEmpty());
  // Appending a string to itself reads it before it grows.
  my_string ab("ab");
  ab += ab;
  EXPECT_EQ(ab.str(), "abab");
}

}  // namespace
}  // namespace orvantis
