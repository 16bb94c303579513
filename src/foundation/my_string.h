#pragma once
// The system's own string: a single owned heap buffer, silent refusal of over-long
// assignments, conversions that never fail, and the stream readers the file parsers use.

#include <cstddef>
#include <iosfwd>
#include <sstream>
#include <string>
#include <string_view>

namespace orvantis {

class my_string {
 public:
  static constexpr int kMaxLength = 20000;           // longest string assignment or appending makes
  static constexpr int kMaxConstructLength = 10000;  // C strings this long construct as empty
  static constexpr int kGrowthStep = 10;             // extra room when one character is appended

  my_string();
  my_string(const char* text);         // NOLINT: implicit like a C string
  my_string(const std::string& text);  // NOLINT: convenience for the standard library
  explicit my_string(int requestedSize);
  my_string(const my_string& other);
  my_string(my_string&& other) noexcept;
  ~my_string();

  my_string& operator=(const char* text);
  my_string& operator=(const my_string& other);
  my_string& operator=(my_string&& other) noexcept;
  my_string& operator=(int value);

  my_string& operator+=(const char* text);
  my_string& operator+=(const my_string& other);
  my_string& operator+=(char c);

  friend my_string operator+(const my_string& a, const my_string& b);
  friend my_string operator+(const my_string& a, const char* b);

  bool isEmpty() const { return length_ == 0; }
  bool contains(const char* text) const;
  bool contains(const my_string& text) const { return contains(text.c_str()); }
  bool containsChar(char c) const;
  int find(const char* text) const;
  int find(const my_string& text) const { return find(text.c_str()); }

  void toUpper();
  long toInt() const;
  double toDouble() const;
  void trim();
  void removeBlanks();
  my_string after(char c) const;
  my_string before(char c) const;
  void fileNamePart();
  void directoryPart();

  char& charAt(int i) { return text_[i]; }
  char charAt(int i) const { return text_[i]; }
  char& operator[](int i) { return text_[i]; }
  char operator[](int i) const { return text_[i]; }

  const char* c_str() const { return text_; }
  std::string str() const { return std::string(text_, static_cast<std::size_t>(length_)); }
  std::string_view view() const { return {text_, static_cast<std::size_t>(length_)}; }
  int length() const { return length_; }
  int capacity() const { return capacity_; }

  // Stream readers; each clears the string first.
  bool readLine(std::istream& in);
  void readWord(std::istringstream& in);
  void readToken(std::istream& in);

  // Ordering by the C library's locale collation, as every map keyed by my_string uses.
  friend bool operator==(const my_string& a, const my_string& b);
  friend bool operator!=(const my_string& a, const my_string& b) { return !(a == b); }
  friend bool operator<(const my_string& a, const my_string& b);
  friend bool operator==(const my_string& a, const char* b);

 private:
  void assign(const char* text, int length);
  bool append(const char* text, int length);
  void reallocate(int newCapacity);

  char* text_ = nullptr;
  int growthStep_ = kGrowthStep;
  int length_ = 0;
  int capacity_ = 0;
  char* scratch_ = nullptr;
};

std::ostream& operator<<(std::ostream& out, const my_string& s);

}  // namespace orvantis
