#include "settings/grid_values.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <system_error>

namespace orvantis {
namespace {

bool isSeparator(char c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f';
}

// from_chars takes a leading '-' but not a '+', which stream extraction accepts.
std::string_view withoutPlus(std::string_view word) {
  if (word.size() > 1 && word[0] == '+' && word[1] != '-' && word[1] != '+') {
    word.remove_prefix(1);
  }
  return word;
}

template <class T>
TValueParse parseWhole(std::string_view word, T& value) {
  word = withoutPlus(word);
  if (word.empty()) return TValueParse::NotANumber;
  const char* const last = word.data() + word.size();
  const auto [end, error] = std::from_chars(word.data(), last, value);
  if (error == std::errc::result_out_of_range && end == last) return TValueParse::OutOfRange;
  if (error != std::errc() || end != last) return TValueParse::NotANumber;
  return TValueParse::Ok;
}

}  // namespace

TGridTokenizer::TGridTokenizer(std::istream& in, std::size_t blockSize)
    : in_(in),
      // Left uninitialised: only what the stream delivers is ever read, and a small map then
      // touches only the first pages of the block.
      buffer_(std::make_unique_for_overwrite<char[]>(blockSize + kMaxWordLength + 1)),
      blockSize_(blockSize) {}

bool TGridTokenizer::refill() {
  if (exhausted_) return false;
  const std::size_t kept = end_ - begin_;
  if (kept > 0 && begin_ > 0) std::memmove(buffer_.get(), buffer_.get() + begin_, kept);
  begin_ = 0;
  end_ = kept;
  in_.read(buffer_.get() + end_, static_cast<std::streamsize>(blockSize_));
  const std::streamsize got = in_.gcount();
  if (got <= 0) {
    exhausted_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

bool TGridTokenizer::next(std::string_view& word) {
  tooLong_ = false;
  // Skip separators, reading on as long as the block holds nothing else.
  for (;;) {
    while (begin_ < end_ && isSeparator(buffer_[begin_])) ++begin_;
    if (begin_ < end_) break;
    if (!refill()) return false;
  }
  // Find the end of the word; a word cut by the end of the block is completed by the next one.
  std::size_t stop = begin_;
  for (;;) {
    while (stop < end_ && !isSeparator(buffer_[stop]) && stop - begin_ < kMaxWordLength) ++stop;
    if (stop - begin_ >= kMaxWordLength) {
      tooLong_ = true;
      break;
    }
    if (stop < end_) break;
    // refill moves the unread characters to the front, so the end is kept as an offset.
    const std::size_t offset = stop - begin_;
    const bool more = refill();
    stop = begin_ + offset;
    if (!more) break;  // the data end with this word
  }
  if (!tooLong_) {
    word = std::string_view(buffer_.get() + begin_, stop - begin_);
    begin_ = stop;
    return true;
  }
  // Keep the start of the overlong word for the messages and drop the rest, so that the next
  // call starts behind it.
  overlong_.assign(buffer_.get() + begin_, kMaxWordLength);
  begin_ = stop;
  for (;;) {
    while (begin_ < end_ && !isSeparator(buffer_[begin_])) ++begin_;
    if (begin_ < end_ || !refill()) break;
  }
  word = overlong_;
  return true;
}

TValueParse parseGridValue(std::string_view word, int& value) {
  return parseWhole(word, value);
}

TValueParse parseGridValue(std::string_view word, float& value) {
  const TValueParse result = parseWhole(word, value);
  if (result == TValueParse::Ok && !std::isfinite(value)) return TValueParse::NotANumber;
  return result;
}

}  // namespace orvantis
