#include "foundation/my_string.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>

namespace orvantis {

namespace {
constexpr int kDefaultCapacity = 10;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
}  // namespace

my_string::my_string() : text_(new char[kDefaultCapacity]), capacity_(kDefaultCapacity) {
  text_[0] = '\0';
}

my_string::my_string(const char* text) : my_string() {
  if (text == nullptr) return;
  const std::size_t n = std::strlen(text);
  if (n >= static_cast<std::size_t>(kMaxConstructLength)) return;
  assign(text, static_cast<int>(n));
}

my_string::my_string(const std::string& text) : my_string() {
  if (text.size() > static_cast<std::size_t>(kMaxLength)) return;
  assign(text.data(), static_cast<int>(text.size()));
}

my_string::my_string(int requestedSize) {
  const int n = requestedSize < 0 ? 0 : requestedSize;
  capacity_ = n + 2;
  text_ = new char[static_cast<std::size_t>(capacity_)];
  text_[0] = '\0';
}

my_string::my_string(const my_string& other) : my_string() {
  assign(other.text_, other.length_);
}

my_string::my_string(my_string&& other) noexcept
    : text_(other.text_), length_(other.length_), capacity_(other.capacity_) {
  other.text_ = new (std::nothrow) char[kDefaultCapacity];
  if (other.text_ != nullptr) other.text_[0] = '\0';
  other.length_ = 0;
  other.capacity_ = other.text_ != nullptr ? kDefaultCapacity : 0;
}

my_string::~my_string() {
  delete[] text_;
  delete[] scratch_;
}

my_string& my_string::operator=(const char* text) {
  if (text == nullptr) return *this;
  const std::size_t n = std::strlen(text);
  if (n > static_cast<std::size_t>(kMaxLength)) return *this;
  if (text >= text_ && text < text_ + capacity_) {
    // Self-assignment from our own buffer: go through a copy.
    std::string copy(text, n);
    assign(copy.data(), static_cast<int>(n));
  } else {
    assign(text, static_cast<int>(n));
  }
  return *this;
}

my_string& my_string::operator=(const my_string& other) {
  if (this != &other) assign(other.text_, other.length_);
  return *this;
}

my_string& my_string::operator=(my_string&& other) noexcept {
  if (this != &other) {
    std::swap(text_, other.text_);
    std::swap(length_, other.length_);
    std::swap(capacity_, other.capacity_);
  }
  return *this;
}

my_string& my_string::operator=(int value) {
  if (capacity_ < 20) reallocate(22);
  length_ = std::snprintf(text_, static_cast<std::size_t>(capacity_), "%d", value);
  return *this;
}

void my_string::assign(const char* text, int length) {
  if (length > kMaxLength) return;
  if (length + 2 > capacity_) reallocate(length + 2);
  std::memcpy(text_, text, static_cast<std::size_t>(length));
  text_[length] = '\0';
  length_ = length;
}

void my_string::reallocate(int newCapacity) {
  // Keep the characters in the scratch buffer while the main buffer is replaced.
  scratch_ = new char[static_cast<std::size_t>(length_) + 1];
  std::memcpy(scratch_, text_, static_cast<std::size_t>(length_) + 1);
  delete[] text_;
  text_ = new char[static_cast<std::size_t>(newCapacity)];
  const int keep = length_ < newCapacity ? length_ : newCapacity - 1;
  std::memcpy(text_, scratch_, static_cast<std::size_t>(keep));
  text_[keep] = '\0';
  length_ = keep;
  capacity_ = newCapacity;
  delete[] scratch_;
  scratch_ = nullptr;
}

bool my_string::append(const char* text, int length) {
  const int newLength = length_ + length;
  if (newLength > kMaxLength) return false;
  if (newLength + 2 > capacity_) {
    reallocate(length == 1 ? length_ + growthStep_ + 2 : newLength + 2);
  }
  std::memmove(text_ + length_, text, static_cast<std::size_t>(length));
  length_ = newLength;
  text_[length_] = '\0';
  return true;
}

my_string& my_string::operator+=(const char* text) {
  if (text == nullptr) return *this;
  const std::size_t n = std::strlen(text);
  if (n > static_cast<std::size_t>(kMaxLength)) return *this;
  if (text >= text_ && text < text_ + capacity_) {
    std::string copy(text, n);
    append(copy.data(), static_cast<int>(n));
  } else {
    append(text, static_cast<int>(n));
  }
  return *this;
}

my_string& my_string::operator+=(const my_string& other) {
  if (this == &other) {
    std::string copy = other.str();
    append(copy.data(), static_cast<int>(copy.size()));
  } else {
    append(other.text_, other.length_);
  }
  return *this;
}

my_string& my_string::operator+=(char c) {
  append(&c, 1);
  return *this;
}

my_string operator+(const my_string& a, const my_string& b) {
  my_string result;
  if (a.length_ + b.length_ > my_string::kMaxLength) return result;
  result.assign(a.text_, a.length_);
  result.append(b.text_, b.length_);
  return result;
}

my_string operator+(const my_string& a, const char* b) {
  my_string result;
  if (b == nullptr) return a;
  const std::size_t n = std::strlen(b);
  if (static_cast<std::size_t>(a.length_) + n > static_cast<std::size_t>(my_string::kMaxLength)) {
    return result;
  }
  result.assign(a.text_, a.length_);
  result.append(b, static_cast<int>(n));
  return result;
}

bool my_string::contains(const char* text) const {
  return find(text) >= 0;
}

bool my_string::containsChar(char c) const {
  return std::memchr(text_, c, static_cast<std::size_t>(length_)) != nullptr;
}

int my_string::find(const char* text) const {
  if (text == nullptr || *text == '\0') return -1;
  const char* hit = std::strstr(text_, text);
  return hit == nullptr ? -1 : static_cast<int>(hit - text_);
}

void my_string::toUpper() {
  for (int i = 0; i < length_; ++i) {
    if (text_[i] >= 'a' && text_[i] <= 'z') text_[i] = static_cast<char>(text_[i] - 'a' + 'A');
  }
}

long my_string::toInt() const {
  const long value = std::strtol(text_, nullptr, 10);
  if (value == 0 && !containsChar('0')) return -1;
  return value;
}

double my_string::toDouble() const {
  return std::strtod(text_, nullptr);
}

void my_string::trim() {
  int begin = 0;
  while (begin < length_ && isBlank(text_[begin])) ++begin;
  int end = length_;
  while (end > begin && isBlank(text_[end - 1])) --end;
  const int n = end - begin;
  std::memmove(text_, text_ + begin, static_cast<std::size_t>(n));
  text_[n] = '\0';
  length_ = n;
}

void my_string::removeBlanks() {
  int out = 0;
  for (int i = 0; i < length_; ++i) {
    if (!isBlank(text_[i])) text_[out++] = text_[i];
  }
  text_[out] = '\0';
  length_ = out;
}

my_string my_string::after(char c) const {
  const char* hit =
      static_cast<const char*>(std::memchr(text_, c, static_cast<std::size_t>(length_)));
  if (hit == nullptr) return *this;
  my_string result;
  result.assign(hit + 1, static_cast<int>(text_ + length_ - hit - 1));
  return result;
}

my_string my_string::before(char c) const {
  const char* hit =
      static_cast<const char*>(std::memchr(text_, c, static_cast<std::size_t>(length_)));
  if (hit == nullptr) return *this;
  my_string result;
  result.assign(text_, static_cast<int>(hit - text_));
  return result;
}

void my_string::fileNamePart() {
  int last = -1;
  for (int i = 0; i < length_; ++i) {
    if (text_[i] == '/' || text_[i] == '\\') last = i;
  }
  if (last < 0) return;
  const int n = length_ - last - 1;
  std::memmove(text_, text_ + last + 1, static_cast<std::size_t>(n));
  text_[n] = '\0';
  length_ = n;
}

void my_string::directoryPart() {
  int last = -1;
  for (int i = 0; i < length_; ++i) {
    if (text_[i] == '/' || text_[i] == '\\') last = i;
  }
  length_ = last + 1;
  text_[length_] = '\0';
}

bool my_string::readLine(std::istream& in) {
  length_ = 0;
  text_[0] = '\0';
  int c = in.get();
  while (c == ' ' || c == '\t' || c == '\r') c = in.get();
  while (c != std::char_traits<char>::eof()) {
    if (c == '\n') return true;
    *this += static_cast<char>(c);
    c = in.get();
  }
  return false;
}

void my_string::readWord(std::istringstream& in) {
  length_ = 0;
  text_[0] = '\0';
  if (in.fail()) return;
  for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\0') return;
    *this += static_cast<char>(c);
  }
}

void my_string::readToken(std::istream& in) {
  length_ = 0;
  text_[0] = '\0';
  int c = in.peek();
  while (c == ' ' || c == '\t') {
    in.get();
    c = in.peek();
  }
  for (c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    if (c == '\n') {
      in.unget();
      return;
    }
    if (c == ' ' || c == '\r') return;
    *this += static_cast<char>(c);
  }
}

bool operator==(const my_string& a, const my_string& b) {
  return std::strcoll(a.text_, b.text_) == 0;
}

bool operator==(const my_string& a, const char* b) {
  return std::strcoll(a.text_, b == nullptr ? "" : b) == 0;
}

bool operator<(const my_string& a, const my_string& b) {
  return std::strcoll(a.text_, b.text_) < 0;
}

std::ostream& operator<<(std::ostream& out, const my_string& s) {
  return out.write(s.c_str(), s.length());
}

}  // namespace orvantis
