#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/Exceptions.h"
#include "core/NumberFormat.h"

namespace dorvane {
namespace {

const NumberSeparators kPoint{".", ","};
const NumberSeparators kComma{",", "."};

// Worked examples: units chosen by strict thresholds, hundredths rounded half away from
// zero, no thousands separators whatever the locale.
TEST(FormatSize, WorkedExamples) {
  const struct {
    std::int64_t bytes;
    const NumberSeparators& separators;
    const char* text;
  } cases[] = {
      {0, kPoint, "0 bytes"},
      {1024, kPoint, "1024 bytes"},
      {1025, kPoint, "1.00 Kb"},
      {1536, kPoint, "1.50 Kb"},
      {1048575, kPoint, "1024.00 Kb"},  // not yet Mb
      {1048576, kPoint, "1.00 Mb"},
      {5000000, kPoint, "4.77 Mb"},
      {18281920, kPoint, "17.44 Mb"},
      {1073741824, kPoint, "1024.00 Mb"},  // exactly 2^30: still Mb
      {1073741825, kPoint, "1.00 Gb"},
      {1610612736, kPoint, "1.50 Gb"},
      {80026361856, kPoint, "74.53 Gb"},
      {-1, kPoint, "-1 bytes"},
      {1536, kComma, "1,50 Kb"},
      {80026361856, kComma, "74,53 Gb"},
      {18281920, kComma, "17,44 Mb"},
      {1073741824, kComma, "1024,00 Mb"},
      {1024, kComma, "1024 bytes"},
      // 1034.24 bytes per hundredth: 1,029 / 1,024 = 1.0048828 -> 1.00; 1,030 -> 1.0058 -> 1.01.
      {1029, kPoint, "1.00 Kb"},
      {1030, kPoint, "1.01 Kb"},
      {1152, kPoint, "1.13 Kb"},  // 1.125 exactly
      {1040, kPoint, "1.02 Kb"},  // 1.015625
      {1207959552, kPoint, "1.13 Gb"},  // 1.125 exactly
      {2047, kPoint, "2.00 Kb"},  // rounding up carries into the whole number
      {std::numeric_limits<std::int64_t>::max(), kPoint, "8589934592.00 Gb"},
      {-5000000000, kPoint, "-5000000000 bytes"},
      {std::numeric_limits<std::int64_t>::min(), kPoint, "-9223372036854775808 bytes"},
      {4'398'046'511'104, kPoint, "4096.00 Gb"},  // a 4 TB drive
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSize(c.bytes, c.separators), c.text) << c.bytes;
}

TEST(FormatSize, UsesTheSeparatorsInForce) {
  SetCurrentSeparators(kComma);
  EXPECT_EQ(FormatSize(1536), "1,50 Kb");
  SetCurrentSeparators(kPoint);
  EXPECT_EQ(FormatSize(1536), "1.50 Kb");
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

// Rounded half away from zero to whole kilobytes, thousands grouped; nothing to group
// leaves no digits at all.
TEST(FormatKilobytes, GroupsThousands) {
  const struct {
    std::uint64_t bytes;
    NumberSeparators separators;
    const char* text;
  } cases[] = {
      {536'281'088, kPoint, "523,712 KB"},
      {2'147'483'647, kPoint, "2,097,152 KB"},
      {4'294'967'295, kPoint, "4,194,304 KB"},
      {536'281'088, kComma, "523.712 KB"},
      {68'719'476'736, kPoint, "67,108,864 KB"},           // a 64 GB machine
      {536'281'088, {",", "\u202F"}, "523\u202F712 KB"},  // a narrow no-break space
      {0, kPoint, " KB"},
      {511, kPoint, " KB"},
      {512, kPoint, "1 KB"},
      {1535, kPoint, "1 KB"},
      {1536, kPoint, "2 KB"},
      {1'023'999'999, kPoint, "1,000,000 KB"},
      {999 * 1024, kPoint, "999 KB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatKilobytes(c.bytes, c.separators), c.text) << c.bytes;
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
