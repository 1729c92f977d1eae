#pragma once
// UTF-8 text helpers. The program keeps text as UTF-8 std::string; limits such as the
// tooltip's 127 characters are counted in characters (code points), not bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace dorvane {

// Number of code points in a UTF-8 text (a malformed byte counts as one character).
std::size_t Utf8Length(std::string_view text);

// The first maxChars characters of a UTF-8 text, never cutting a character in two.
std::string Utf8Prefix(std::string_view text, std::size_t maxChars);

// The longest prefix of a UTF-8 text that takes at most maxUnits UTF-16 code units, never
// cutting a character in two: the shell's text limits (the tooltip's 127) count these.
std::string Utf8PrefixInUtf16Units(std::string_view text, std::size_t maxUnits);

// UTF-8 <-> UTF-16. Malformed input becomes U+FFFD; nothing throws.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// The longest prefix of a UTF-16 text of at most maxUnits code units that does not end
// in the first half of a surrogate pair (fixed-size Win32 buffers hold UTF-16 units).
std::u16string_view Utf16Prefix(std::u16string_view text, std::size_t maxUnits);

// ASCII case-insensitive comparison, as registry value names and enumeration
// identifiers are compared.
bool SameText(std::string_view a, std::string_view b);

// Removes leading and trailing characters up to and including the blank (control
// characters and spaces), as stored values are trimmed.
std::string Trim(std::string_view text);

}  // namespace dorvane
