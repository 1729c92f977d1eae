#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/NumberFormat.h"
#include "core/Text.h"
#include "core/TrayFigures.h"

namespace dorvane {
namespace {

std::optional<DriveReading> Read(std::int64_t freeBytes, std::int64_t totalBytes, std::uint64_t round = 1) {
  return DriveReading{DriveSpace{freeBytes, totalBytes}, round, {}};
}

// A row with its figures: a checked row, or one without figures.
DriveEntry Row(const std::string& root, std::int64_t freeBytes, bool active) {
  DriveEntry row;
  row.root = root;
  if (active) row.reading = Read(freeBytes, freeBytes * 2);
  row.active = active;
  return row;
}

class TrayFiguresTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCurrentSeparators({".", ","}); }
};

TEST_F(TrayFiguresTest, SingleLineTooltipExample) {
  const TrayFigures f =
      ComputeTrayFigures({}, "c:\\ SYSTEM", Read(2'000'000'000, 20'000'000'000));
  EXPECT_EQ(f.tooltip, "c:\\ SYSTEM 1.86 Gb (10%) free\n\r");
  EXPECT_EQ(f.freePct, 10);
  EXPECT_EQ(f.usedPct, 90);
  EXPECT_EQ(f.iconIndex, 15);
}

TEST_F(TrayFiguresTest, PercentageOnWholeHundredsOfBytes) {
  // Exactly a tenth, yet 9 %: the hundreds of bytes are truncated first.
  const TrayFigures f = ComputeTrayFigures({}, "x", Read(2'147'483'648, 21'474'836'480));
  EXPECT_EQ(f.freePct, 9);
  EXPECT_EQ(f.usedPct, 91);
}

TEST_F(TrayFiguresTest, DrivesBeyondTheThirtyTwoBitHundreds) {
  // 4 TB with 10 % free shows 10 % free.
  TrayFigures f = ComputeTrayFigures({}, "e:\\ BIG", Read(400'000'000'000, 4'000'000'000'000));
  EXPECT_EQ(f.freePct, 10);
  EXPECT_EQ(f.iconIndex, 15);
  // 16 TB, 4.9 % free.
  f = ComputeTrayFigures({}, "e:\\ BIG", Read(784'000'000'000, 16'000'000'000'000));
  EXPECT_EQ(f.freePct, 4);
  EXPECT_EQ(f.iconIndex, 16);
}

TEST_F(TrayFiguresTest, IconIndexIsUsedShareBySix) {
  struct Case { std::int64_t freeBytes; int icon; } cases[] = {
      {100'000, 0},  // 100 % free
      {95'000, 0},   // 5 % used
      {94'000, 1},   // 6 % used
      {5'000, 15},   // 95 % used
      {4'000, 16},   // 96 % used
      {0, 16},       // full
  };
  for (const auto& c : cases)
    EXPECT_EQ(ComputeTrayFigures({}, "x", Read(c.freeBytes, 100'000)).iconIndex, c.icon)
        << c.freeBytes;
}

TEST_F(TrayFiguresTest, DriveLinesOfCheckedRowsInRowOrder) {
  const std::vector<DriveEntry> rows{Row("a:\\", 0, false), Row("c:\\", 13'249'974'108, true),
                                     Row("d:\\", 1536, true)};
  EXPECT_EQ(DriveLines(rows), "c:\\ 12.34 Gb free\n\rd:\\ 1.50 Kb free\n\r");
  const TrayFigures f = ComputeTrayFigures(rows, "c:\\ SYSTEM", Read(13'249'974'108, 88'000'000'000));
  EXPECT_EQ(f.tooltip,
            "c:\\ 12.34 Gb free\n\rd:\\ 1.50 Kb free\n\rc:\\ SYSTEM 12.34 Gb (15%) free\n\r");
}

TEST_F(TrayFiguresTest, UnreadableTrayDriveShowsPictureZero) {
  const TrayFigures f = ComputeTrayFigures({}, "a:\\ no name", Read(-1, -1));
  EXPECT_FALSE(f.readable);
  EXPECT_EQ(f.iconIndex, 0);
  EXPECT_EQ(f.tooltip, "a:\\ no name -1 bytes (0%) free\n\r");
}

TEST_F(TrayFiguresTest, HintCutTo255Characters) {
  std::vector<DriveEntry> rows;
  for (int i = 0; i < 20; ++i) rows.push_back(Row("c:\\", 1536, true));  // 19 chars each
  const TrayFigures f = ComputeTrayFigures(rows, "c:\\ SYSTEM", Read(1536, 100'000));
  ASSERT_GE(f.tooltip.size(), 300u);
  EXPECT_EQ(TrayHint(f.tooltip), f.tooltip.substr(0, 255));
  // The balloon receives the warning line and the whole tooltip.
  EXPECT_EQ(LowSpaceBalloonText(f.tooltip), "Low disk space warning!\n\r" + f.tooltip);
  // Characters, not bytes: 300 two-byte characters keep 255 characters.
  std::string wide;
  for (int i = 0; i < 300; ++i) wide += "é";
  EXPECT_EQ(Utf8Length(TrayHint(wide)), 255u);
  EXPECT_EQ(TrayHint("short"), "short");
}

// The estimates go where the tray's 127 characters leave room: the tray drive's own line
// first, then the lines from the top; one that does not fit is skipped, a shorter one
// after it may still go in.
TEST(TooltipWithEstimatesTest, EstimatesGoWhereTheTraysCharactersLeaveRoom) {
  const std::string c = "c:\\ 1.00 Gb free\n\r";           // 18 characters
  const std::string tray = "c:\\ SYSTEM 1.00 Gb (9%) free\n\r";  // 30 characters
  const std::string soon = "full in ~8 h";                     // 12, and 2 for ", "
  struct Case {
    const char* what;
    std::string tooltip;
    std::vector<std::string> estimates;
    std::size_t limit;
    std::string expected;
  } cases[] = {
      {"no estimate: as it was", c + tray, {"", ""}, 127, c + tray},
      {"none given: as it was", c + tray, {}, 127, c + tray},
      {"both fit", c + tray, {soon, "stable"}, 127,
       "c:\\ 1.00 Gb free, full in ~8 h\n\rc:\\ SYSTEM 1.00 Gb (9%) free, stable\n\r"},
      {"exactly at the limit", c, {soon}, 32, "c:\\ 1.00 Gb free, full in ~8 h\n\r"},
      {"one beyond the limit", c, {soon}, 31, c},
      // 48 + 14 = 62 fits, 62 + 14 = 76 does not: the tray line wins.
      {"room for one: the tray drive's", c + tray, {soon, soon}, 70,
       c + "c:\\ SYSTEM 1.00 Gb (9%) free, full in ~8 h\n\r"},
      {"a shorter one after a long one that does not fit", c + c + tray, {"full in ~12 days", "stable", ""}, 76,
       c + "c:\\ 1.00 Gb free, stable\n\r" + tray},
      {"fewer estimates than lines: the first lines", c + c + tray, {"stable"}, 127,
       "c:\\ 1.00 Gb free, stable\n\r" + c + tray},
      {"already beyond the limit", c + c + c + c + c + c + c, {"stable"}, 127, c + c + c + c + c + c + c},
      {"no line end: nothing to put it before", "c:\\", {"stable"}, 127, "c:\\"},
  };
  for (const Case& k : cases) EXPECT_EQ(TooltipWithEstimates(k.tooltip, k.estimates, k.limit), k.expected) << k.what;
  // Counted in characters: a label of two-byte characters takes one place each.
  const std::string label = "c:\\ \xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9 1 Gb (9%) free\n\r";  // 25 characters
  EXPECT_EQ(TooltipWithEstimates(label, {"stable"}, 33), "c:\\ \xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9 1 Gb (9%) free, stable\n\r");
  EXPECT_EQ(TooltipWithEstimates(label, {"stable"}, 32), label);
}

TEST(LowSpaceArmingTest, FiresBelowThresholdOncePerArming) {
  LowSpaceArming arming;
  // 4.9 % free at threshold 5: freePct 4, usedPct 96.
  const TrayFigures low = ComputeTrayFigures({}, "x", Read(4'900, 100'000));
  ASSERT_EQ(low.freePct, 4);
  ASSERT_EQ(low.iconIndex, 16);
  EXPECT_TRUE(arming.Test(true, 5, low));
  EXPECT_TRUE(arming.WarningDone());
  EXPECT_FALSE(arming.Test(true, 5, low));  // tested: nothing until re-armed
  arming.Rearm();
  EXPECT_TRUE(arming.Test(true, 5, low));
}

TEST(LowSpaceArmingTest, ExactlyAtThresholdDoesNotFireButUsesTheArming) {
  LowSpaceArming arming;
  const TrayFigures at = ComputeTrayFigures({}, "x", Read(5'000, 100'000));
  ASSERT_EQ(at.freePct, 5);
  EXPECT_FALSE(arming.Test(true, 5, at));
  EXPECT_TRUE(arming.WarningDone());
  // The drive fills up later: still nothing until a re-arm event.
  const TrayFigures low = ComputeTrayFigures({}, "x", Read(1'000, 100'000));
  EXPECT_FALSE(arming.Test(true, 5, low));
}

TEST(LowSpaceArmingTest, DisabledWarningMakesNoTest) {
  LowSpaceArming arming;
  const TrayFigures low = ComputeTrayFigures({}, "x", Read(100, 100'000));
  EXPECT_FALSE(arming.Test(false, 5, low));
  EXPECT_FALSE(arming.WarningDone());
  EXPECT_TRUE(arming.Test(true, 75, low));
}

TEST(LowSpaceArmingTest, UnreadableDriveIsNotTestedAndKeepsTheArming) {
  LowSpaceArming arming;
  const TrayFigures failed = ComputeTrayFigures({}, "x", Read(-1, -1));
  EXPECT_FALSE(arming.WillTest(true, failed));
  EXPECT_FALSE(arming.Test(true, 75, failed));
  EXPECT_FALSE(arming.WarningDone());
  const TrayFigures low = ComputeTrayFigures({}, "x", Read(100, 100'000));
  EXPECT_TRUE(arming.Test(true, 5, low));
}

// Armed for the rounds to come, the test waits for a reading asked for in one of them: an
// answer the drive gave before the arming is shown, not tested.
TEST(LowSpaceArmingTest, AReadingFromBeforeTheArmingIsNotTested) {
  LowSpaceArming arming;
  arming.Rearm(5);
  const TrayFigures before = ComputeTrayFigures({}, "x", Read(100, 100'000, 4));
  EXPECT_TRUE(before.readable);
  EXPECT_FALSE(arming.WillTest(true, before));
  EXPECT_FALSE(arming.Test(true, 5, before));
  EXPECT_FALSE(arming.WarningDone());
  EXPECT_TRUE(arming.Test(true, 5, ComputeTrayFigures({}, "x", Read(100, 100'000, 5))));
  EXPECT_TRUE(arming.WarningDone());
  arming.Rearm(9);
  EXPECT_TRUE(arming.Test(true, 5, ComputeTrayFigures({}, "x", Read(100, 100'000, 10))));
}

TEST(LowSpaceArmingTest, ThresholdBounds) {
  const TrayFigures seventyFour = ComputeTrayFigures({}, "x", Read(74'000, 100'000));
  const TrayFigures seventyFive = ComputeTrayFigures({}, "x", Read(75'000, 100'000));
  LowSpaceArming a, b;
  EXPECT_TRUE(a.Test(true, 75, seventyFour));
  EXPECT_FALSE(b.Test(true, 75, seventyFive));
  LowSpaceArming c;
  EXPECT_FALSE(c.Test(true, 1, ComputeTrayFigures({}, "x", Read(1'000, 100'000))));
  LowSpaceArming d;
  EXPECT_TRUE(d.Test(true, 1, ComputeTrayFigures({}, "x", Read(999, 100'000))));
}

}  // namespace
}  // namespace dorvane
