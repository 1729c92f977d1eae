// Fuzz target: ParseNumber either raises the conversion error or returns exactly the
// value that the kept characters spell, and never anything else. The size text of that
// value, and of the input's first eight bytes taken as a number, has the promised form,
// agrees with an exact computation of its own, and never goes down as the count goes up.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "core/Exceptions.h"
#include "core/NumberFormat.h"

namespace {

using Wide = __int128;

// A size text read back: the unit's rank (bytes, Kb, Mb, Gb) and its number in hundredths.
struct SizeText {
  int rank = 0;
  Wide hundredths = 0;
};

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

Wide ToWide(std::string_view digits) {
  Wide v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  return v;
}

// Checks one size text against the rules; aborts on the first one it breaks.
SizeText CheckSizeText(std::int64_t bytes) {
  const std::string text = dorvane::FormatSize(bytes, dorvane::NumberSeparators{".", ","});
  const std::string_view t = text;
  struct Unit {
    const char* suffix;
    std::int64_t above;  // strictly more than this many bytes
    std::int64_t divisor;
  };
  static constexpr Unit kUnits[] = {
      {" Gb", std::int64_t{1} << 30, std::int64_t{1} << 30},
      {" Mb", (std::int64_t{1} << 20) - 1, (std::int64_t{1} << 20) - 1},
      {" Kb", 1024, 1024},
  };
  for (int k = 0; k < 3; ++k) {
    const Unit& u = kUnits[k];
    if (bytes <= u.above) continue;
    // "<whole>.<two digits><unit>"
    const std::size_t n = std::strlen(u.suffix);
    if (t.size() < n + 4 || t.substr(t.size() - n) != u.suffix) std::abort();
    const std::string_view number = t.substr(0, t.size() - n);
    const std::size_t dot = number.size() - 3;
    if (number[dot] != '.' || !IsDigits(number.substr(0, dot)) || !IsDigits(number.substr(dot + 1))) std::abort();
    if (dot > 1 && number[0] == '0') std::abort();  // no leading zeros
    const Wide h = ToWide(number.substr(0, dot)) * 100 + ToWide(number.substr(dot + 1));
    // Two decimals rounded half away from zero: -d <= 2 (100 bytes - h d) < d.
    const Wide d = u.divisor, e = Wide{bytes} * 100 - h * d;
    if (!(2 * e >= -d && 2 * e < d)) std::abort();
    return {3 - k, h};
  }
  // "<count> bytes", the count as it is (no separators, a minus sign for negatives).
  if (t != std::to_string(bytes) + " bytes") std::abort();
  return {0, Wide{bytes} * 100};
}

bool NotAbove(const SizeText& a, const SizeText& b) {
  return a.rank < b.rank || (a.rank == b.rank && a.hundredths <= b.hundredths);
}

void CheckSizes(std::int64_t a, std::int64_t b) {
  if (a > b) std::swap(a, b);
  const SizeText ta = CheckSizeText(a), tb = CheckSizeText(b);
  if (!NotAbove(ta, tb)) std::abort();
  if (a < std::numeric_limits<std::int64_t>::max() && !NotAbove(ta, CheckSizeText(a + 1))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string kept;
  for (char c : text)
    if (c != ' ' && c != ',' && c != '$') kept += c;
  std::string_view digits = kept;
  if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
  std::int64_t expected = 0;
  bool valid = text.empty();
  if (!valid && !digits.empty() && digits[0] != '+' && !(digits.size() == 1 && digits[0] == '-')) {
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), expected);
    valid = ec == std::errc() && end == digits.data() + digits.size() &&
            !(kept[0] == '+' && digits[0] == '-');
  }
  try {
    const std::int64_t value = dorvane::ParseNumber(text);
    if (!valid || value != expected) std::abort();
  } catch (const dorvane::EConvertError&) {
    if (valid) std::abort();
  }
  std::int64_t raw = 0;
  if (size > 0) std::memcpy(&raw, data, size < sizeof raw ? size : sizeof raw);
  CheckSizes(expected, raw);
  return 0;
}
