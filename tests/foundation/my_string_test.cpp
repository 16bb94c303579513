#include "foundation/my_string.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

namespace orvantis {
namespace {

TEST(MyStringTest, ToIntRules) {
  EXPECT_EQ(my_string("0").toInt(), 0);
  EXPECT_EQ(my_string("abc").toInt(), -1);
  EXPECT_EQ(my_string("").toInt(), -1);
  EXPECT_EQ(my_string("12abc").toInt(), 12);
  EXPECT_EQ(my_string("x0").toInt(), 0);  // not a number, but it holds a '0'
  EXPECT_EQ(my_string(" \t42").toInt(), 42);
  EXPECT_EQ(my_string("-7").toInt(), -7);
  EXPECT_EQ(my_string("-9999").toInt(), -9999);
}

TEST(MyStringTest, ToDouble) {
  EXPECT_DOUBLE_EQ(my_string("abc").toDouble(), 0.0);
  EXPECT_DOUBLE_EQ(my_string("").toDouble(), 0.0);
  EXPECT_DOUBLE_EQ(my_string(" 2.5e1").toDouble(), 25.0);
  EXPECT_DOUBLE_EQ(my_string("1.5x").toDouble(), 1.5);
}

TEST(MyStringTest, ReadLine) {
  std::istringstream in("first line\n  \tsecond\r\n\n\r  third \nlast");
  my_string s("old");
  EXPECT_TRUE(s.readLine(in));
  EXPECT_EQ(s.str(), "first line");
  EXPECT_TRUE(s.readLine(in));
  EXPECT_EQ(s.str(), "second\r");  // leading blanks skipped, a final carriage return kept
  EXPECT_TRUE(s.readLine(in));
  EXPECT_EQ(s.str(), "");
  EXPECT_TRUE(s.readLine(in));
  EXPECT_EQ(s.str(), "third ");  // a leading carriage return is skipped like a blank
  // A last line without a line feed is reported as the end but its text is kept.
  EXPECT_FALSE(s.readLine(in));
  EXPECT_EQ(s.str(), "last");
  EXPECT_FALSE(s.readLine(in));
  EXPECT_TRUE(s.isEmpty());
}

TEST(MyStringTest, ReadTokenLeavesTheLineFeed) {
  std::istringstream in("ncols 10\n  a\tb  c\r\nrest of line\nend");
  my_string token;
  token.readToken(in);
  EXPECT_EQ(token.str(), "ncols");
  token.readToken(in);
  EXPECT_EQ(token.str(), "10");
  my_string line;
  EXPECT_TRUE(line.readLine(in));  // the line feed after 10 is still there
  EXPECT_EQ(line.str(), "");

  token.readToken(in);
  EXPECT_EQ(token.str(), "a\tb");  // a tab inside a token does not end it
  token.readToken(in);
  EXPECT_EQ(token.str(), "c");  // the carriage return is consumed
  EXPECT_EQ(in.peek(), '\n');
  EXPECT_TRUE(line.readLine(in));
  EXPECT_TRUE(line.readLine(in));
  EXPECT_EQ(line.str(), "rest of line");

  token.readToken(in);
  EXPECT_EQ(token.str(), "end");
  token.readToken(in);
  EXPECT_TRUE(token.isEmpty());
}

TEST(MyStringTest, ReadWord) {
  std::istringstream in("alpha beta\tgamma\n delta");
  my_string w;
  w.readWord(in);
  EXPECT_EQ(w.str(), "alpha");
  w.readWord(in);
  EXPECT_EQ(w.str(), "beta");
  w.readWord(in);
  EXPECT_EQ(w.str(), "gamma");
  w.readWord(in);
  EXPECT_EQ(w.str(), "");  // leading blanks are not skipped
  w.readWord(in);
  EXPECT_EQ(w.str(), "delta");

  std::istringstream failed("word");
  failed.setstate(std::ios::failbit);
  w = "kept?";
  w.readWord(failed);
  EXPECT_TRUE(w.isEmpty());
}

TEST(MyStringTest, LengthLimits) {
  const std::string max(my_string::kMaxLength, 'a');
  const std::string over(my_string::kMaxLength + 1, 'b');

  my_string s("old");
  s = max.c_str();
  EXPECT_EQ(s.length(), my_string::kMaxLength);
  s = "old";
  s = over.c_str();
  EXPECT_EQ(s.str(), "old");

  // Appending stops at the limit and keeps the text.
  my_string grown(std::string(my_string::kMaxLength - 1, 'c'));
  grown += "dd";
  EXPECT_EQ(grown.length(), my_string::kMaxLength - 1);
  grown += 'e';
  EXPECT_EQ(grown.length(), my_string::kMaxLength);
  grown += 'f';
  EXPECT_EQ(grown.length(), my_string::kMaxLength);
  EXPECT_EQ(grown[my_string::kMaxLength - 1], 'e');

  // Concatenation beyond the limit gives an empty string; at the limit it is kept.
  const my_string half(std::string(my_string::kMaxLength / 2, 'h'));
  EXPECT_EQ((half + half).length(), my_string::kMaxLength);
  EXPECT_TRUE((half + half + "x").isEmpty());
  EXPECT_TRUE((half + (half + my_string("y"))).isEmpty());

  // Constructing from a C string of 10000 characters or more gives an empty string.
  const std::string longText(my_string::kMaxConstructLength, 'z');
  const my_string tooLong(longText.c_str());
  EXPECT_TRUE(tooLong.isEmpty());
  EXPECT_EQ(tooLong.capacity(), 10);
  const std::string shorter(my_string::kMaxConstructLength - 1, 'z');
  EXPECT_EQ(my_string(shorter.c_str()).length(), my_string::kMaxConstructLength - 1);
}

TEST(MyStringTest, BufferSizes) {
  EXPECT_EQ(my_string().capacity(), 10);
  const my_string sized(50);
  EXPECT_TRUE(sized.isEmpty());
  EXPECT_EQ(sized.capacity(), 52);

  my_string s;
  s += "abcdefghij";
  EXPECT_EQ(s.capacity(), 12);  // exactly the new length + 2
  s += 'k';
  EXPECT_EQ(s.capacity(), 22);  // one character grows by the growth step
  EXPECT_EQ(s.str(), "abcdefghijk");

  my_string n;
  n = -42;
  EXPECT_EQ(n.str(), "-42");
  EXPECT_GE(n.capacity(), 22);
  n = 2147483647;
  EXPECT_EQ(n.str(), "2147483647");
}

TEST(MyStringTest, SelfReferencingOperations) {
  my_string s("ab");
  s += s;
  EXPECT_EQ(s.str(), "abab");
  s += s.c_str() + 2;
  EXPECT_EQ(s.str(), "ababab");
  s = s.c_str() + 4;
  EXPECT_EQ(s.str(), "ab");

  my_string copy(s);
  copy += "c";
  EXPECT_EQ(s.str(), "ab");
  EXPECT_EQ(copy.str(), "abc");
}

TEST(MyStringTest, PathParts) {
  my_string file("maps\\veg.asc");
  file.fileNamePart();
  EXPECT_EQ(file.str(), "veg.asc");
  file.fileNamePart();
  EXPECT_EQ(file.str(), "veg.asc");
  my_string mixed("a/b\\c/d.txt");
  mixed.fileNamePart();
  EXPECT_EQ(mixed.str(), "d.txt");

  my_string dir("maps\\veg.asc");
  dir.directoryPart();
  EXPECT_EQ(dir.str(), "maps\\");
  my_string plain("veg.asc");
  plain.directoryPart();
  EXPECT_TRUE(plain.isEmpty());
  my_string mixedDir("a\\b/c.txt");
  mixedDir.directoryPart();
  EXPECT_EQ(mixedDir.str(), "a\\b/");
}

TEST(MyStringTest, TrimBlanksAndSplitting) {
  my_string s(" \t a b \t");
  s.trim();
  EXPECT_EQ(s.str(), "a b");
  my_string blanks(" \t  ");
  blanks.trim();
  EXPECT_TRUE(blanks.isEmpty());
  my_string spaced(" a b\tc ");
  spaced.removeBlanks();
  EXPECT_EQ(spaced.str(), "abc");

  const my_string kv("key=val=x");
  EXPECT_EQ(kv.after('=').str(), "val=x");
  EXPECT_EQ(kv.before('=').str(), "key");
  EXPECT_EQ(kv.after('#').str(), "key=val=x");
  EXPECT_EQ(kv.before('#').str(), "key=val=x");
  EXPECT_EQ(my_string("=v").before('=').str(), "");
  EXPECT_EQ(my_string("k=").after('=').str(), "");
}

TEST(MyStringTest, SearchCaseAndOrder) {
  const my_string s("hello world");
  EXPECT_TRUE(s.contains("lo w"));
  EXPECT_FALSE(s.contains(""));
  EXPECT_FALSE(s.contains("worlds"));
  EXPECT_EQ(s.find("o"), 4);
  EXPECT_EQ(s.find(""), -1);
  EXPECT_EQ(s.find("xyz"), -1);
  EXPECT_TRUE(s.containsChar('w'));
  EXPECT_FALSE(s.containsChar('z'));

  my_string u("aBz-1_q");
  u.toUpper();
  EXPECT_EQ(u.str(), "ABZ-1_Q");

  EXPECT_TRUE(my_string("abc") == my_string("abc"));
  EXPECT_TRUE(my_string("abc") != my_string("abd"));
  EXPECT_TRUE(my_string("EndTime") < my_string("GenerationTime"));
  std::map<my_string, int> m;
  m["b"] = 2;
  m["a"] = 1;
  m["b"] = 3;
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m.begin()->first.str(), "a");
  EXPECT_EQ(m[my_string("b")], 3);

  std::ostringstream out;
  out << my_string("x\ty");
  EXPECT_EQ(out.str(), "x\ty");
}

}  // namespace
}  // namespace orvantis
