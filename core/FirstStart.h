#pragma once
// What a first start monitors, before the user has chosen anything: the fixed drives, so
// that the window shows what the program is for, and the system drive in the tray.
#include <string_view>
#include <vector>

#include "core/DriveCatalog.h"

namespace dorvane {

struct FirstStartChoice {
  // Rows to check: the fixed drives among the rows that have a panel, the system
  // drive's first. A row still waiting for its drive's type is not among them.
  std::vector<int> checkedRows;
  // The system drive's row, for the tray; -1 when the list has none.
  int trayRow = -1;
};

// `systemRoot` names the system drive ("c:\", letter case aside; empty when unknown);
// only the first `panels` rows have a panel.
FirstStartChoice ChooseFirstStartDrives(const std::vector<DriveEntry>& rows, std::string_view systemRoot,
                                        int panels);

}  // namespace dorvane
