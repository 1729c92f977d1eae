#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/DriveCatalog.h"
#include "core/DriveTexts.h"
#include "core/NumberFormat.h"
#include "tests/support/ScriptedDrives.h"

namespace dorvane {
namespace {

using testing::ScriptedDrive;
using testing::ScriptedDriveApi;

struct TagLog : IActivitySink {
  std::vector<std::string> tags;
  void Record(std::string_view tag) override { tags.emplace_back(tag); }
};

class DriveCatalogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCurrentSeparators({".", ","}); }
  DriveCatalog& Build(bool ignoreCdRom) {
    catalog.Clear();
    FillDriveSlots(catalog.Slots());
    catalog.BuildDriveList(ignoreCdRom);
    return catalog;
  }
  std::vector<int> Numbers() const {
    std::vector<int> numbers;
    for (const auto& row : catalog.Rows()) numbers.push_back(row.number);
    return numbers;
  }
  ScriptedDriveApi api = ScriptedDriveApi::FloppyHardDiskCdRom();
  TagLog log;
  // Scripted drives answer at once; a patient wait keeps a loaded machine from turning
  // that into a late answer.
  DriveCatalog catalog{api, &log, std::chrono::seconds(60)};
};

TEST(DriveSlots, RootsAreLowerCaseLettersAndSlotZeroStaysEmpty) {
  DriveSlotTable slots;
  slots[3].label = "kept";
  slots[0].root = "";
  FillDriveSlots(slots);
  EXPECT_EQ(slots[0].root, "");
  EXPECT_EQ(slots[1].root, "a:\\");
  EXPECT_EQ(slots[3].root, "c:\\");
  EXPECT_EQ(slots[26].root, "z:\\");
  EXPECT_EQ(slots[3].label, "kept");  // filling never clears labels
  EXPECT_THROW(slots[27], std::out_of_range);
}

TEST(DriveClassification, TypeTable) {
  const struct {
    std::uint32_t type;
    bool ignoreCdRom, accepted;
    const char* name;  // of an accepted drive, with the list's picture for it
    int image;
  } cases[] = {
      {kDriveUnknown, false, false, "", 0},
      {kDriveNoRootDir, false, false, "", 0},
      {kDriveRemovable, true, true, "Removable/Diskette", 0},
      {kDriveFixed, true, true, "Fixed/HD", 1},
      {kDriveCdRom, false, true, "CD-Rom", 2},
      {kDriveRemote, true, true, "Network Drive", 3},
      {kDriveRamDisk, true, true, "RAM Drive", 4},
      {kDriveCdRom, true, false, "", 0},
      {7, false, false, "", 0},
      {0xFFFFFFFF, false, false, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << " ignoring CD-Rom " << c.ignoreCdRom);
    const auto kind = ClassifyDrive(c.type, c.ignoreCdRom);
    EXPECT_EQ(kind.accepted, c.accepted);
    if (!c.accepted) continue;
    EXPECT_STREQ(kind.typeName, c.name);
    EXPECT_EQ(DriveTypeImageIndex(c.name), c.image);
  }
  // Pictures go by the exact name.
  EXPECT_EQ(DriveTypeImageIndex("fixed/hd"), -1);
  EXPECT_EQ(DriveTypeImageIndex(""), -1);
}

TEST_F(DriveCatalogTest, FloppyDiskAndIgnoredCdRom) {
  Build(true);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 3}));
  EXPECT_EQ(catalog.TrayComboItems(), (std::vector<std::string>{"a:\\ no name", "c:\\ SYSTEM"}));
  EXPECT_EQ(catalog.ExploreRoots(), (std::vector<std::string>{"a:\\", "c:\\"}));
  // The list's columns in order: root, label, type, then the figures of an unchecked row.
  EXPECT_EQ(RowCaption(catalog.Rows()[0]), "1");
  EXPECT_EQ(RowSubItems(catalog.Rows()[0]), (std::vector<std::string>{"a:\\", "no name", "Removable/Diskette",
                                                                     "inactive", "inactive", "inactive", "0", "0"}));
  EXPECT_EQ(RowSubItems(catalog.Rows()[1]),
            (std::vector<std::string>{"c:\\", "SYSTEM", "Fixed/HD", "inactive", "inactive", "inactive", "0", "0"}));
  EXPECT_THROW(RowSubItem(catalog.Rows()[1], 8), std::out_of_range);
  EXPECT_EQ(catalog.Rows()[0].imageIndex, 0);
  EXPECT_FALSE(catalog.Rows()[0].active);
  EXPECT_EQ(catalog.Slots()[1].label, "no name");
  EXPECT_EQ(catalog.Slots()[3].label, "SYSTEM");
  EXPECT_EQ(log.tags, (std::vector<std::string>{"add_to_dlist", "add_to_dlist"}));
}

TEST_F(DriveCatalogTest, CdRomJoinsBetweenItsNeighboursWhenNotIgnored) {
  Build(true);
  Build(false);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(catalog.Rows()[2].typeName, "CD-Rom");
  EXPECT_EQ(catalog.Rows()[2].imageIndex, 2);
  EXPECT_EQ(catalog.TrayComboItems().size(), 3u);
  EXPECT_EQ(catalog.TrayComboItems()[2], "d:\\ AUDIO CD");
  api.drives['b'] = {kDriveRemote, "share", true, 1, 2};
  Build(false);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 3, 4}));
}

// A rebuild that fails part-way (the label of the third drive cannot be read) leaves the
// whole catalogue as it was, check marks included; the next good one takes the new state.
TEST_F(DriveCatalogTest, AFailedRebuildLeavesTheCatalogueAsItWas) {
  catalog.Rebuild(false);
  catalog.Rows()[1].active = true;
  const std::vector<int> numbers = Numbers();
  const std::vector<std::string> combo = catalog.TrayComboItems(), roots = catalog.ExploreRoots();
  api.drives['b'] = {kDriveFixed, "NEW", true, 1, 2};
  api.drives['c'].label = "RENAMED";
  api.labelThrowsFor = 'd';
  EXPECT_THROW(catalog.Rebuild(false), std::runtime_error);
  EXPECT_EQ(Numbers(), numbers);
  EXPECT_EQ(catalog.TrayComboItems(), combo);
  EXPECT_EQ(catalog.ExploreRoots(), roots);
  EXPECT_EQ(catalog.Rows()[1].label, "SYSTEM");
  EXPECT_TRUE(catalog.Rows()[1].active);
  EXPECT_EQ(catalog.Slots()[3].label, "SYSTEM");
  EXPECT_EQ(catalog.Slots()[2].label, "");

  api.labelThrowsFor = 0;
  catalog.Rebuild(false);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(catalog.TrayComboItems()[2], "c:\\ RENAMED");
  EXPECT_FALSE(catalog.Rows()[2].active);
}

// A drive without media must never make the system ask for a disk: every label and space
// query (both kinds of space query, the floppy without media included) runs in the
// critical-error mode, and the caller's mode is back afterwards, also when a query throws.
TEST_F(DriveCatalogTest, DriveQueriesRunQuietlyAndRestoreTheErrorMode) {
  struct Case {
    const char* what;
    bool extended;
    bool throws;
    std::function<void(DriveCatalog&)> query;
  };
  const auto labels = [](DriveCatalog& c) {
    c.QueryVolumeLabel("a:\\");
    c.QueryVolumeLabel("c:\\");
  };
  const auto spaces = [](DriveCatalog& c) {
    c.Space().Query(1);
    c.Space().Query(3);
  };
  const auto refresh = [](DriveCatalog& c) {
    for (auto& row : c.Rows()) row.active = true;
    c.RefreshDriveEntries();
  };
  const Case cases[] = {
      {"labels", true, false, labels},         {"labels throwing", true, true, labels},
      {"extended space", true, false, spaces}, {"extended space throwing", true, true, spaces},
      {"cluster space", false, false, spaces}, {"cluster space throwing", false, true, spaces},
      {"refresh of the rows", true, false, refresh},
  };
  for (const Case& c : cases) {
    ScriptedDriveApi drives = ScriptedDriveApi::FloppyHardDiskCdRom();
    drives.extended = c.extended;
    DriveCatalog cat(drives, nullptr);
    FillDriveSlots(cat.Slots());
    cat.BuildDriveList(false);
    drives.modeDuringLabelQuery.clear();
    drives.errorMode = 0x8000;
    drives.throwOnLabel = drives.throwOnSpace = c.throws;
    if (c.throws) {
      EXPECT_THROW(c.query(cat), std::runtime_error) << c.what;
    } else {
      c.query(cat);
    }
    std::vector<unsigned> modes = drives.modeDuringLabelQuery;
    modes.insert(modes.end(), drives.modeDuringSpaceQuery.begin(), drives.modeDuringSpaceQuery.end());
    ASSERT_FALSE(modes.empty()) << c.what;
    for (unsigned mode : modes) EXPECT_EQ(mode, kFailCriticalErrors) << c.what;
    EXPECT_EQ(drives.errorMode, 0x8000u) << c.what;
  }
}

TEST_F(DriveCatalogTest, LabelQueryUsesOnlyTheFirstCharacter) {
  EXPECT_EQ(catalog.QueryVolumeLabel("c:\\windows\\system32"), "SYSTEM");
  EXPECT_EQ(api.labelRoots.back(), "c:\\");
  EXPECT_EQ(catalog.QueryVolumeLabel("a"), "");  // no media: empty, no dialog
  EXPECT_EQ(catalog.QueryVolumeLabel(""), "");
}

TEST_F(DriveCatalogTest, AddDriveEntryFillsEmptyLabelAndMirrorsLists) {
  DriveEntry& row = catalog.AddDriveEntry(5, "e:\\", "RAM Drive", "");
  EXPECT_EQ(row.number, 5);
  EXPECT_EQ(row.label, "no name");
  EXPECT_EQ(row.imageIndex, 4);
  EXPECT_EQ(catalog.TrayComboItems().back(), "e:\\ no name");
  EXPECT_EQ(catalog.ExploreRoots().back(), "e:\\");
  EXPECT_EQ(log.tags.back(), "add_to_dlist");
}

TEST_F(DriveCatalogTest, AllTwentySixLetters) {
  api.drives.clear();
  for (char l = 'a'; l <= 'z'; ++l) api.drives[l] = {kDriveFixed, std::string(1, l) + "-vol", true, 1, 2};
  Build(true);
  ASSERT_EQ(catalog.Rows().size(), 26u);
  EXPECT_EQ(catalog.Rows().front().number, 1);
  EXPECT_EQ(catalog.Rows().back().number, 26);
  EXPECT_EQ(catalog.Rows().back().root, "z:\\");
  EXPECT_EQ(catalog.TrayComboItems().back(), "z:\\ z-vol");
}

TEST_F(DriveCatalogTest, EveryAcceptedTypeAndNoneOfTheOthers) {
  api.drives.clear();
  api.drives['a'] = {kDriveRemovable, "", false};
  api.drives['c'] = {kDriveFixed, "SYSTEM"};
  api.drives['e'] = {kDriveUnknown, "x"};
  api.drives['f'] = {kDriveRemote, "share"};
  api.drives['g'] = {kDriveRamDisk, "RAM"};
  api.drives['h'] = {9, "odd"};
  Build(true);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 3, 6, 7}));
  EXPECT_EQ(catalog.Rows()[2].typeName, "Network Drive");
  EXPECT_EQ(catalog.Rows()[3].typeName, "RAM Drive");
}

TEST_F(DriveCatalogTest, RefreshWritesCheckedRowsAndResetsOthers) {
  Build(true);
  catalog.Rows()[1].active = true;  // c:
  catalog.BeginRound();
  EXPECT_TRUE(catalog.RefreshDriveEntries());
  const DriveEntry& c = catalog.Rows()[1];
  EXPECT_EQ(RowSubItems(c), (std::vector<std::string>{"c:\\", "SYSTEM", "Fixed/HD", "18.63 Gb", "16.76 Gb", "1.86 Gb",
                                                      "20000000000", "2000000000"}));
  ASSERT_TRUE(c.reading);
  EXPECT_EQ(c.reading->round, catalog.Round());
  EXPECT_EQ(log.tags.back(), "dlist_fill");
  // Nothing changed: the refresh says so.
  catalog.BeginRound();
  EXPECT_FALSE(catalog.RefreshDriveEntries());
  catalog.Rows()[1].active = false;
  EXPECT_TRUE(catalog.RefreshDriveEntries());
  EXPECT_EQ(RowSubItem(c, 5), "inactive");
  EXPECT_EQ(RowSubItem(c, 7), "0");
}

TEST_F(DriveCatalogTest, NotReadyCheckedRowKeepsItsTexts) {
  Build(true);
  catalog.Rows()[0].active = true;  // a: without media
  for (int i = 0; i < 3; ++i) {
    catalog.BeginRound();
    catalog.RefreshDriveEntries();
  }
  const DriveEntry& a = catalog.Rows()[0];
  EXPECT_EQ(RowSubItem(a, 3), "inactive");
  EXPECT_EQ(RowSubItem(a, 5), "inactive");
  EXPECT_EQ(RowSubItem(a, 7), "0");
  // A drive that had figures and then loses its media keeps its last figures.
  catalog.Rows()[1].active = true;
  catalog.RefreshDriveEntries();
  api.drives['c'].ready = false;
  catalog.BeginRound();
  catalog.RefreshDriveEntries();
  EXPECT_EQ(RowSubItem(catalog.Rows()[1], 5), "1.86 Gb");
}

TEST_F(DriveCatalogTest, DriveAboveTwoTerabytes) {
  api.drives['e'] = {kDriveFixed, "ARCHIVE", true, 439'804'651'110, 4'398'046'511'104};
  Build(true);
  DriveEntry& e = catalog.Rows()[2];
  e.active = true;
  catalog.BeginRound();
  catalog.RefreshDriveEntries();
  EXPECT_EQ(RowSubItems(e), (std::vector<std::string>{"e:\\", "ARCHIVE", "Fixed/HD", "4096.00 Gb", "3686.40 Gb",
                                                      "409.60 Gb", "4398046511104", "439804651110"}));
}

// The gauge counts whole megabytes; beyond 32 bits both figures are halved together.
TEST(DriveTextsTest, GaugeFiguresOfAnySize) {
  constexpr std::int64_t kMb = 1048576;
  const struct {
    std::int64_t total, free;
    std::int32_t maxValue, progress;
  } cases[] = {
      {0, 0, 0, 0},
      {5 * kMb + 1, 3 * kMb - 1, 5, 2},  // truncated
      {(std::int64_t{1} << 51) - 1, std::int64_t{1} << 49, 2147483647, 536870912},
      {std::int64_t{1} << 51, std::int64_t{1} << 50, 1073741824, 536870912},
      {std::int64_t{1} << 62, std::int64_t{1} << 60, 1073741824, 268435456},
      {std::int64_t{1} << 51, std::int64_t{1} << 52, 536870912, 1073741824},  // more free than total
  };
  for (const auto& c : cases) {
    DriveEntry row;
    row.reading = DriveReading{DriveSpace{c.free, c.total}, 1, {}};
    const GaugeFigures g = PanelGauge(row);
    EXPECT_EQ(g.maxValue, c.maxValue) << c.total;
    EXPECT_EQ(g.progress, c.progress) << c.total;
  }
  const GaugeFigures unread = PanelGauge(DriveEntry{});
  EXPECT_EQ(unread.maxValue, 0);
  EXPECT_EQ(unread.progress, 0);
}

// What a screen reader hears of a panel: its free space and share (truncated).
TEST(DriveTextsTest, PanelReadingForScreenReaders) {
  SetCurrentSeparators({".", ","});
  constexpr std::int64_t kGb = 1073741824;
  const struct {
    std::int64_t free, total;
    const char* reading;
  } cases[] = {
      {kGb * 55 + kGb / 4, kGb * 263, "55.25 Gb free, 21 %"},
      {kGb * 2, kGb * 2, "2.00 Gb free, 100 %"},
      {999, 100'000, "999 bytes free, 0 %"},
      {0, 0, "0 bytes free, 0 %"},
  };
  for (const auto& c : cases) {
    DriveEntry row;
    row.reading = DriveReading{DriveSpace{c.free, c.total}, 1, {}};
    EXPECT_EQ(PanelReading(row), c.reading) << c.free;
  }
  EXPECT_EQ(PanelReading(DriveEntry{}), "0 bytes free, 0 %");
}

TEST_F(DriveCatalogTest, RowsByRootAndTheirVolumes) {
  api.drives['c'].serial = 0x1234'ABCD;
  Build(true);
  EXPECT_EQ(catalog.RowOf("c:\\"), 1);
  EXPECT_EQ(catalog.RowOf("C:\\"), 1);
  EXPECT_EQ(catalog.RowOf("a:\\"), 0);
  EXPECT_EQ(catalog.RowOf("d:\\"), -1);  // the ignored CD-ROM
  EXPECT_EQ(catalog.RowOf(""), -1);
  EXPECT_EQ(catalog.Rows()[1].volumeSerial, 0x1234'ABCDu);
  EXPECT_EQ(catalog.Rows()[0].volumeSerial, 0u);  // no media
}

// What a rebuild would change: a drive that came or went, or a listed one of another
// kind. A CD-ROM that comes while CD-ROMs are ignored changes nothing.
TEST_F(DriveCatalogTest, TheDriveSetChangedSinceTheBuild) {
  EXPECT_FALSE(catalog.DriveSetChanged()) << "before any build";
  const struct {
    const char* what;
    std::function<void(ScriptedDriveApi&)> change;
    bool changed;
  } cases[] = {
      {"nothing", [](ScriptedDriveApi&) {}, false},
      {"a network drive mapped", [](ScriptedDriveApi& a) { a.drives['f'] = {kDriveRemote, "SHARE"}; }, true},
      {"the floppy drive gone", [](ScriptedDriveApi& a) { a.drives.erase('a'); }, true},
      {"c: a network drive now", [](ScriptedDriveApi& a) { a.drives['c'].type = kDriveRemote; }, true},
      {"an ignored CD-ROM drive added", [](ScriptedDriveApi& a) { a.drives['e'] = {kDriveCdRom, "DISC"}; }, false},
      {"the ignored CD-ROM drive gone", [](ScriptedDriveApi& a) { a.drives.erase('d'); }, false},
      {"only a label changed", [](ScriptedDriveApi& a) { a.drives['c'].label = "OTHER"; }, false},
  };
  for (const auto& c : cases) {
    api = ScriptedDriveApi::FloppyHardDiskCdRom();
    Build(true);
    c.change(api);
    EXPECT_EQ(catalog.DriveSetChanged(), c.changed) << c.what;
  }
}

TEST_F(DriveCatalogTest, LabelsBeyondAscii) {
  api.drives['c'].label = "Système Ünïcødé 数据";
  Build(true);
  EXPECT_EQ(catalog.Rows()[1].label, "Système Ünïcødé 数据");
  EXPECT_EQ(catalog.TrayComboItems()[1], "c:\\ Système Ünïcødé 数据");
}

TEST_F(DriveCatalogTest, SpaceByDriveNumberAndCurrentDrive) {
  const DriveSpaceQuery& q = catalog.Space();
  EXPECT_EQ(q.DriveFreeBytes(3), 2'000'000'000);
  EXPECT_EQ(q.DriveTotalBytes(3), 20'000'000'000);
  // Drive 0 is the current drive.
  EXPECT_EQ(q.DriveFreeBytes(0), 2'000'000'000);
  api.currentDrive = 'd';
  EXPECT_EQ(q.DriveTotalBytes(0), 650'000'000);
  // Failures: a drive without media, a letter without a drive, numbers past z.
  EXPECT_EQ(q.DriveFreeBytes(1), -1);
  EXPECT_EQ(q.DriveTotalBytes(1), -1);
  EXPECT_EQ(q.DriveFreeBytes(25), -1);
  EXPECT_EQ(q.DriveFreeBytes(27), -1);
  EXPECT_EQ(q.DriveFreeBytes(255), -1);
}

TEST(DriveSpaceQueryTest, ClusterFallbackWhenExtendedQueryIsMissing) {
  auto api = ScriptedDriveApi::FloppyHardDiskCdRom();
  api.extended = false;
  api.drives['e'] = {kDriveFixed, "BIG", true, 3'000'000'000'000, 15'000'000'000'000};
  DriveSpaceQuery q(api);
  EXPECT_EQ(q.DriveFreeBytes(3), 2'000'000'000 / 4096 * 4096);
  EXPECT_EQ(q.DriveTotalBytes(3), 20'000'000'000 / 4096 * 4096);
  // Clusters times cluster size in 64-bit arithmetic: no 32-bit overflow.
  EXPECT_EQ(q.DriveTotalBytes(5), 15'000'000'000'000 / 4096 * 4096);
  EXPECT_EQ(q.DriveFreeBytes(1), -1);
}

TEST(DriveSpaceQueryTest, ExtendedQueryIsLookedUpOnceAtStart) {
  auto api = ScriptedDriveApi::FloppyHardDiskCdRom();
  DriveSpaceQuery q(api);
  api.extended = false;  // a later change of mind is not seen
  EXPECT_EQ(q.DriveFreeBytes(3), 2'000'000'000);
}

TEST(PercentOfTest, Examples) {
  EXPECT_EQ(PercentOf(5, 0), 0);
  EXPECT_EQ(PercentOf(1, 3), 33);
  EXPECT_EQ(PercentOf(2, 3), 66);
  EXPECT_EQ(PercentOf(3, 3), 100);
  EXPECT_EQ(PercentOf(0, 7), 0);
  EXPECT_EQ(PercentOf(-1, 3), -33);  // truncated toward zero
  EXPECT_EQ(PercentOf(2147483647, 2147483647), 100);
  // Hundreds of bytes of a 4 TB drive do not fit 32 bits; in 64 bits 10 % stays 10 %.
  EXPECT_EQ(PercentOf(4'000'000'000'000 / 10 / 100, 4'000'000'000'000 / 100), 10);
}

}  // namespace
}  // namespace dorvane
