#pragma once
// What the drive list, the drive panels and the tray tooltip show of a drive row, made
// from the row's numbers in this one place.
#include <cstdint>
#include <string>
#include <vector>

#include "core/DriveCatalog.h"

namespace dorvane {

// The list's columns after the caption, in order: root, label, type, total, used and free
// size texts ("inactive" while the row has no figures), then the total and free byte
// counts in decimal ("0" without figures), which the list keeps but does not show.
inline constexpr int kRowSubItemCount = 8;
// The row caption: the drive number in decimal.
std::string RowCaption(const DriveEntry& row);
std::string RowSubItem(const DriveEntry& row, int index);
std::vector<std::string> RowSubItems(const DriveEntry& row);

// The free space as a size text ("0 bytes" for a row without figures): the panel's bottom
// label and the tooltip line's figure.
std::string FreeSizeText(const DriveEntry& row);
// The panel's top label: the root, or the volume label.
std::string PanelCaption(const DriveEntry& row, bool showRoots);

// What a reader of the screen hears of a panel besides its caption: the free space and
// the free share, "55.36 Gb free, 21 %" (no figures yet: "0 bytes free, 0 %").
std::string PanelReading(const DriveEntry& row);

// The gauge's maximum and progress: whole megabytes of total and free space. Beyond what
// 32 bits hold (drives of 2^51 bytes and more) both are halved together until they fit,
// so the share stays right.
struct GaugeFigures {
  std::int32_t maxValue = 0;
  std::int32_t progress = 0;
};
GaugeFigures PanelGauge(const DriveEntry& row);

}  // namespace dorvane
