#include "core/DriveTexts.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "core/NumberFormat.h"

namespace dorvane {

std::string RowCaption(const DriveEntry& row) { return std::to_string(row.number); }

std::string RowSubItem(const DriveEntry& row, int index) {
  const bool figures = row.reading.has_value();
  switch (index) {
    case 0: return row.root;
    case 1: return row.label;
    case 2: return row.typeName;
    case 3: return figures ? FormatSize(row.TotalBytes()) : kInactive;
    case 4: return figures ? FormatSize(row.TotalBytes() - row.FreeBytes()) : kInactive;
    case 5: return figures ? FormatSize(row.FreeBytes()) : kInactive;
    case 6: return std::to_string(row.TotalBytes());
    case 7: return std::to_string(row.FreeBytes());
    default: throw std::out_of_range("drive row has no sub-item " + std::to_string(index));
  }
}

std::vector<std::string> RowSubItems(const DriveEntry& row) {
  std::vector<std::string> texts;
  texts.reserve(kRowSubItemCount);
  for (int i = 0; i < kRowSubItemCount; ++i) texts.push_back(RowSubItem(row, i));
  return texts;
}

std::string FreeSizeText(const DriveEntry& row) { return FormatSize(row.FreeBytes()); }

std::string PanelReading(const DriveEntry& row) {
  return FreeSizeText(row) + " free, " + std::to_string(PercentOf(row.FreeBytes(), row.TotalBytes())) + " %";
}

std::string PanelCaption(const DriveEntry& row, bool showRoots) { return showRoots ? row.root : row.label; }

GaugeFigures PanelGauge(const DriveEntry& row) {
  constexpr std::int64_t kMegabyte = 1048576;
  constexpr std::int64_t kMost = std::numeric_limits<std::int32_t>::max();
  std::int64_t maxValue = std::max<std::int64_t>(row.TotalBytes() / kMegabyte, 0);
  std::int64_t progress = std::max<std::int64_t>(row.FreeBytes() / kMegabyte, 0);
  while (maxValue > kMost || progress > kMost) {
    maxValue /= 2;
    progress /= 2;
  }
  return {static_cast<std::int32_t>(maxValue), static_cast<std::int32_t>(progress)};
}

}  // namespace dorvane
