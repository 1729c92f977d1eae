#include "core/FirstStart.h"

#include <string>

#include "core/Text.h"

namespace dorvane {

FirstStartChoice ChooseFirstStartDrives(const std::vector<DriveEntry>& rows, std::string_view systemRoot,
                                        int panels) {
  FirstStartChoice choice;
  const int n = static_cast<int>(rows.size());
  for (int i = 0; i < n; ++i)
    if (!systemRoot.empty() && SameText(rows[static_cast<std::size_t>(i)].root, systemRoot)) choice.trayRow = i;
  const auto shown = [&](int i) { return i < panels && rows[static_cast<std::size_t>(i)].typeName == kTypeFixed; };
  if (choice.trayRow >= 0 && shown(choice.trayRow)) choice.checkedRows.push_back(choice.trayRow);
  for (int i = 0; i < n; ++i)
    if (i != choice.trayRow && shown(i)) choice.checkedRows.push_back(i);
  return choice;
}

}  // namespace dorvane
