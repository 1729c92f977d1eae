#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/FreeSpaceHistory.h"
#include "core/TimeToFull.h"

namespace dorvane {
namespace {

constexpr HistorySeconds kT0 = 1'700'000'400;  // on a ten-minute boundary
constexpr std::int64_t kTotal = 500'000'000'000;

using FreeAt = std::function<std::int64_t(HistorySeconds)>;

// One reading a second (or every `step` seconds) from kT0 + from to kT0 + to.
void Feed(FreeSpaceSeries& s, HistorySeconds from, HistorySeconds to, const FreeAt& free, HistorySeconds step = 1,
          std::int64_t total = kTotal) {
  for (HistorySeconds k = from; k <= to; k += step) s.Record(kT0 + k, free(k), total);
}

FreeAt Falling(std::int64_t start, std::int64_t perSecond) {
  return [=](HistorySeconds k) { return start - perSecond * k; };
}

// A fixed pseudo-random sequence (the same on every machine), in [-amplitude, amplitude].
class Noise {
 public:
  explicit Noise(std::int64_t amplitude, std::uint64_t seed = 1) : state_(seed * 0x9E3779B97F4A7C15ull), amplitude_(amplitude) {}
  std::int64_t operator()() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    const auto unit = static_cast<double>(state_ >> 11) / 9007199254740992.0;  // [0, 1)
    return static_cast<std::int64_t>((unit * 2 - 1) * static_cast<double>(amplitude_));
  }

 private:
  std::uint64_t state_;
  std::int64_t amplitude_;
};

FullEstimate EstimateNow(const FreeSpaceSeries& s, HistorySeconds lateBy = 0) {
  TimeToFullEstimator estimator;
  return estimator.Estimate(s, s.NewestTime() + lateBy);
}

// In every case below the slot of a minute holds the reading of its 59th second, so an
// hour of readings ends with the one taken at second 3599; the series' line is exact and
// the time left is (free at the last reading) / (bytes a second).
TEST(TimeToFull, SteadyDrainsGiveTheTimeLeftAtTheirRate) {
  struct Case {
    std::int64_t start, perSecond, total;
    HistorySeconds seconds;  // worked out by hand
    const char* text;
  } cases[] = {
      // 6e9 - 3599e6 = 2.401e9 bytes left at 1e6 a second.
      {6'000'000'000, 1'000'000, kTotal, 2401, "full in ~40 min"},
      // A 20 TB drive: 1.8e12 - 3599 * 1e8 = 1.4401e12 left at 1e8 a second.
      {1'800'000'000'000, 100'000'000, 20'000'000'000'000, 14401, "full in ~4 h"},
      // 105,119,600,000 - 3599 * 400,000 = 103,680,000,000 left: 259,200 s, three days.
      {105'119'600'000, 400'000, kTotal, 259200, "full in ~3 days"},
      // 250e9 - 3599e4 left at 1e4 a second: 24,996,401 s, 289.3 days, under a year.
      {250'000'000'000, 10'000, kTotal, 24'996'401, "full in ~289 days"},
  };
  for (const Case& c : cases) {
    FreeSpaceSeries s("c:\\", 1);
    Feed(s, 0, 3599, Falling(c.start, c.perSecond), 1, c.total);
    const FullEstimate e = EstimateNow(s);
    ASSERT_EQ(e.kind, FullEstimate::Kind::kFilling) << c.text;
    EXPECT_NEAR(static_cast<double>(e.seconds), static_cast<double>(c.seconds), 2) << c.text;
    EXPECT_EQ(FullEstimateText(e), c.text);
  }
}

TEST(TimeToFull, RisingFlatAndVerySlowDrivesAreStable) {
  struct Case {
    FreeAt free;
    const char* why;
  } cases[] = {
      {[](HistorySeconds k) { return 1'000'000'000 + 1000 * k; }, "rising"},
      {[](HistorySeconds) { return 1'000'000'000; }, "flat"},
      {[](HistorySeconds) { return 0; }, "full and staying full (a CD, say)"},
      // 500e9 at 1e4 a second lasts 578 days: more than a year.
      {Falling(500'000'000'000, 10'000), "falling too slowly to matter within a year"},
  };
  for (const Case& c : cases) {
    FreeSpaceSeries s("c:\\", 1);
    Feed(s, 0, 3599, c.free);
    EXPECT_EQ(EstimateNow(s), FullEstimate::Stable()) << c.why;
    EXPECT_EQ(FullEstimateText(EstimateNow(s)), "stable") << c.why;
  }
}

TEST(TimeToFull, NoEstimateUntilThereIsEnoughHistory) {
  struct Case {
    HistorySeconds last, step;
    bool enough;
    const char* why;
  } cases[] = {
      {899, 1, false, "15 minute points spanning 14 minutes"},
      {959, 1, true, "16 minute points spanning 15 minutes"},
      {2400, 300, false, "9 points five minutes apart (and 5 ten-minute points)"},
      {2700, 300, true, "10 points five minutes apart"},
      {0, 1, false, "a single reading"},
  };
  for (const Case& c : cases) {
    FreeSpaceSeries s("c:\\", 1);
    Feed(s, 0, c.last, Falling(6'000'000'000, 1'000'000), c.step);
    EXPECT_EQ(EstimateNow(s).kind != FullEstimate::Kind::kNotYet, c.enough) << c.why;
  }
  EXPECT_EQ(FullEstimateText(FullEstimate{}), "");
  TimeToFullEstimator estimator;
  EXPECT_EQ(estimator.Estimate(FreeSpaceSeries("c:\\", 1), kT0), FullEstimate{});
}

TEST(TimeToFull, NoiseNeitherInventsATrendNorHidesOne) {
  for (std::uint64_t seed = 1; seed <= 8; ++seed) {
    // A nearly full drive whose free space jitters by 100 MB either way, without a
    // trend, for three hours or for twenty minutes: stable, not "full in a few days"
    // (a line through noise falls for about half the seeds).
    for (HistorySeconds seconds : {3 * 3600, 20 * 60}) {
      Noise noise(100'000'000, seed);
      FreeSpaceSeries s("c:\\", 1);
      Feed(s, 0, seconds - 1, [&](HistorySeconds) { return 200'000'000 + noise(); });
      EXPECT_EQ(EstimateNow(s), FullEstimate::Stable()) << seed << " " << seconds;
    }
  }
  {
    // 100 MB in three hours under that jitter is still a trend: 300e6 - 100e6 * 10799 /
    // 10800 = 200.009e6 left at 100e6 / 10800 a second is 21,601 seconds, give or take
    // what the noise does to the line (about a fifth).
    Noise noise(100'000'000);
    FreeSpaceSeries s("c:\\", 1);
    Feed(s, 0, 3 * 3600 - 1, [&](HistorySeconds k) { return 300'000'000 - 100'000'000 * k / 10800 + noise(); });
    const FullEstimate e = EstimateNow(s);
    ASSERT_EQ(e.kind, FullEstimate::Kind::kFilling);
    EXPECT_NEAR(static_cast<double>(e.seconds), 21601, 21601 * 0.5) << e.seconds;
  }
  {
    // Falling by 1e6 a second from 20e9, with 50 MB of jitter: the last reading, at
    // second 10,799, leaves 20e9 - 10.799e9 = 9.201e9 bytes, 9201 seconds.
    Noise noise(50'000'000);
    FreeSpaceSeries s("c:\\", 1);
    Feed(s, 0, 3 * 3600 - 1, [&](HistorySeconds k) { return 20'000'000'000 - 1'000'000 * k + noise(); });
    const FullEstimate e = EstimateNow(s);
    ASSERT_EQ(e.kind, FullEstimate::Kind::kFilling);
    EXPECT_NEAR(static_cast<double>(e.seconds), 9201, 9201 * 0.02);
    EXPECT_EQ(FullEstimateText(e), "full in ~3 h");
  }
}

TEST(TimeToFull, ADeleteRestartsTheTrendAndASingleWildReadingDoesNot) {
  // An hour falling by 1e6 a second from 6e9, then 20e9 freed at once at second 3600,
  // then half an hour more at the same rate: the last reading (second 5399) leaves
  // 6e9 + 20e9 - 5.399e9 = 20.601e9 bytes, 20,601 seconds, 5.7 hours.
  const auto freed = [](HistorySeconds k) { return 6'000'000'000 - 1'000'000 * k + (k >= 3600 ? 20'000'000'000 : 0); };
  FreeSpaceSeries s("c:\\", 1);
  Feed(s, 0, 5399, freed);
  FullEstimate e = EstimateNow(s);
  ASSERT_EQ(e.kind, FullEstimate::Kind::kFilling);
  EXPECT_NEAR(static_cast<double>(e.seconds), 20601, 2);
  EXPECT_EQ(FullEstimateText(e), "full in ~6 h");

  // Five minutes after the delete the new trend is too short, and the ten-minute points
  // restart at the same rise: nothing is shown rather than the old trend.
  FreeSpaceSeries early("c:\\", 1);
  Feed(early, 0, 3899, freed);
  EXPECT_EQ(EstimateNow(early), FullEstimate{});

  // One reading that leaps by 20 GB and comes back (minute 52's last) is an outlier, not a
  // delete eight minutes ago: the hour's estimate stays 2401 seconds.
  FreeSpaceSeries spike("c:\\", 1);
  Feed(spike, 0, 3599, [](HistorySeconds k) { return 6'000'000'000 - 1'000'000 * k + (k == 52 * 60 + 59 ? 20'000'000'000 : 0); });
  e = EstimateNow(spike);
  ASSERT_EQ(e.kind, FullEstimate::Kind::kFilling);
  EXPECT_NEAR(static_cast<double>(e.seconds), 2401, 2);
}

TEST(TimeToFull, GapsAreMissingPointsNotALineAcrossThem) {
  // Falling by 1e6 a second while on, the machine off for a while (nothing changes), then
  // on again; the time left is the free space at the last reading over the rate.
  struct Case {
    std::int64_t start;
    HistorySeconds on, off, back;  // seconds on, then off, then on again
    std::int64_t seconds;
    const char* text;
  } cases[] = {
      // An hour, five hours off, twenty minutes: the last reading comes after 4799 s of
      // falling, 6e9 - 4.799e9 = 1.201e9 left.
      {6'000'000'000, 3600, 5 * 3600, 1200, 1201, "full in ~20 min"},
      // Three hours, four hours off, five minutes: too few minute points, so the day's
      // ten-minute points give the rate, and the level is the last reading's (after
      // 11,099 s of falling): 30e9 - 11.099e9 = 18.901e9 left, 5.25 hours.
      {30'000'000'000, 3 * 3600, 4 * 3600, 300, 18901, "full in ~5 h"},
  };
  for (const Case& c : cases) {
    const auto free = [&](HistorySeconds k) { return c.start - 1'000'000 * (k < c.on ? k : k - c.off); };
    FreeSpaceSeries s("c:\\", 1);
    Feed(s, 0, c.on - 1, free);
    Feed(s, c.on + c.off, c.on + c.off + c.back - 1, free);
    const FullEstimate e = EstimateNow(s);
    ASSERT_EQ(e.kind, FullEstimate::Kind::kFilling) << c.text;
    EXPECT_NEAR(static_cast<double>(e.seconds), static_cast<double>(c.seconds), 2) << c.text;
    EXPECT_EQ(FullEstimateText(e), c.text);
  }
  {
    // Asked later than the last reading: the time since counts; after ten minutes
    // without readings there is no estimate.
    FreeSpaceSeries s("c:\\", 1);
    Feed(s, 0, 3599, Falling(6'000'000'000, 1'000'000));
    EXPECT_NEAR(static_cast<double>(EstimateNow(s, 300).seconds), 2401 - 300, 2);
    EXPECT_EQ(EstimateNow(s, 600).kind, FullEstimate::Kind::kFilling);
    EXPECT_EQ(EstimateNow(s, 601), FullEstimate{});
  }
  {
    // 3.7e9 - 3.599e9 = 101e6 left at 1e6 a second: asked five minutes later, it is
    // full by now (zero, not a negative time).
    FreeSpaceSeries s("c:\\", 1);
    Feed(s, 0, 3599, Falling(3'700'000'000, 1'000'000));
    EXPECT_NEAR(static_cast<double>(EstimateNow(s).seconds), 101, 2);
    EXPECT_EQ(EstimateNow(s, 300), FullEstimate::Filling(0));
    EXPECT_EQ(FullEstimateText(EstimateNow(s, 300)), "full in <1 min");
  }
}

TEST(TimeToFull, ANewDiskOnTheLetterStartsAfresh) {
  FreeSpaceHistory h;
  for (HistorySeconds k = 0; k < 3600; ++k) h.Record("e:\\", 0x1111, kT0 + k, 6'000'000'000 - 1'000'000 * k, kTotal);
  EXPECT_EQ(h.Estimate("e:\\", kT0 + 3599).kind, FullEstimate::Kind::kFilling);
  // Another disk, nearly empty and not changing: nothing to say yet, then stable.
  for (HistorySeconds k = 3600; k < 3600 + 600; ++k) h.Record("e:\\", 0x2222, kT0 + k, 400'000'000'000, kTotal);
  EXPECT_EQ(h.Estimate("e:\\", kT0 + 4199), FullEstimate{});
  for (HistorySeconds k = 4200; k < 3600 + 960; ++k) h.Record("e:\\", 0x2222, kT0 + k, 400'000'000'000, kTotal);
  EXPECT_EQ(h.Estimate("e:\\", kT0 + 4559), FullEstimate::Stable());
}

TEST(TimeToFull, TextsRoundToMinutesHoursAndDays) {
  struct Case {
    std::int64_t seconds;
    const char* text;
  } cases[] = {
      {0, "full in <1 min"},          {29, "full in <1 min"},
      {30, "full in ~1 min"},         {2400, "full in ~40 min"},
      {3569, "full in ~59 min"},      {3570, "full in ~1 h"},
      {5399, "full in ~1 h"},         {5400, "full in ~2 h"},
      {18000, "full in ~5 h"},        {170999, "full in ~47 h"},
      {171000, "full in ~2 days"},    {259200, "full in ~3 days"},
      {302399, "full in ~3 days"},    {302400, "full in ~4 days"},
      {31'536'000, "full in ~365 days"}, {-5, "full in <1 min"},
  };
  for (const Case& c : cases) EXPECT_EQ(FullEstimateText(FullEstimate::Filling(c.seconds)), c.text) << c.seconds;
  EXPECT_EQ(FullEstimateText(FullEstimate::Stable()), "stable");
}

}  // namespace
}  // namespace dorvane
