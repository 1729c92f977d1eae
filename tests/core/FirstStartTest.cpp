#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FirstStart.h"

namespace dorvane {
namespace {

// One row per drive, written "letter:type": F fixed, R removable, C CD-ROM, N network,
// ? a drive that has not told its type yet.
std::vector<DriveEntry> Rows(const std::string& drives) {
  std::vector<DriveEntry> rows;
  for (std::size_t i = 0; i + 2 < drives.size(); i += 4) {
    DriveEntry row;
    row.root = std::string(1, drives[i]) + ":\\";
    switch (drives[i + 2]) {
      case 'F': row.typeName = kTypeFixed; break;
      case 'R': row.typeName = kTypeRemovable; break;
      case 'C': row.typeName = kTypeCdRom; break;
      case 'N': row.typeName = kTypeNetwork; break;
      default: row.typePending = true; break;
    }
    rows.push_back(row);
  }
  return rows;
}

struct Case {
  const char* what;
  const char* drives;
  const char* systemRoot;
  std::vector<int> checked;  // rows, in the order chosen
  int tray;
};

TEST(FirstStart, FixedDrivesWithPanelsSystemDriveFirstAndInTheTray) {
  const Case cases[] = {
      {"floppy, system disk, CD-ROM", "a:R c:F d:C", "c:\\", {1}, 1},
      {"two disks, the system on the second", "c:F d:F e:C", "d:\\", {1, 0}, 1},
      {"the system root in capitals", "c:F d:F", "D:\\", {1, 0}, 1},
      {"no system drive known", "a:R c:F e:F", "", {1, 2}, -1},
      {"a system drive the list does not have", "c:F e:F", "x:\\", {0, 1}, -1},
      {"no fixed drive", "a:R d:C g:N", "c:\\", {}, -1},
      {"a network system drive: in the tray, not checked", "c:N d:F", "c:\\", {1}, 0},
      {"a disk that has not answered yet", "c:F d:? e:F", "c:\\", {0, 2}, 0},
      {"twelve disks: the ten with panels", "c:F d:F e:F f:F g:F h:F i:F j:F k:F l:F m:F n:F", "c:\\",
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0},
      {"the system drive beyond the panels: in the tray only", "c:F d:F e:F f:F g:F h:F i:F j:F k:F l:F m:F n:F",
       "m:\\", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 10},
      {"the system drive the tenth panel", "a:R b:R c:F d:F e:F f:F g:F h:F i:F j:F k:F l:F", "j:\\",
       {9, 2, 3, 4, 5, 6, 7, 8}, 9},
      {"no drives at all", "", "c:\\", {}, -1},
  };
  for (const Case& c : cases) {
    const FirstStartChoice choice = ChooseFirstStartDrives(Rows(c.drives), c.systemRoot, 10);
    EXPECT_EQ(choice.checkedRows, c.checked) << c.what;
    EXPECT_EQ(choice.trayRow, c.tray) << c.what;
  }
}

}  // namespace
}  // namespace dorvane
