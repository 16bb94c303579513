#pragma once
// Line and field readers of the sample and genetic parameters files: lines split into fields at
// blanks, numbers read as the C library reads the start of a text ("12abc" is 12), never past
// the end of a field, and out-of-range values saturated instead of wrapped.

#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace orvantis {

// Reads the next line without its line feed and carriage return; counts it. False at the end of
// the file.
bool readTextLine(std::istream& in, std::string& line, int& lineNumber);

// The fields of a line, separated by spaces, tabs and carriage returns (views into `line`).
void splitFields(std::string_view line, std::vector<std::string_view>& fields);

// The integer at the start of a field, saturated to the range of long long; false when the
// field does not start with a number.
bool leadingInteger(std::string_view field, long long& value);
// The real at the start of a field (possibly infinite when out of range); false when the field
// does not start with a number.
bool leadingReal(std::string_view field, double& value);

// The value clamped into the range of int.
int clampToInt(long long value);

}  // namespace orvantis
