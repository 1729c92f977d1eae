// The Win32 side of the drive, memory, autostart and locale seams against the real (Wine)
// machine: a default prefix has c: (the prefix's drive_c) and z: (the root folder), both
// fixed.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>

#include "core/DriveCatalog.h"
#include "core/NumberFormat.h"
#include "core/win32/Win32Machine.h"
#include "core/win32/WideString.h"

namespace dorvane {
namespace {

TEST(Win32Drives, TypesOfTheDefaultDrives) {
  Win32DriveApi api;
  EXPECT_EQ(api.DriveType("c:\\"), kDriveFixed);
  EXPECT_EQ(api.DriveType("z:\\"), kDriveFixed);
  EXPECT_EQ(api.DriveType(""), kDriveNoRootDir);
  EXPECT_EQ(api.DriveType("q:\\"), kDriveNoRootDir);
}

// The test prefix's system folder is C:\windows.
TEST(Win32Drives, TheSystemDriveIsTheSystemFoldersInSmallLetters) {
  EXPECT_EQ(ReadSystemDriveRoot(), "c:\\");
  Win32Machine machine;
  EXPECT_EQ(machine.SystemDriveRoot(), "c:\\");
}

TEST(Win32Drives, SpaceFiguresArePositiveAndConsistent) {
  Win32DriveApi api;
  EXPECT_TRUE(api.HasExtendedSpaceQuery());
  DriveSpaceQuery query(api);
  for (std::uint8_t drive : {std::uint8_t{3}, std::uint8_t{26}, std::uint8_t{0}}) {
    const DriveSpace s = query.Query(drive);
    EXPECT_GT(s.totalBytes, 0) << int(drive);
    EXPECT_GT(s.freeBytes, 0) << int(drive);
    EXPECT_LE(s.freeBytes, s.totalBytes) << int(drive);
  }
  EXPECT_EQ(query.DriveFreeBytes(17), -1);  // q: does not exist
  // The cluster-based query agrees with the extended one on the cluster-size grid.
  ClusterFigures c;
  const std::string root = "c:\\";
  ASSERT_TRUE(api.ClusterSpace(&root, c));
  EXPECT_GT(c.sectorsPerCluster * c.bytesPerSector, 0u);
  EXPECT_GT(c.totalClusters, 0u);
}

// The serial number tells one volume from another on the same letter: it is the system's.
TEST(Win32Drives, VolumeLabelAndSerialNumber) {
  Win32DriveApi api;
  wchar_t name[MAX_PATH + 1] = {};
  DWORD serial = 0;
  ASSERT_TRUE(GetVolumeInformationW(L"c:\\", name, MAX_PATH + 1, &serial, nullptr, nullptr, nullptr, 0));
  VolumeInfo volume;
  ASSERT_TRUE(api.Volume("c:\\", volume));
  EXPECT_EQ(volume.serial, serial);
  EXPECT_EQ(volume.label, Narrow(name));
  EXPECT_FALSE(api.Volume("q:\\", volume));
  EXPECT_EQ(volume, VolumeInfo{});
}

TEST(Win32Drives, CatalogueOfTheMachineReadsLabelsWithoutADialog) {
  Win32DriveApi api;
  // The machine's drives all answer; a patient wait keeps a loaded machine from making a
  // late answer of a slow one.
  DriveCatalog catalog(api, nullptr, std::chrono::seconds(60));
  FillDriveSlots(catalog.Slots());
  const UINT before = SetErrorMode(0);
  SetErrorMode(before);
  catalog.BuildDriveList(true);
  bool sawC = false, sawZ = false;
  for (const DriveEntry& row : catalog.Rows()) {
    EXPECT_FALSE(row.label.empty());
    sawC = sawC || row.number == 3;
    sawZ = sawZ || row.number == 26;
  }
  EXPECT_TRUE(sawC);
  EXPECT_TRUE(sawZ);
  // The error mode is back to what it was.
  const UINT after = SetErrorMode(0);
  SetErrorMode(after);
  EXPECT_EQ(after, before);
  for (DriveEntry& row : catalog.Rows()) row.active = true;
  catalog.BeginRound();
  catalog.RefreshDriveEntries();
  for (const DriveEntry& row : catalog.Rows()) {
    ASSERT_TRUE(row.reading) << row.root;
    EXPECT_GT(row.TotalBytes(), 0) << row.root;
  }
}

TEST(Win32Memory, LoadAndTotal) {
  Win32MemoryApi api;
  const MemoryStatus s = api.Query();
  EXPECT_LE(s.load, 100u);
  EXPECT_GT(s.totalPhysical, 0u);
  const MemoryReadout r = ReadMemory(api);
  EXPECT_EQ(r.caption.rfind("Total Mem: ", 0), 0u);
  EXPECT_EQ(r.caption.substr(r.caption.size() - 3), " KB");
}

// The real per-user Run key: the entry written is the one the system reads back.
TEST(Win32Autostart, EntryIsWrittenReadAndRemovedInTheRunKey) {
  Win32AutostartList list;
  const std::wstring name = L"DorvaneTest \u00e9" + std::to_wstring(GetCurrentProcessId());
  const std::string name8 = "DorvaneTest \xC3\xA9" + std::to_string(GetCurrentProcessId());
  EXPECT_FALSE(list.Contains(name8));
  list.Write(name8, "\"C:\\old.exe\"");
  list.Write(name8, "\"C:\\Pr\xC3\xB6gramme\\dorvane.exe\"");
  wchar_t data[64] = {};
  DWORD size = sizeof data;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", name.c_str(),
                         RRF_RT_REG_SZ, nullptr, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(data), L"\"C:\\Pr\u00f6gramme\\dorvane.exe\"");
  EXPECT_TRUE(list.Contains(name8));
  list.Remove(name8);
  list.Remove(name8);  // already absent: nothing happens
  EXPECT_FALSE(list.Contains(name8));
}

// The user's own separators, set as the regional settings set them, for one test.
class ScopedUserSeparators {
 public:
  ScopedUserSeparators(const wchar_t* decimal, const wchar_t* thousands)
      : decimal_(Read(LOCALE_SDECIMAL)), thousands_(Read(LOCALE_STHOUSAND)) {
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousands);
  }
  ScopedUserSeparators(const ScopedUserSeparators&) = delete;
  ScopedUserSeparators& operator=(const ScopedUserSeparators&) = delete;
  ~ScopedUserSeparators() {
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal_.c_str());
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousands_.c_str());
    SetCurrentSeparators(ReadUserSeparators());
  }

 private:
  static std::wstring Read(LCTYPE type) {
    wchar_t buffer[8] = {};
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 8);
    return buffer;
  }
  std::wstring decimal_, thousands_;
};

// The test environment runs Wine in a known locale (tools/winerun): English (United
// States), whatever the host's language. The user's own separators, a narrow no-break
// space among them, reach the size and kilobyte texts the way start-up passes them on.
TEST(Win32Locale, TheUsersSeparatorsReachTheSizeTexts) {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
  EXPECT_STREQ(name, L"en-US");
  NumberSeparators s = ReadUserSeparators();
  EXPECT_EQ(s.decimal, ".");
  EXPECT_EQ(s.thousands, ",");

  ScopedUserSeparators user(L",", L"\u202F");
  s = ReadUserSeparators();
  EXPECT_EQ(s.decimal, ",");
  EXPECT_EQ(s.thousands, "\xE2\x80\xAF");
  SetCurrentSeparators(s);
  EXPECT_EQ(FormatSize(1'610'612'736), "1,50 Gb");  // 1.5 * 2^30
  EXPECT_EQ(FormatSize(3'584), "3,50 Kb");
  EXPECT_EQ(FormatKilobytes(25'276'178'432), "24\xE2\x80\xAF""683\xE2\x80\xAF""768 KB");
}

}  // namespace
}  // namespace dorvane
