// dorvane.exe until the main window exists: prints the drive table and the memory
// readout through the core, as the window will show them.
#include <cstdio>
#include <string>

#include "core/DriveCatalog.h"
#include "core/MemoryReadout.h"
#include "core/NumberFormat.h"
#include "core/TrayFigures.h"
#include "core/win32/Win32Machine.h"

int main() {
  using namespace dorvane;
  SetCurrentSeparators(ReadUserSeparators());
  Win32DriveApi drives;
  Win32MemoryApi memory;
  DriveCatalog catalog(drives, nullptr);
  FillDriveSlots(catalog.Slots());
  catalog.BuildDriveList(true);
  for (DriveEntry& row : catalog.Rows()) row.active = true;
  catalog.RefreshDriveEntries();
  std::printf("%-4s %-5s %-20s %-20s %12s %12s %12s\n", "", "name", "label", "type", "total", "used", "free");
  for (const DriveEntry& row : catalog.Rows()) {
    std::printf("%-4s %-5s %-20s %-20s %12s %12s %12s\n", row.number.c_str(), row.root.c_str(),
                row.label.c_str(), row.typeName.c_str(), row.totalText.c_str(), row.usedText.c_str(),
                row.freeText.c_str());
  }
  const MemoryReadout mem = ReadMemory(memory);
  std::printf("\n%s\nMemory Load: %d%%\n", mem.caption.c_str(), mem.load);
  const TrayFigures tray = ComputeTrayFigures(catalog.Rows(), "current drive", catalog.Space().Query(0));
  std::printf("\nTray tooltip:\n");
  for (char c : tray.tooltip) if (c != '\r') std::putchar(c);
  return 0;
}
