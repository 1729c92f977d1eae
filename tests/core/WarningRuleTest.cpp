#include <gtest/gtest.h>

#include <cstdint>

#include "core/TrayFigures.h"
#include "core/WarningRule.h"

namespace dorvane {
namespace {

constexpr std::int64_t kGb = std::int64_t{1} << 30;
const FullEstimate kNotYet{};
const FullEstimate kStable = FullEstimate::Stable();

TEST(WarningRule, WithTheNewSettingsOffItIsTheTrayUpdatesOwnRule) {
  // Every threshold the track bar allows against every free share, whatever the bytes
  // and the estimate say: the same answer as the tray update's arming test.
  const FullEstimate estimates[] = {kNotYet, kStable, FullEstimate::Filling(60)};
  for (int threshold = 1; threshold <= 75; ++threshold) {
    for (int freePct = 0; freePct <= 100; ++freePct) {
      TrayFigures figures;
      figures.readable = true;
      figures.freePct = freePct;
      figures.usedPct = 100 - freePct;
      LowSpaceArming arming;
      const bool today = arming.Test(true, threshold, figures);
      WarningSettings settings;
      settings.thresholdPct = threshold;
      for (const FullEstimate& e : estimates) {
        for (std::int64_t freeBytes : {std::int64_t{0}, 40 * kGb, std::int64_t{4'000'000'000'000}}) {
          const WarningRule rule = LowSpaceWarning(freePct, freeBytes, e, settings);
          ASSERT_EQ(rule != WarningRule::kNone, today) << threshold << " " << freePct;
          if (today) {
            ASSERT_EQ(rule, WarningRule::kLowShare);
          }
        }
      }
    }
  }
}

TEST(WarningRule, BigDiskRulesAndTheirBoundaries) {
  WarningSettings sizeOn;
  sizeOn.belowSizeOn = true;  // threshold 5 %, below 10 GB
  WarningSettings soonOn;
  soonOn.fullWithinOn = true;  // or full within 24 hours
  WarningSettings both = sizeOn;
  both.fullWithinOn = true;
  struct Case {
    int freePct;
    std::int64_t freeBytes;
    FullEstimate estimate;
    WarningSettings settings;
    WarningRule rule;
    const char* why;
  } cases[] = {
      {4, 10 * kGb - 1, kNotYet, sizeOn, WarningRule::kLowShareAndSize, "both below their limits"},
      {4, 10 * kGb, kNotYet, sizeOn, WarningRule::kNone, "exactly 10 GB is not below"},
      {5, 1 * kGb, kNotYet, sizeOn, WarningRule::kNone, "the share is not below: bytes alone do not warn"},
      {4, 800 * kGb, kNotYet, sizeOn, WarningRule::kNone, "4 % of a 20 TB drive is 800 GB: no warning"},
      {4, 800 * kGb, kNotYet, WarningSettings{}, WarningRule::kLowShare, "... which today's rule warns of"},
      {0, 0, kNotYet, sizeOn, WarningRule::kLowShareAndSize, "full"},
      {50, 500 * kGb, FullEstimate::Filling(24 * 3600), soonOn, WarningRule::kFullSoon, "full in exactly 24 h"},
      {50, 500 * kGb, FullEstimate::Filling(24 * 3600 + 1), soonOn, WarningRule::kNone, "a second later than 24 h"},
      {50, 500 * kGb, FullEstimate::Filling(0), soonOn, WarningRule::kFullSoon, "full now"},
      {50, 500 * kGb, kStable, soonOn, WarningRule::kNone, "stable"},
      {50, 500 * kGb, kNotYet, soonOn, WarningRule::kNone, "no estimate yet"},
      {50, 500 * kGb, FullEstimate::Filling(60), WarningSettings{}, WarningRule::kNone, "the early warning is off"},
      {4, 1 * kGb, FullEstimate::Filling(60), soonOn, WarningRule::kLowShare, "both hold: the share rule is named"},
      {4, 800 * kGb, FullEstimate::Filling(3600), both, WarningRule::kFullSoon, "big and low by share, but filling fast"},
      {4, 1 * kGb, FullEstimate::Filling(3600), both, WarningRule::kLowShareAndSize, "all three hold"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LowSpaceWarning(c.freePct, c.freeBytes, c.estimate, c.settings), c.rule) << c.why;
  }
  // 64-bit limits: "below 100000 GB" on a 20 TB drive.
  WarningSettings huge = sizeOn;
  huge.belowGb = 100000;
  EXPECT_EQ(LowSpaceWarning(4, std::int64_t{20'000'000'000'000}, kNotYet, huge), WarningRule::kLowShareAndSize);
}

TEST(WarningRule, TheBalloonLineSaysWhichRuleFired) {
  WarningSettings s;
  s.thresholdPct = 7;
  s.belowGb = 25;
  EXPECT_EQ(WarningLine(WarningRule::kLowShare, s, kNotYet), kLowSpaceLine);
  EXPECT_EQ(WarningLine(WarningRule::kLowShareAndSize, s, kNotYet), "Low disk space warning! (below 7% and 25 GB)");
  EXPECT_EQ(WarningLine(WarningRule::kFullSoon, s, FullEstimate::Filling(5 * 3600)),
            "Low disk space warning! (full in ~5 h)");
}

// With "or full within" on, a drive with no estimate yet is not tested (the arming waits
// for the estimate), unless the share rule fires already; with it off nothing waits.
TEST(WarningRule, OnlyTheEarlyWarningWaitsForAnEstimate) {
  WarningSettings soonOn;
  soonOn.fullWithinOn = true;
  WarningSettings bothOn = soonOn;
  bothOn.belowSizeOn = true;
  const struct {
    int freePct;
    std::int64_t freeBytes;
    FullEstimate estimate;
    WarningSettings settings;
    bool waits;
  } cases[] = {
      {50, 500 * kGb, kNotYet, soonOn, true},
      {50, 500 * kGb, kStable, soonOn, false},
      {50, 500 * kGb, FullEstimate::Filling(100 * 3600), soonOn, false},
      {4, 500 * kGb, kNotYet, soonOn, false},   // low by share: it fires now
      {4, 500 * kGb, kNotYet, bothOn, true},    // low by share but not by size: the estimate may still fire
      {4, 1 * kGb, kNotYet, bothOn, false},
      {50, 500 * kGb, kNotYet, WarningSettings{}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WarningAwaitsEstimate(c.freePct, c.freeBytes, c.estimate, c.settings), c.waits)
        << c.freePct << "% " << c.freeBytes;
}

TEST(WarningRule, TheTrackBarsFiguresAndCaptions) {
  EXPECT_EQ(ChoiceAt(kBelowGbChoices, kBelowGbDefaultPosition), 10);
  EXPECT_EQ(ChoiceAt(kFullWithinHourChoices, kFullWithinDefaultPosition), 24);
  EXPECT_EQ(ChoiceAt(kBelowGbChoices, 0), 1);
  EXPECT_EQ(ChoiceAt(kBelowGbChoices, 9), 1000);
  EXPECT_EQ(ChoiceAt(kBelowGbChoices, 10), 1000);  // a stored position beyond the end
  EXPECT_EQ(ChoiceAt(kFullWithinHourChoices, -1), 1);
  EXPECT_EQ(ChoiceAt(kFullWithinHourChoices, 8), 168);
  EXPECT_EQ(BelowSizeCaption(10), "and below 10 GB");
  EXPECT_EQ(FullWithinCaption(168), "or full within 168 h");
  // The defaults of the settings are the figures at the default positions.
  EXPECT_EQ(WarningSettings{}.belowGb, 10);
  EXPECT_EQ(WarningSettings{}.fullWithinHours, 24);
}

}  // namespace
}  // namespace dorvane
