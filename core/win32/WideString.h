#pragma once
// UTF-8 <-> UTF-16 at the boundary to the wide-character system calls.
#include <string>
#include <string_view>

#include "core/Text.h"

namespace dorvane {

inline std::wstring Widen(std::string_view text) {
  const std::u16string u16 = Utf8ToUtf16(text);
  return std::wstring(u16.begin(), u16.end());
}

inline std::string Narrow(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// Copies text into a fixed wide-character buffer of `units` elements (terminator
// included) without splitting a surrogate pair; returns the count copied.
inline std::size_t CopyToBuffer(std::string_view text, wchar_t* buffer, std::size_t units) {
  if (units == 0) return 0;
  const std::u16string u16 = Utf8ToUtf16(text);
  const std::u16string_view fit = Utf16Prefix(u16, units - 1);
  for (std::size_t i = 0; i < fit.size(); ++i) buffer[i] = static_cast<wchar_t>(fit[i]);
  buffer[fit.size()] = 0;
  return fit.size();
}

}  // namespace dorvane
