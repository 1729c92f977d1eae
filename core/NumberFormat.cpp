#include "core/NumberFormat.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/Exceptions.h"

namespace dorvane {
namespace {

NumberSeparators& Separators() {
  static NumberSeparators separators;
  return separators;
}

// bytes / divisor with exactly two decimals, rounded half away from zero, computed on
// the exact quotient (integer arithmetic: no intermediate can overflow, and no binary
// rounding can move a value across a rounding boundary). bytes is positive here.
std::string TwoDecimals(std::int64_t bytes, std::int64_t divisor, const NumberSeparators& sep) {
  const std::int64_t whole = bytes / divisor;
  const std::int64_t rest = bytes % divisor;  // < divisor <= 2^30
  std::int64_t hundredths = rest * 100 / divisor;
  const std::int64_t remainder = rest * 100 % divisor;
  std::int64_t units = whole;
  if (2 * remainder >= divisor) ++hundredths;
  if (hundredths == 100) {
    ++units;
    hundredths = 0;
  }
  std::string text = std::to_string(units);
  text += sep.decimal;
  text += static_cast<char>('0' + hundredths / 10);
  text += static_cast<char>('0' + hundredths % 10);
  return text;
}

[[noreturn]] void ThrowNotInteger(std::string_view text) {
  throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace

const NumberSeparators& CurrentSeparators() { return Separators(); }

void SetCurrentSeparators(NumberSeparators separators) { Separators() = std::move(separators); }

std::string FormatSize(std::int64_t bytes, const NumberSeparators& separators) {
  constexpr std::int64_t kGb = 1073741824;  // 2^30
  constexpr std::int64_t kMb = 1048575;     // 2^20 - 1, threshold and divisor alike
  constexpr std::int64_t kKb = 1024;
  if (bytes > kGb) return TwoDecimals(bytes, kGb, separators) + " Gb";
  if (bytes > kMb) return TwoDecimals(bytes, kMb, separators) + " Mb";
  if (bytes > kKb) return TwoDecimals(bytes, kKb, separators) + " Kb";
  return std::to_string(bytes) + " bytes";
}

std::string FormatSize(std::int64_t bytes) { return FormatSize(bytes, CurrentSeparators()); }

std::int64_t ParseNumber(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text)
    if (c != ' ' && c != ',' && c != '$') kept += c;
  if (kept.empty()) {
    // Only an empty text counts as 0; a text of dropped characters alone ("$") is not a number.
    if (text.empty()) return 0;
    ThrowNotInteger(text);
  }
  std::size_t i = 0;
  bool negative = false;
  if (kept[0] == '+' || kept[0] == '-') {
    negative = kept[0] == '-';
    i = 1;
  }
  if (i == kept.size()) ThrowNotInteger(text);
  // Accumulate as a negative number so that the most negative value is representable.
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  for (; i < kept.size(); ++i) {
    const char c = kept[i];
    if (c < '0' || c > '9') ThrowNotInteger(text);
    const int digit = c - '0';
    if (value < (kMin + digit) / 10) ThrowNotInteger(text);
    value = value * 10 - digit;
  }
  if (!negative) {
    if (value == kMin) ThrowNotInteger(text);
    value = -value;
  }
  return value;
}

std::string FormatKilobytes(std::uint64_t bytes, const NumberSeparators& separators) {
  const std::uint64_t kb = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
  if (kb == 0) return " KB";
  const std::string digits = std::to_string(kb);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += separators.thousands;
    text += digits[i];
  }
  return text + " KB";
}

std::string FormatKilobytes(std::uint64_t bytes) {
  return FormatKilobytes(bytes, CurrentSeparators());
}

std::string ShortestFloatText(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // The fewest significant digits that read back as the same value; 17 always do.
  char scientific[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, value);
    if (std::strtod(scientific, nullptr) == value) break;
  }
  // The digits and the exponent, written again in both notations (C runtimes differ in how
  // many exponent digits they print).
  const std::string printed = scientific;
  const bool negative = printed[0] == '-';
  const std::size_t e = printed.find('e');
  std::string digits;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i)
    if (printed[i] != '.') digits += printed[i];
  const int exponent = std::atoi(printed.c_str() + e + 1);
  const int count = static_cast<int>(digits.size());
  const std::string sign = negative ? "-" : "";
  const int magnitude = exponent < 0 ? -exponent : exponent;
  const std::string text = sign + digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "") + "e" +
                           (exponent < 0 ? "-" : "+") + (magnitude < 10 ? "0" : "") + std::to_string(magnitude);
  std::string fixed = sign;
  if (exponent >= count - 1) {
    fixed += digits + std::string(static_cast<std::size_t>(exponent - (count - 1)), '0');
  } else if (exponent >= 0) {
    fixed += digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
             digits.substr(static_cast<std::size_t>(exponent) + 1);
  } else {
    fixed += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  return fixed.size() <= text.size() ? fixed : text;
}

bool ParseFloatText(std::string_view text, double& value) {
  if (text.empty() || text[0] == '+' || text.find_first_of("xX \t\r\n\v\f") != std::string_view::npos) return false;
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) return false;
  if (errno == ERANGE && std::isinf(parsed)) return false;
  value = parsed;
  return true;
}

}  // namespace dorvane
