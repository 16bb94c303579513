#pragma once
// Numbers shown in and read from the window's fields.

#include <QString>
#include <optional>

namespace orvantis {

// The general format with 4 significant digits: fixed notation while the number has at most 4
// digits before the point and is not below 0.00001 in size, trailing zeros removed ("0.1",
// "1235", "0.00001"); otherwise scientific with an exponent of at least 4 digits ("1.235E+0004",
// "1E-0006").
QString generalFormat(double value);

// The whole number a field holds (blanks around it allowed), or nothing when it holds anything
// else or a number beyond the int range.
std::optional<int> parseWholeNumber(const QString& text);

// The integer part of the number a field holds ("50", "50.7" give 50), or 0 when it holds no
// number.
int integerPart(const QString& text);

}  // namespace orvantis
