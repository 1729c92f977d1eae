#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/Exceptions.h"
#include "core/NumberFormat.h"

namespace dorvane {
namespace {

const NumberSeparators kPoint{".", ","};
const NumberSeparators kComma{",", "."};

struct SizeCase {
  std::int64_t bytes;
  const char* text;
};

// The worked examples, with a point as decimal separator.
TEST(FormatSize, WorkedExamples) {
  const SizeCase cases[] = {
      {0, "0 bytes"},
      {1024, "1024 bytes"},
      {1025, "1.00 Kb"},
      {1536, "1.50 Kb"},
      {1048575, "1024.00 Kb"},
      {1048576, "1.00 Mb"},
      {5000000, "4.77 Mb"},
      {18281920, "17.44 Mb"},
      {1073741824, "1024.00 Mb"},
      {1073741825, "1.00 Gb"},
      {1610612736, "1.50 Gb"},
      {80026361856, "74.53 Gb"},
      {-1, "-1 bytes"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSize(c.bytes, kPoint), c.text) << c.bytes;
}

TEST(FormatSize, CommaDecimalSeparator) {
  EXPECT_EQ(FormatSize(1536, kComma), "1,50 Kb");
  EXPECT_EQ(FormatSize(80026361856, kComma), "74,53 Gb");
  EXPECT_EQ(FormatSize(18281920, kComma), "17,44 Mb");
  // No thousands separators in size texts, whatever the locale.
  EXPECT_EQ(FormatSize(1073741824, kComma), "1024,00 Mb");
  EXPECT_EQ(FormatSize(1024, kComma), "1024 bytes");
}

TEST(FormatSize, UsesTheSeparatorsInForce) {
  SetCurrentSeparators(kComma);
  EXPECT_EQ(FormatSize(1536), "1,50 Kb");
  SetCurrentSeparators(kPoint);
  EXPECT_EQ(FormatSize(1536), "1.50 Kb");
}

TEST(FormatSize, RoundsHalfAwayFromZero) {
  // 1034.24 bytes per hundredth: 1,029 / 1,024 = 1.0048828 -> 1.00; 1,030 -> 1.0058 -> 1.01.
  EXPECT_EQ(FormatSize(1029, kPoint), "1.00 Kb");
  EXPECT_EQ(FormatSize(1030, kPoint), "1.01 Kb");
  // An exact tie: 1.005 Kb = 1029.12 bytes is no integer, but 1.125 Kb = 1152 is 1.125 -> 1.13.
  EXPECT_EQ(FormatSize(1152, kPoint), "1.13 Kb");
  // 1.015625 Kb (1040 bytes) -> 1.02; a tie at the Gb scale: 1.125 Gb -> 1.13.
  EXPECT_EQ(FormatSize(1040, kPoint), "1.02 Kb");
  EXPECT_EQ(FormatSize(1207959552, kPoint), "1.13 Gb");
  // Rounding up carries into the whole number: 2047.999 bytes of Kb -> 2.00.
  EXPECT_EQ(FormatSize(2047, kPoint), "2.00 Kb");
}

TEST(FormatSize, ThresholdsAreStrict) {
  EXPECT_EQ(FormatSize(1048575, kPoint), "1024.00 Kb");   // not yet Mb
  EXPECT_EQ(FormatSize(1048576, kPoint), "1.00 Mb");
  EXPECT_EQ(FormatSize(1073741824, kPoint), "1024.00 Mb"); // exactly 2^30: still Mb
}

TEST(FormatSize, ExtremesAndNegatives) {
  EXPECT_EQ(FormatSize(std::numeric_limits<std::int64_t>::max(), kPoint), "8589934592.00 Gb");
  EXPECT_EQ(FormatSize(-5000000000, kPoint), "-5000000000 bytes");
  EXPECT_EQ(FormatSize(std::numeric_limits<std::int64_t>::min(), kPoint),
            "-9223372036854775808 bytes");
  // A 4 TB drive.
  EXPECT_EQ(FormatSize(4'398'046'511'104, kPoint), "4096.00 Gb");
}

TEST(ParseNumber, DropsBlanksCommasAndDollars) {
  EXPECT_EQ(ParseNumber("1,234"), 1234);
  EXPECT_EQ(ParseNumber("$ 12"), 12);
  EXPECT_EQ(ParseNumber(""), 0);
  EXPECT_EQ(ParseNumber("-1"), -1);
  EXPECT_EQ(ParseNumber("80026361856"), 80026361856);
  EXPECT_EQ(ParseNumber(" 1 2 3 "), 123);
  EXPECT_EQ(ParseNumber("+7"), 7);
  EXPECT_EQ(ParseNumber("$10"), 10);  // "$" is dropped: never read as a hexadecimal prefix
}

TEST(ParseNumber, SignedSixtyFourBitRange) {
  EXPECT_EQ(ParseNumber("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ParseNumber("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_THROW(ParseNumber("9223372036854775808"), EConvertError);
  EXPECT_THROW(ParseNumber("-9223372036854775809"), EConvertError);
  EXPECT_THROW(ParseNumber("99999999999999999999999"), EConvertError);
}

TEST(ParseNumber, AnythingElseIsAConversionError) {
  for (const char* text : {"12a", "a", "-", "+", "1.5", "0x10", "1e3", "\t1", "--1", "1-", " ", "$", "١٢"}) {
    EXPECT_THROW(ParseNumber(text), EConvertError) << text;
  }
  try {
    ParseNumber("12a");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
  }
}

TEST(FormatKilobytes, GroupsThousands) {
  EXPECT_EQ(FormatKilobytes(536'281'088, kPoint), "523,712 KB");
  EXPECT_EQ(FormatKilobytes(2'147'483'647, kPoint), "2,097,152 KB");
  EXPECT_EQ(FormatKilobytes(4'294'967'295, kPoint), "4,194,304 KB");
  EXPECT_EQ(FormatKilobytes(536'281'088, kComma), "523.712 KB");
  // Beyond 32 bits: a 64 GB machine.
  EXPECT_EQ(FormatKilobytes(68'719'476'736, kPoint), "67,108,864 KB");
  // A separator of more than one byte (a narrow no-break space).
  EXPECT_EQ(FormatKilobytes(536'281'088, {",", "\u202F"}), "523\u202F712 KB");
}

TEST(FormatKilobytes, RoundingAndEmptyDigits) {
  EXPECT_EQ(FormatKilobytes(0, kPoint), " KB");
  EXPECT_EQ(FormatKilobytes(511, kPoint), " KB");   // rounds to 0: no digits at all
  EXPECT_EQ(FormatKilobytes(512, kPoint), "1 KB");  // half away from zero
  EXPECT_EQ(FormatKilobytes(1535, kPoint), "1 KB");
  EXPECT_EQ(FormatKilobytes(1536, kPoint), "2 KB");
  EXPECT_EQ(FormatKilobytes(1'023'999'999, kPoint), "1,000,000 KB");
  EXPECT_EQ(FormatKilobytes(999 * 1024, kPoint), "999 KB");
}

}  // namespace
// The shortest text that reads back exactly, fixed or scientific by length (fixed on a tie).
TEST(FloatText, ShortestRoundTripText) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.0, "0"},           {-0.0, "-0"},         {0.1, "0.1"},          {1500.0, "1500"},
      {100.0, "100"},       {1e14, "1e+14"},      {1e20, "1e+20"},       {123456.0, "123456"},
      {0.001, "0.001"},     {0.0001, "1e-04"},    {-2.5e-7, "-2.5e-07"}, {1.0 / 3.0, "0.3333333333333333"},
      {5e-324, "5e-324"},   {1.7976931348623157e308, "1.7976931348623157e+308"},
      {8.25, "8.25"},       {-12345.678, "-12345.678"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortestFloatText(c.value), c.text) << c.value;
    double back = -1;
    ASSERT_TRUE(ParseFloatText(c.text, back)) << c.text;
    EXPECT_EQ(back, c.value) << c.text;
  }
  EXPECT_EQ(ShortestFloatText(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(ShortestFloatText(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(ShortestFloatText(std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(FloatText, ParseRejectsWhatIsNotAPlainNumber) {
  double v = 7;
  for (const char* bad : {"", "+1", " 1", "1 ", "0x10", "1e400", "-1e400", "abc", "1.5.2", "1,5", "--1"})
    EXPECT_FALSE(ParseFloatText(bad, v)) << bad;
  EXPECT_EQ(v, 7);
  EXPECT_TRUE(ParseFloatText("2.5E3", v));
  EXPECT_EQ(v, 2500);
}

}  // namespace dorvane
