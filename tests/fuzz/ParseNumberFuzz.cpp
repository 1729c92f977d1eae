// Fuzz target: ParseNumber either raises the conversion error or returns exactly the
// value that the kept characters spell, and never anything else.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/Exceptions.h"
#include "core/NumberFormat.h"

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
  // Size texts never fail and always end in a unit.
  const std::string sizeText = dorvane::FormatSize(expected);
  if (sizeText.size() < 3) std::abort();
  return 0;
}
