#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/FreeSpaceHistory.h"
#include "core/HistoryChart.h"
#include "core/HistoryClock.h"
#include "core/HistoryStorage.h"
#include "tests/core/AllocationCount.h"

namespace dorvane {
namespace {

// A time on a ten-minute boundary, so that minute k after it lies in block k / 10 after
// its block.
constexpr HistorySeconds kT0 = 1'700'000'400;
constexpr std::int64_t kMinute0 = kT0 / 60;
constexpr std::int64_t kBlock0 = kMinute0 / 10;
constexpr std::int64_t kTotal = 500'000'000'000;
constexpr std::int64_t k20TB = 20'000'000'000'000;

// A series that took a reading every `step` seconds from kT0 + from to kT0 + to.
template <class Free>
void Feed(FreeSpaceSeries& s, HistorySeconds from, HistorySeconds to, Free free, HistorySeconds step = 1,
          std::int64_t total = kTotal) {
  for (HistorySeconds k = from; k <= to; k += step) s.Record(kT0 + k, free(k), total);
}

TEST(FreeSpaceSeries, KeepsTheLastReadingOfEachMinuteAndOfEachTenMinutes) {
  FreeSpaceSeries s("c:\\", 7);
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.MinutePoint(kMinute0), FreeSpaceSeries::kNoPoint);
  Feed(s, 0, 1199, [](HistorySeconds k) { return 1'000'000 - k; });  // twenty minutes
  EXPECT_EQ(s.NewestTime(), kT0 + 1199);
  EXPECT_EQ(s.MinutePoint(kMinute0), 1'000'000 - 59);
  EXPECT_EQ(s.MinutePoint(kMinute0 + 7), 1'000'000 - 479);
  EXPECT_EQ(s.MinutePoint(kMinute0 + 19), 1'000'000 - 1199);
  EXPECT_EQ(s.MinutePoint(kMinute0 + 20), FreeSpaceSeries::kNoPoint);  // not yet
  EXPECT_EQ(s.MinutePoint(kMinute0 - 1), FreeSpaceSeries::kNoPoint);   // before the first
  EXPECT_EQ(s.BlockPoint(kBlock0), 1'000'000 - 599);
  EXPECT_EQ(s.BlockPoint(kBlock0 + 1), 1'000'000 - 1199);
  EXPECT_EQ(s.TotalBytes(), kTotal);
}

TEST(FreeSpaceSeries, MinutePointsCoverADayAndBlocksThirtyDays) {
  FreeSpaceSeries s("c:\\", 7);
  // Two days of one reading a minute, then 31 days of one reading every ten minutes.
  Feed(s, 0, 2 * 86400 - 60, [](HistorySeconds k) { return k / 60; }, 60);
  const std::int64_t newest = kMinute0 + 2 * 1440 - 1;
  EXPECT_EQ(s.MinutePoint(newest), 2 * 1440 - 1);
  EXPECT_EQ(s.MinutePoint(newest - 1439), 1440);
  EXPECT_EQ(s.MinutePoint(newest - 1440), FreeSpaceSeries::kNoPoint);  // older than a day
  EXPECT_EQ(s.BlockPoint(kBlock0), 9);
  Feed(s, 2 * 86400, 33 * 86400 - 600, [](HistorySeconds k) { return k / 60; }, 600);
  const std::int64_t newestBlock = kBlock0 + 33 * 144 - 1;
  EXPECT_EQ(s.NewestBlock(), newestBlock);
  EXPECT_EQ(s.BlockPoint(newestBlock - 4319), (newestBlock - 4319 - kBlock0) * 10);
  EXPECT_EQ(s.BlockPoint(newestBlock - 4320), FreeSpaceSeries::kNoPoint);  // older than 30 days
}

TEST(FreeSpaceSeries, AGapLeavesNoPointsAndAClockSetBackDropsWhatLiesAheadOfIt) {
  FreeSpaceSeries s("c:\\", 7);
  Feed(s, 0, 599, [](HistorySeconds) { return 500; });  // minutes 0 to 9
  s.Record(kT0 + 100 * 60, 400, kTotal);                  // the machine was off
  for (int m = 10; m < 100; ++m) EXPECT_EQ(s.MinutePoint(kMinute0 + m), FreeSpaceSeries::kNoPoint) << m;
  EXPECT_EQ(s.MinutePoint(kMinute0 + 9), 500);
  EXPECT_EQ(s.MinutePoint(kMinute0 + 100), 400);
  EXPECT_EQ(s.BlockPoint(kBlock0 + 5), FreeSpaceSeries::kNoPoint);
  EXPECT_EQ(s.BlockPoint(kBlock0 + 10), 400);

  // Set back to minute 5: minutes 6 on and blocks 1 on go; minute 5 and block 0 take
  // the new reading.
  s.Record(kT0 + 5 * 60 + 30, 450, kTotal);
  EXPECT_EQ(s.NewestTime(), kT0 + 5 * 60 + 30);
  EXPECT_EQ(s.MinutePoint(kMinute0 + 4), 500);
  EXPECT_EQ(s.MinutePoint(kMinute0 + 5), 450);
  EXPECT_EQ(s.MinutePoint(kMinute0 + 100), FreeSpaceSeries::kNoPoint);
  EXPECT_EQ(s.BlockPoint(kBlock0), 450);
  EXPECT_EQ(s.BlockPoint(kBlock0 + 10), FreeSpaceSeries::kNoPoint);
  // When the clock comes forward again, the dropped minutes do not come back.
  s.Record(kT0 + 100 * 60, 300, kTotal);
  EXPECT_EQ(s.MinutePoint(kMinute0 + 50), FreeSpaceSeries::kNoPoint);
  EXPECT_EQ(s.MinutePoint(kMinute0 + 100), 300);

  // Forward by more than 30 days, or back by more than 30 days: nothing old remains.
  for (HistorySeconds jump : {HistorySeconds{40} * 86400, HistorySeconds{-80} * 86400}) {
    const std::int64_t before = s.NewestMinute();
    s.Record(s.NewestTime() + jump, 100, kTotal);
    EXPECT_EQ(s.MinutePoint(before), FreeSpaceSeries::kNoPoint);
    int blocks = 0;
    for (std::int64_t b = s.NewestBlock() - 4319; b <= s.NewestBlock(); ++b) {
      blocks += s.BlockPoint(b) != FreeSpaceSeries::kNoPoint;
    }
    EXPECT_EQ(blocks, 1) << jump;
  }
}

TEST(FreeSpaceSeries, TakesOnlySensibleReadingsAndBigDrivesWhole) {
  FreeSpaceSeries s("e:\\", 1);
  struct Case {
    HistorySeconds time;
    std::int64_t free, total;
    bool taken;
    const char* why;
  } cases[] = {
      {kT0, -1, -1, false, "a drive that is not ready"},
      {kT0, 0, 0, false, "no total"},
      {kT0, 11, 10, false, "more free than total"},
      {HistorySeconds{1} << 50, 1, 10, false, "a time out of range"},
      {kT0, 0, 10, true, "full"},
      {kT0 + 60, 19'999'999'995'904, k20TB, true, "a 20 TB drive nearly empty"},
      {kT0 + 120, k20TB, k20TB, true, "nothing on it"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(s.Record(c.time, c.free, c.total), c.taken) << c.why;
    if (c.taken) {
      EXPECT_EQ(s.MinutePoint(FloorDiv(c.time, 60)), c.free) << c.why;
    }
  }
  EXPECT_EQ(s.NewestTime(), kT0 + 120);
  EXPECT_EQ(s.TotalBytes(), k20TB);
}

TEST(FreeSpaceSeries, SamplingAllocatesNothingOnceSetUp) {
  FreeSpaceHistory history;
  const char* roots[] = {"c:\\", "d:\\", "e:\\"};
  for (const char* root : roots) history.Record(root, 1, kT0, kTotal / 2, kTotal);
  const long before = AllocationCount();
  // Three drives read once a second for three days: minute, block and gap changes.
  for (HistorySeconds k = 1; k < 3 * 86400; ++k) {
    for (const char* root : roots) history.Record(root, 1, kT0 + k, kTotal / 2 - k * 1000, kTotal);
  }
  EXPECT_EQ(AllocationCount() - before, 0);
}

TEST(FreeSpaceHistory, AnotherVolumeOnTheRootStartsAfreshAndTheRestStay) {
  FreeSpaceHistory h;
  for (HistorySeconds k = 0; k < 600; k += 60) {
    h.Record("c:\\", 0xAAAA, kT0 + k, 1000, kTotal);
    h.Record("d:\\", 0xBBBB, kT0 + k, 2000, kTotal);
  }
  h.Record("c:\\", 0xCCCC, kT0 + 600, 3000, kTotal);
  const FreeSpaceSeries* c = h.Find("c:\\");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Serial(), 0xCCCCu);
  EXPECT_EQ(c->MinutePoint(kMinute0 + 9), FreeSpaceSeries::kNoPoint);
  EXPECT_EQ(c->MinutePoint(kMinute0 + 10), 3000);
  EXPECT_EQ(h.Find("d:\\")->MinutePoint(kMinute0 + 9), 2000);
  EXPECT_EQ(h.Find("x:\\"), nullptr);
  // A drive that does not answer gets no series.
  h.Record("x:\\", 5, kT0, -1, -1);
  EXPECT_EQ(h.Find("x:\\"), nullptr);
}

TEST(FreeSpaceHistory, ATwentySeventhRootReplacesTheOneReadLongestAgo) {
  FreeSpaceHistory h;
  for (int i = 0; i < 26; ++i) {
    const std::string root = std::string(1, static_cast<char>('a' + i)) + ":\\";
    // b: is read longest ago.
    h.Record(root, 1, kT0 + (i == 1 ? 0 : 60 + i), 100, kTotal);
  }
  h.Record("D:\\Mount\\Données\\", 2, kT0 + 500, 100, kTotal);
  EXPECT_EQ(h.Find("b:\\"), nullptr);
  EXPECT_NE(h.Find("a:\\"), nullptr);
  EXPECT_NE(h.Find("z:\\"), nullptr);
  EXPECT_NE(h.Find("D:\\Mount\\Données\\"), nullptr);
}

TEST(FreeSpaceHistory, EstimatesAtMostOnceAMinute) {
  FreeSpaceHistory h;
  // Falling by a million bytes a second for an hour from six billion: full at second
  // 6000, 2401 seconds after the last reading.
  for (HistorySeconds k = 0; k < 3600; ++k) h.Record("c:\\", 1, kT0 + k, 6'000'000'000 - k * 1'000'000, kTotal);
  const FullEstimate first = h.Estimate("c:\\", kT0 + 3599);
  EXPECT_EQ(first.kind, FullEstimate::Kind::kFilling);
  EXPECT_NEAR(static_cast<double>(first.seconds), 2401, 2);
  // Within the same minute a lower reading does not change what is shown...
  h.Record("c:\\", 1, kT0 + 3600 + 30, 1'000'000'000, kTotal);
  EXPECT_NE(h.Estimate("c:\\", kT0 + 3600 + 30), first);
  const FullEstimate second = h.Estimate("c:\\", kT0 + 3600 + 31);
  h.Record("c:\\", 1, kT0 + 3600 + 40, 500'000'000, kTotal);
  EXPECT_EQ(h.Estimate("c:\\", kT0 + 3600 + 40), second);
  // ... the next minute does.
  h.Record("c:\\", 1, kT0 + 3660, 400'000'000, kTotal);
  EXPECT_NE(h.Estimate("c:\\", kT0 + 3660), second);
  EXPECT_EQ(h.Estimate("y:\\", kT0), FullEstimate{});
}

// ---------------------------------------------------------------------------------------
// Storage

FreeSpaceSeries SampleSeries(const std::string& root, std::uint32_t serial) {
  FreeSpaceSeries s(root, serial);
  // A day of minute points with an hour's gap, then 29 days of ten-minute points, on a
  // 20 TB drive whose free space is a whole number of 4 KiB clusters.
  Feed(s, 0, 86400, [](HistorySeconds k) { return 12'000'000'000'000 - (k / 60) * 4096 * 37; }, 60, k20TB);
  Feed(s, 90000, 29 * 86400, [](HistorySeconds k) { return 11'000'000'000'000 - (k / 600) * 4096 * 3; }, 600, k20TB);
  Feed(s, 29 * 86400 + 3600, 30 * 86400, [](HistorySeconds k) { return 10'000'000'000'000 + k; }, 60, k20TB);
  return s;
}

TEST(HistoryStorage, Crc32IsTheCheckOfZipAndPng) {
  const std::string text = "123456789";
  EXPECT_EQ(Crc32({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}), 0xCBF43926u);
  EXPECT_EQ(Crc32({}), 0u);
}

TEST(HistoryStorage, ASeriesComesBackAsItWas) {
  for (const char* root : {"c:\\", "D:\\Mount\\Données\\"}) {
    const FreeSpaceSeries s = SampleSeries(root, 0xDEADBEEF);
    const std::vector<std::uint8_t> data = EncodeSeries(s);
    const std::optional<FreeSpaceSeries> back = DecodeSeries(data);
    ASSERT_TRUE(back.has_value()) << root;
    EXPECT_TRUE(*back == s) << root;
  }
  // Figures with no common power of two, and a drive full to the last byte.
  FreeSpaceSeries odd("a:\\", 0);
  Feed(odd, 0, 1200, [](HistorySeconds k) { return 1'457'664 - 3 * k; }, 7, 1'457'664);
  odd.Record(kT0 + 1300, 0, 1'457'664);
  const std::optional<FreeSpaceSeries> back = DecodeSeries(EncodeSeries(odd));
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(*back == odd);
}

TEST(HistoryStorage, ValuesAreCompactAndBounded) {
  // A steadily draining drive read every minute for 30 days: every slot of both tiers
  // filled, the figures changing by a few thousand clusters a minute.
  FreeSpaceSeries steady("c:\\", 1);
  Feed(steady, 0, 30 * 86400, [](HistorySeconds k) { return 400'000'000'000 - (k / 60) * 4096 * 1500; }, 60);
  EXPECT_LE(EncodeSeries(steady).size(), std::size_t{3} * (1440 + 4320) + 64);

  // The worst cases: every slot filled with figures leaping across the whole range (in
  // both tiers: the last minute of a block alternates too), and every other minute empty.
  const auto leap = [](HistorySeconds k, HistorySeconds step) {
    return ((k / step) + (k / 600)) % 2 ? INT64_MAX - 1 - k : 1 + k;
  };
  for (HistorySeconds step : {60, 120}) {
    FreeSpaceSeries wild(std::string(FreeSpaceSeries::kMaxRootBytes, 'r'), 2);
    for (HistorySeconds k = 0; k <= 30 * 86400; k += step) wild.Record(kT0 + k, leap(k, step), INT64_MAX);
    const std::vector<std::uint8_t> data = EncodeSeries(wild);
    EXPECT_LE(data.size(), kMaxHistoryValueBytes) << step;
    if (step == 60) {
      EXPECT_GT(data.size(), std::size_t{50000});  // the figures did take their width
    }
    const std::optional<FreeSpaceSeries> back = DecodeSeries(data);
    ASSERT_TRUE(back.has_value()) << step;
    EXPECT_TRUE(*back == wild) << step;
  }
}

// The value with its check recomputed, as a foreign writer that knows the format would.
std::vector<std::uint8_t> Resealed(std::vector<std::uint8_t> data) {
  data.resize(data.size() - 4);
  const std::uint32_t crc = Crc32(data);
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
  return data;
}

TEST(HistoryStorage, DamagedTruncatedForeignAndFutureValuesGiveNoSeries) {
  FreeSpaceSeries s("c:\\", 9);
  Feed(s, 0, 7200, [](HistorySeconds k) { return 900'000'000 - k * 4096; }, 30);
  const std::vector<std::uint8_t> good = EncodeSeries(s);
  ASSERT_TRUE(DecodeSeries(good).has_value());

  for (std::size_t n = 0; n < good.size(); ++n) {
    EXPECT_FALSE(DecodeSeries(std::span(good).first(n)).has_value()) << "cut to " << n;
  }
  for (std::size_t i = 0; i < good.size(); ++i) {
    std::vector<std::uint8_t> bad = good;
    bad[i] ^= static_cast<std::uint8_t>(1u << (i % 8));
    EXPECT_FALSE(DecodeSeries(bad).has_value()) << "bit flipped in byte " << i;
  }
  struct Case {
    std::vector<std::uint8_t> data;
    const char* why;
  };
  std::vector<Case> cases;
  std::vector<std::uint8_t> v = good;
  v[4] = kHistoryFormatVersion + 1;
  cases.push_back({Resealed(v), "a later version"});
  v = good;
  v[0] = 'X';
  cases.push_back({Resealed(v), "another mark"});
  v = good;
  v.insert(v.end() - 4, 0);
  cases.push_back({Resealed(v), "a byte after the tiers"});
  v = good;
  v.erase(v.end() - 5);
  cases.push_back({Resealed(v), "the tiers cut short"});
  cases.push_back({std::vector<std::uint8_t>(100, 0xFF), "foreign bytes"});
  cases.push_back({std::vector<std::uint8_t>(kMaxHistoryValueBytes + 1, 0), "too long"});
  cases.push_back({Resealed({'D', 'v', 'H', 's', 1, 0, 0, 0, 0}), "a mark and a version alone"});
  for (const Case& c : cases) EXPECT_FALSE(DecodeSeries(c.data).has_value()) << c.why;
}

// A value written by hand from the layout in core/HistoryStorage.h.
struct Handmade {
  std::vector<std::uint8_t> bytes;
  Handmade& Raw(std::initializer_list<int> list) {
    for (int b : list) bytes.push_back(static_cast<std::uint8_t>(b));
    return *this;
  }
  Handmade& Varint(std::uint64_t v) {
    do {
      bytes.push_back(static_cast<std::uint8_t>((v & 0x7F) | (v > 0x7F ? 0x80 : 0)));
      v >>= 7;
    } while (v);
    return *this;
  }
  std::vector<std::uint8_t> Sealed() const { return Resealed(Handmade(*this).Raw({0, 0, 0, 0}).bytes); }
};

// "DvHs", version 1, serial 0x01020304, root "c:\", 1000 bytes in all, the newest reading
// at kT0 + 59 (zigzag: twice that), no shift.
Handmade Header(int shift = 0) {
  Handmade h;
  h.Raw({'D', 'v', 'H', 's', 1, 0x04, 0x03, 0x02, 0x01, 3, 'c', ':', '\\'}).Varint(1000).Varint(2 * (kT0 + 59));
  return h.Raw({shift});
}

TEST(HistoryStorage, TheLayoutAsWrittenDown) {
  // One reading, 500 bytes free: 1439 empty minutes then one filled (zigzag 500 = 1000),
  // 4319 empty blocks then one filled.
  const std::vector<std::uint8_t> value =
      Header().Varint(1439).Varint(1).Varint(1000).Varint(4319).Varint(1).Varint(1000).Sealed();
  const std::optional<FreeSpaceSeries> s = DecodeSeries(value);
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->Root(), "c:\\");
  EXPECT_EQ(s->Serial(), 0x01020304u);
  EXPECT_EQ(s->TotalBytes(), 1000);
  EXPECT_EQ(s->NewestTime(), kT0 + 59);
  EXPECT_EQ(s->MinutePoint(kMinute0), 500);
  EXPECT_EQ(s->MinutePoint(kMinute0 - 1), FreeSpaceSeries::kNoPoint);
  EXPECT_EQ(s->BlockPoint(kBlock0), 500);
  // The encoder stores 500 as 125 with a shift of 2 (the largest power of two dividing
  // every figure), zigzag 250; that reads back as the same series.
  const std::vector<std::uint8_t> shifted =
      Header(2).Varint(1439).Varint(1).Varint(250).Varint(4319).Varint(1).Varint(250).Sealed();
  FreeSpaceSeries same("c:\\", 0x01020304);
  same.Record(kT0 + 59, 500, 1000);
  EXPECT_EQ(EncodeSeries(same), shifted);
  ASSERT_TRUE(DecodeSeries(shifted).has_value());
  EXPECT_TRUE(*DecodeSeries(shifted) == *s);

  struct Case {
    std::vector<std::uint8_t> value;
    const char* why;
  } cases[] = {
      {Header().Varint(0).Varint(0).Varint(1439).Varint(1).Varint(1000).Varint(4319).Varint(1).Varint(1000).Sealed(),
       "a run of nothing first (padding the encoder never writes)"},
      {Header().Varint(1440).Varint(1).Varint(1000).Sealed(), "a run past the end of the tier"},
      {Header().Varint(1439).Varint(1).Varint(1).Varint(4319).Varint(1).Varint(1000).Sealed(), "a figure below zero"},
      {Header().Varint(1440).Varint(0).Varint(4319).Varint(1).Varint(1000).Sealed(), "no point at the newest minute"},
      {Header(41).Varint(1439).Varint(1).Varint(2).Varint(4319).Varint(1).Varint(2).Sealed(), "a shift beyond 40"},
      {Header(40).Varint(1439).Varint(1).Varint(std::uint64_t{1} << 24).Varint(4319).Varint(1).Varint(2).Sealed(),
       "a figure that overflows when shifted back"},
      {Handmade().Raw({'D', 'v', 'H', 's', 1, 0, 0, 0, 0, 0}).Varint(1000).Sealed(), "an empty root"},
      {Handmade()
           .Raw({'D', 'v', 'H', 's', 1, 0, 0, 0, 0, 3, 'c', ':', '\\', 0xE8, 0x87, 0x00})
           .Varint(2 * (kT0 + 59))
           .Raw({0})
           .Varint(1439).Varint(1).Varint(1000).Varint(4319).Varint(1).Varint(1000)
           .Sealed(),
       "the total as a varint longer than needed"},
      {Handmade().Raw({'D', 'v', 'H', 's', 1, 0, 0, 0, 0, 3, 'c', ':', '\\'}).Varint(0).Sealed(), "no total"},
  };
  for (const Case& c : cases) EXPECT_FALSE(DecodeSeries(c.value).has_value()) << c.why;
}

TEST(HistoryStorage, ValueNamesGoByRootAndSerial) {
  EXPECT_EQ(HistoryValueName("c:\\", 0x0A1B2C3D), "c:\\ 0A1B2C3D");
  EXPECT_EQ(HistoryValueName("z:\\", 0), "z:\\ 00000000");
  EXPECT_EQ(HistoryValueName("D:\\Mount\\Données\\", 0xFFFFFFFF), "D:\\Mount\\Données\\ FFFFFFFF");
}

TEST(HistoryStorage, LoadKeepsWhatIsSoundAndSaveWritesItBack) {
  const HistorySeconds now = kT0 + 31 * 86400;
  FreeSpaceHistory h;
  for (HistorySeconds k = 0; k <= 3600; k += 60) {
    h.Record("c:\\", 1, now - 3600 + k, 5'000'000 - k, kTotal);
    h.Record("d:\\", 2, now - 3600 + k, 7'000'000, kTotal);
  }
  std::vector<StoredHistoryValue> values = h.Save(now);
  ASSERT_EQ(values.size(), 2u);

  FreeSpaceSeries older("c:\\", 3);  // an earlier disk on c:, read a day before
  older.Record(now - 86400, 1, kTotal);
  FreeSpaceSeries stale("e:\\", 4);  // read 31 days ago
  stale.Record(now - 31 * 86400, 1, kTotal);
  std::vector<std::uint8_t> damaged = values[1].data;
  damaged[damaged.size() / 2] ^= 0x10;
  values.push_back({HistoryValueName("c:\\", 3), EncodeSeries(older)});
  values.push_back({HistoryValueName("e:\\", 4), EncodeSeries(stale)});
  FreeSpaceSeries misnamed("g:\\", 5);
  misnamed.Record(now, 1, kTotal);
  values.push_back({"f:\\ 00000005", EncodeSeries(misnamed)});  // named for another root
  values.push_back({"d:\\ 00000002 copy", damaged});
  values.push_back({"something else", {1, 2, 3}});
  values.push_back({"C:\\ 00000001", values[0].data});  // the same name in other letters

  FreeSpaceHistory loaded;
  loaded.Record("q:\\", 1, now, 1, kTotal);  // loading replaces what was there
  loaded.Load(values, now);
  EXPECT_EQ(loaded.Find("q:\\"), nullptr);
  ASSERT_NE(loaded.Find("c:\\"), nullptr);
  EXPECT_TRUE(*loaded.Find("c:\\") == *h.Find("c:\\"));
  ASSERT_NE(loaded.Find("d:\\"), nullptr);
  EXPECT_TRUE(*loaded.Find("d:\\") == *h.Find("d:\\"));
  EXPECT_EQ(loaded.Find("e:\\"), nullptr);
  EXPECT_EQ(loaded.Find("f:\\"), nullptr);
  EXPECT_EQ(loaded.Find("g:\\"), nullptr);

  const std::vector<StoredHistoryValue> saved = loaded.Save(now);
  std::vector<std::string> names;
  for (const StoredHistoryValue& v : values) names.push_back(v.name);
  const std::vector<std::string> stale_names = StaleHistoryValues(names, saved);
  EXPECT_EQ(stale_names, (std::vector<std::string>{"c:\\ 00000003", "e:\\ 00000004", "f:\\ 00000005",
                                                   "d:\\ 00000002 copy", "something else"}));
  // A series nobody has read for 30 days is not written again.
  EXPECT_EQ(loaded.Save(now + 30 * 86400 + 1).size(), 0u);
}

// The clock the end-to-end tests compress: only plain figures are taken.
TEST(HistoryClockTest, TheScaleTheStartAndTheTimeTheyGive) {
  const struct {
    const char* text;
    std::optional<int> scale;
  } scales[] = {{"1", 1}, {"60", 60}, {"3600", 3600}, {"0060", 60}, {"", std::nullopt}, {"0", std::nullopt},
                {"3601", std::nullopt}, {"-5", std::nullopt}, {"6O", std::nullopt}, {" 60", std::nullopt},
                {"99999999999", std::nullopt}};
  for (const auto& c : scales) EXPECT_EQ(ParseClockScale(c.text), c.scale) << '"' << c.text << '"';
  EXPECT_EQ(ParseClockStart("1800000000"), 1'800'000'000);
  EXPECT_EQ(ParseClockStart("0"), 0);
  EXPECT_EQ(ParseClockStart("1000000000001"), std::nullopt);
  EXPECT_EQ(ParseClockStart("-1"), std::nullopt);
  EXPECT_EQ(ParseClockStart(""), std::nullopt);
  // 1.5 s after the start at 60 times: 90 s; parts of a second wait until they make one.
  EXPECT_EQ(HistoryClock::Scaled(1'000'000 + 1'500, 1000, 60), 1090);
  EXPECT_EQ(HistoryClock::Scaled(1'000'000 + 10'000, 1000, 3600), 1000 + 36'000);
  EXPECT_EQ(HistoryClock::Scaled(1'000'000 + 16, 1000, 60), 1000);
  EXPECT_EQ(HistoryClock::Scaled(1'000'000 + 17, 1000, 60), 1001);
  // Scale 1 is the system clock itself.
  const std::int64_t before = HistoryClock::WallSeconds();
  const std::int64_t now = HistoryClock().Now();
  EXPECT_GE(now, before);
  EXPECT_LE(now, HistoryClock::WallSeconds());
}

// The chart: four columns of a day of minutes (360 each), eleven rows: full at the top,
// empty at the bottom, a column without points breaks the line.
TEST(HistoryChartTest, ColumnsRowsGapsAndTheLevel) {
  constexpr HistorySeconds kBase = 1'800'000'000;
  FreeSpaceSeries c("c:\\", 7);
  for (int m = 0; m < 1440; ++m) {
    if (m >= 360 && m < 720) continue;  // the machine was off
    const std::int64_t free = m < 360 ? 1000 : m < 1080 ? 500 : 0;
    ASSERT_TRUE(c.Record(kBase + 60 * m, free, 1000));
  }
  const ChartPlot day = PlotHistory(&c, "c:\\", ChartSpan::kDay, 4, 11, 10);
  EXPECT_EQ(day.caption, "c:\\ last day");
  EXPECT_EQ(day.levelY, 9);
  ASSERT_EQ(day.runs.size(), 2u);
  EXPECT_EQ(day.runs[0], (std::vector<ChartPoint>{{0, 0}}));
  EXPECT_EQ(day.runs[1], (std::vector<ChartPoint>{{2, 5}, {3, 10}}));
  // Thirty days: the day is the last of the 4,320 blocks' four columns.
  const ChartPlot month = PlotHistory(&c, "c:\\", ChartSpan::kMonth, 4, 11, 50);
  EXPECT_EQ(month.caption, "c:\\ last 30 days");
  EXPECT_EQ(month.levelY, 5);
  ASSERT_EQ(month.runs.size(), 1u);
  EXPECT_EQ(month.runs[0], (std::vector<ChartPoint>{{3, 10}}));
  // Wider than the slots: every column still gets one.
  EXPECT_EQ(PlotHistory(&c, "c:\\", ChartSpan::kDay, 2000, 11, 10).runs.size(), 2u);
  const ChartPlot none = PlotHistory(nullptr, "d:\\", ChartSpan::kDay, 300, 90, 5);
  EXPECT_EQ(none.caption, "d:\\ no history yet");
  EXPECT_TRUE(none.runs.empty());
  EXPECT_EQ(none.levelY, -1);
}

}  // namespace
}  // namespace dorvane
