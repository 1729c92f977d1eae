#include "core/DriveCatalog.h"

#include <stdexcept>

#include "core/NumberFormat.h"

namespace dorvane {

void FillDriveSlots(DriveSlotTable& slots) {
  for (int k = 1; k <= 26; ++k) {
    slots[k].root = std::string(1, static_cast<char>('a' + k - 1)) + ":\\";
  }
}

DriveClass ClassifyDrive(unsigned driveType, bool ignoreCdRom) {
  switch (driveType) {
    case kDriveRemovable: return {true, kTypeRemovable};
    case kDriveFixed: return {true, kTypeFixed};
    case kDriveRemote: return {true, kTypeNetwork};
    case kDriveCdRom: return {!ignoreCdRom, kTypeCdRom};
    case kDriveRamDisk: return {true, kTypeRam};
    default: return {};
  }
}

int DriveTypeImageIndex(std::string_view typeName) {
  // Image order of the type image list: removable, fixed, CD-ROM, network, RAM.
  if (typeName == kTypeRemovable) return 0;
  if (typeName == kTypeFixed) return 1;
  if (typeName == kTypeCdRom) return 2;
  if (typeName == kTypeNetwork) return 3;
  if (typeName == kTypeRam) return 4;
  return -1;
}

const std::string& DriveEntry::SubItem(int index) const {
  switch (index) {
    case 0: return root;
    case 1: return label;
    case 2: return typeName;
    case 3: return totalText;
    case 4: return usedText;
    case 5: return freeText;
    case 6: return totalBytes;
    case 7: return freeBytes;
    default: throw std::out_of_range("drive row has no sub-item " + std::to_string(index));
  }
}

DriveSpaceQuery::DriveSpaceQuery(IDriveApi& api) : api_(api), extended_(api.HasExtendedSpaceQuery()) {}

DriveSpace DriveSpaceQuery::Query(std::uint8_t driveNumber) const {
  DriveSpace space;
  if (driveNumber > 26) return space;  // no such drive letter
  std::string root;
  if (driveNumber > 0) root = std::string(1, static_cast<char>(64 + driveNumber)) + ":\\";
  const std::string* rootArg = driveNumber > 0 ? &root : nullptr;
  // Asked every second for the monitored and the tray drive, removable ones included.
  const QuietDriveErrors quiet(api_);
  if (extended_) {
    std::int64_t freeBytes = 0, totalBytes = 0;
    if (api_.ExtendedSpace(rootArg, freeBytes, totalBytes)) {
      space.freeBytes = freeBytes;
      space.totalBytes = totalBytes;
    }
  } else {
    ClusterFigures c;
    if (api_.ClusterSpace(rootArg, c)) {
      const std::int64_t cluster = std::int64_t{c.sectorsPerCluster} * c.bytesPerSector;
      space.freeBytes = std::int64_t{c.freeClusters} * cluster;
      space.totalBytes = std::int64_t{c.totalClusters} * cluster;
    }
  }
  return space;
}

int PercentOf(std::int64_t part, std::int64_t whole) {
  if (whole == 0) return 0;
  return static_cast<int>(static_cast<double>(part) * 100.0 / static_cast<double>(whole));
}

DriveCatalog::DriveCatalog(IDriveApi& api, IActivitySink* activity)
    : api_(api), activity_(activity), space_(api) {}

void DriveCatalog::Clear() {
  rows_.clear();
  trayComboItems_.clear();
  exploreRoots_.clear();
}

void DriveCatalog::BuildDriveList(bool ignoreCdRom) {
  trayComboItems_.clear();
  exploreRoots_.clear();
  for (int i = 0; i < DriveSlotTable::kCount; ++i) {
    const std::string root = slots_[i].root;
    const DriveClass cls = ClassifyDrive(api_.DriveType(root), ignoreCdRom);
    if (!cls.accepted) continue;
    std::string label = QueryVolumeLabel(root);
    if (label.empty()) label = kNoName;
    AddDriveEntry(i, root, cls.typeName, label);
    slots_[i].label = label;
  }
}

void DriveCatalog::Rebuild(bool ignoreCdRom) {
  DriveSlotTable slots = slots_;
  std::vector<DriveEntry> rows = rows_;
  std::vector<std::string> comboItems = trayComboItems_, exploreRoots = exploreRoots_;
  try {
    Clear();
    FillDriveSlots(slots_);
    BuildDriveList(ignoreCdRom);
  } catch (...) {
    slots_ = std::move(slots);
    rows_ = std::move(rows);
    trayComboItems_ = std::move(comboItems);
    exploreRoots_ = std::move(exploreRoots);
    throw;
  }
}

DriveEntry& DriveCatalog::AddDriveEntry(int number, const std::string& root,
                                        const std::string& typeName, std::string label) {
  RecordActivity(activity_, "add_to_dlist");
  if (label.empty()) label = kNoName;
  DriveEntry row;
  row.number = std::to_string(number);
  row.root = root;
  row.label = label;
  row.typeName = typeName;
  row.imageIndex = DriveTypeImageIndex(typeName);
  trayComboItems_.push_back(root + " " + label);
  exploreRoots_.push_back(root);
  rows_.push_back(std::move(row));
  return rows_.back();
}

std::string DriveCatalog::QueryVolumeLabel(std::string_view path) {
  std::string root = path.empty() ? std::string() : std::string(1, path[0]);
  root += ":\\";
  const QuietDriveErrors quiet(api_);
  std::string label;
  if (!api_.VolumeLabel(root, label)) label.clear();
  return label;
}

bool DriveCatalog::RefreshDriveEntries() {
  RecordActivity(activity_, "dlist_fill");
  bool changed = false;
  auto assign = [&changed](std::string& field, std::string value) {
    if (field != value) {
      field = std::move(value);
      changed = true;
    }
  };
  for (DriveEntry& row : rows_) {
    if (row.active) {
      const auto number = static_cast<std::uint8_t>(ParseNumber(row.number));
      const DriveSpace space = space_.Query(number);
      if (space.Failed()) continue;
      assign(row.totalText, FormatSize(space.totalBytes));
      assign(row.usedText, FormatSize(space.totalBytes - space.freeBytes));
      assign(row.freeText, FormatSize(space.freeBytes));
      assign(row.totalBytes, std::to_string(space.totalBytes));
      assign(row.freeBytes, std::to_string(space.freeBytes));
    } else {
      assign(row.totalText, kInactive);
      assign(row.usedText, kInactive);
      assign(row.freeText, kInactive);
      assign(row.totalBytes, "0");
      assign(row.freeBytes, "0");
    }
  }
  return changed;
}

int DriveCatalog::CheckedCount() const {
  int count = 0;
  for (const DriveEntry& row : rows_) count += row.active ? 1 : 0;
  return count;
}

}  // namespace dorvane
