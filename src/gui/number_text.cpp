#include "gui/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace orvantis {

namespace {

// Removes the trailing zeros of the fraction, and the point if nothing follows it.
std::string trimFraction(std::string digits) {
  if (digits.find('.') == std::string::npos) return digits;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (!digits.empty() && digits.back() == '.') digits.pop_back();
  return digits;
}

}  // namespace

QString generalFormat(double value) {
  constexpr int kPrecision = 4;
  if (value == 0.0) return "0";
  if (!std::isfinite(value)) return QString::number(value);
  // The exponent of the value rounded to the precision, e.g. 9999.7 counts as 1.000e+04.
  char scientific[64];
  std::snprintf(scientific, sizeof scientific, "%.*e", kPrecision - 1, value);
  const char* e = std::strchr(scientific, 'e');
  const std::size_t mantissaLength =
      e ? static_cast<std::size_t>(e - scientific) : std::strlen(scientific);
  const int exponent = e ? std::atoi(e + 1) : 0;
  if (exponent < kPrecision && std::fabs(value) >= 0.00001) {
    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "%.*f", std::max(0, kPrecision - 1 - exponent), value);
    return QString::fromStdString(trimFraction(fixed));
  }
  const std::string mantissa = trimFraction(std::string(scientific, mantissaLength));
  char tail[16];
  std::snprintf(tail, sizeof tail, "E%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return QString::fromStdString(mantissa + tail);
}

std::optional<int> parseWholeNumber(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return value;
}

int integerPart(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return 0;
  return static_cast<int>(std::clamp(std::trunc(value), -2147483647.0, 2147483647.0));
}

}  // namespace orvantis
