#include "core/Text.h"

namespace dorvane {
namespace {

// Decodes one code point at text[i]; returns the count of bytes used (at least 1).
// Sets cp to U+FFFD for malformed input.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len = 0;
  char32_t value = 0;
  char32_t minValue = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, value = b0 & 0x1F, minValue = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, value = b0 & 0x0F, minValue = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, value = b0 & 0x07, minValue = 0x10000;
  } else {
    cp = 0xFFFD;
    return 1;
  }
  if (i + len > text.size()) {
    cp = 0xFFFD;
    return 1;
  }
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      cp = 0xFFFD;
      return 1;
    }
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minValue || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    cp = 0xFFFD;
    return len;
  }
  cp = value;
  return len;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::size_t Utf8Length(std::string_view text) {
  std::size_t count = 0;
  char32_t cp = 0;
  for (std::size_t i = 0; i < text.size(); ++count) i += DecodeUtf8(text, i, cp);
  return count;
}

std::string Utf8Prefix(std::string_view text, std::size_t maxChars) {
  std::size_t i = 0;
  char32_t cp = 0;
  for (std::size_t n = 0; n < maxChars && i < text.size(); ++n) i += DecodeUtf8(text, i, cp);
  return std::string(text.substr(0, i));
}

std::string Utf8PrefixInUtf16Units(std::string_view text, std::size_t maxUnits) {
  std::size_t i = 0, units = 0;
  char32_t cp = 0;
  while (i < text.size()) {
    const std::size_t length = DecodeUtf8(text, i, cp);
    units += cp >= 0x10000 ? 2 : 1;
    if (units > maxUnits) break;
    i += length;
  }
  return std::string(text.substr(0, i));
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  char32_t cp = 0;
  for (std::size_t i = 0; i < text.size();) {
    i += DecodeUtf8(text, i, cp);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::u16string_view Utf16Prefix(std::u16string_view text, std::size_t maxUnits) {
  if (text.size() <= maxUnits) return text;
  std::size_t n = maxUnits;
  if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return text.substr(0, n);
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlankOrControl(text[b])) ++b;
  while (e > b && IsBlankOrControl(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

}  // namespace dorvane
