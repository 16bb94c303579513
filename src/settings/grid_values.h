#pragma once
// The data part of an ASCII grid: white-space separated numbers, read from the stream in large
// blocks and parsed without going through the stream's extraction, so that a map of millions of
// values reads in a fraction of a second and never needs its whole text in memory.

#include <cstddef>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace orvantis {

class TGridTokenizer {
 public:
  // Longest word kept whole; anything longer cannot be a number of a grid.
  static constexpr std::size_t kMaxWordLength = 4096;

  explicit TGridTokenizer(std::istream& in, std::size_t blockSize = 1 << 20);

  // The next word (spaces, tabs, carriage returns, line feeds, vertical tabs and form feeds
  // separate words). False at the end of the data. A word longer than kMaxWordLength is
  // returned cut to that length with tooLong() set. The view stays valid until the next call.
  bool next(std::string_view& word);
  bool tooLong() const { return tooLong_; }

 private:
  // Moves the unread characters to the front and appends the next block; false when nothing
  // more could be read.
  bool refill();

  std::istream& in_;
  std::unique_ptr<char[]> buffer_;
  std::size_t blockSize_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool exhausted_ = false;
  bool tooLong_ = false;
  std::string overlong_;
};

enum class TValueParse { Ok, NotANumber, OutOfRange };

// Whole-word conversions: an optional sign and the digits of an int, or a finite float in
// decimal or exponent notation. A word with anything left after the number ("3.0" for an int,
// "12abc", "nan") is not a number.
TValueParse parseGridValue(std::string_view word, int& value);
TValueParse parseGridValue(std::string_view word, float& value);

}  // namespace orvantis
