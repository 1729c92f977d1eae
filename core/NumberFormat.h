#pragma once
// The system's three number presentations: size texts, byte-count texts read back from
// the drive list, and the kilobyte text of the memory readout.
#include <cstdint>
#include <string>
#include <string_view>

namespace dorvane {

// The user's separators from the regional settings (UTF-8; a separator may be more than
// one byte, for example a narrow no-break space).
struct NumberSeparators {
  std::string decimal = ".";
  std::string thousands = ",";
};

// The separators in force for this process; set once at start-up from the user's
// regional settings (core/win32 reads them), and by tests.
const NumberSeparators& CurrentSeparators();
void SetCurrentSeparators(NumberSeparators separators);

// Byte count -> "n bytes", "n.nn Kb", "n.nn Mb" or "n.nn Gb" (strict thresholds; the Mb
// rule divides by 1,048,575; two decimals rounded half away from zero).
std::string FormatSize(std::int64_t bytes, const NumberSeparators& separators);
std::string FormatSize(std::int64_t bytes);

// Text -> signed 64-bit integer. Blanks, "," and "$" are dropped wherever they stand; the
// rest must be an optional sign and decimal digits within range, otherwise EConvertError.
// An empty text is 0.
std::int64_t ParseNumber(std::string_view text);

// Kilobytes of a byte count, rounded half away from zero, grouped in threes, followed by
// " KB". A count that rounds to 0 kilobytes shows no digits at all.
std::string FormatKilobytes(std::uint64_t bytes, const NumberSeparators& separators);
std::string FormatKilobytes(std::uint64_t bytes);

// The shortest text that reads back as the same double, with "." as the decimal point
// whatever the locale: fixed or scientific notation, whichever is shorter (fixed on a
// tie), as printf writes them ("0.1", "1500", "1e+20", "-2.5e-07", "inf", "nan").
std::string ShortestFloatText(double value);
// Reads a whole text written that way (also any other decimal or scientific notation with
// "."; an optional "-" but no "+", no blanks, no hexadecimal). False when the text is not
// such a number or is too large for a double.
bool ParseFloatText(std::string_view text, double& value);

}  // namespace dorvane
