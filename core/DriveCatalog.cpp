#include "core/DriveCatalog.h"

#include <algorithm>
#include <stdexcept>

#include "core/DriveQueries.h"
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

std::string QueryVolumeLabel(IDriveApi& api, std::string_view path) {
  std::string root = path.empty() ? std::string() : std::string(1, path[0]);
  root += ":\\";
  const QuietDriveErrors quiet(api);
  std::string label;
  if (!api.VolumeLabel(root, label)) label.clear();
  return label;
}

namespace {
// The type query of every drive slot, in slot order.
std::vector<DriveQuery> EveryType(const DriveSlotTable& slots) {
  std::vector<DriveQuery> queries;
  for (int i = 0; i < DriveSlotTable::kCount; ++i) queries.push_back(DriveQuery::Type(slots[i].root));
  return queries;
}
}  // namespace

DriveCatalog::DriveCatalog(IDriveApi& api, IActivitySink* activity, std::chrono::milliseconds answerWait)
    : api_(api), activity_(activity), space_(api), queries_(std::make_unique<DriveQueries>(api, answerWait)) {}

DriveCatalog::~DriveCatalog() = default;

void DriveCatalog::NewRound() {
  queries_->BeginRound();
  plannedSpace_ = {};
  roundSpace_ = {};
}

void DriveCatalog::BeginRound(std::optional<std::uint8_t> trayDrive, bool rowFigures) {
  NewRound();
  std::vector<DriveQuery> planned;
  for (const DriveEntry& row : rows_) {
    if (row.typePending) planned.push_back(DriveQuery::Type(row.root));
    else if (row.labelPending) planned.push_back(DriveQuery::Label(row.root));
  }
  const auto planSpace = [&](std::uint8_t number) {
    if (number >= DriveSlotTable::kCount || plannedSpace_[number]) return;
    plannedSpace_[number] = true;
    planned.push_back(DriveQuery::Space(number));
  };
  if (trayDrive) planSpace(*trayDrive);
  if (rowFigures) {
    for (const DriveEntry& row : rows_)
      if (row.active) planSpace(static_cast<std::uint8_t>(ParseNumber(row.number)));
  }
  queries_->Start(planned);
}

void DriveCatalog::PrefetchTypes() {
  DriveSlotTable slots;
  FillDriveSlots(slots);
  queries_->Prefetch(EveryType(slots));
}

void DriveCatalog::Clear() {
  rows_.clear();
  trayComboItems_.clear();
  exploreRoots_.clear();
}

void DriveCatalog::BuildDriveList(bool ignoreCdRom) {
  trayComboItems_.clear();
  exploreRoots_.clear();
  ignoreCdRom_ = ignoreCdRom;
  NewRound();
  // Every type at once, then the labels of the drives the list takes.
  std::vector<DriveQuery> planned = EveryType(slots_);
  queries_->Start(planned);
  std::array<std::optional<unsigned>, DriveSlotTable::kCount> types;
  planned.clear();
  for (int i = 0; i < DriveSlotTable::kCount; ++i) {
    types[static_cast<std::size_t>(i)] = queries_->DriveType(slots_[i].root);
    const std::optional<unsigned> type = types[static_cast<std::size_t>(i)];
    if (type && ClassifyDrive(*type, ignoreCdRom).accepted) planned.push_back(DriveQuery::Label(slots_[i].root));
  }
  queries_->Start(planned);
  for (int i = 0; i < DriveSlotTable::kCount; ++i) {
    const std::string root = slots_[i].root;
    const std::optional<unsigned> type = types[static_cast<std::size_t>(i)];
    if (!type) {
      // A drive that exists but does not answer: listed without a type until it does.
      DriveEntry& row = AddDriveEntry(i, root, "", kNoName);
      row.typePending = row.labelPending = true;
      slots_[i].label = kNoName;
      continue;
    }
    const DriveClass cls = ClassifyDrive(*type, ignoreCdRom);
    if (!cls.accepted) continue;
    const std::optional<std::string> label = queries_->VolumeLabel(root);
    const std::string text = label && !label->empty() ? *label : kNoName;
    AddDriveEntry(i, root, cls.typeName, text).labelPending = !label;
    slots_[i].label = text;
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

std::string DriveCatalog::QueryVolumeLabel(std::string_view path) { return dorvane::QueryVolumeLabel(api_, path); }

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
      const DriveSpace space = LatestSpace(number);
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

DriveSpace DriveCatalog::LatestSpace(std::uint8_t driveNumber) {
  if (driveNumber >= DriveSlotTable::kCount || !plannedSpace_[driveNumber])
    return queries_->Space(driveNumber).value_or(DriveSpace{});
  std::optional<DriveSpace>& space = roundSpace_[driveNumber];
  if (!space) space = queries_->Space(driveNumber);
  return space.value_or(DriveSpace{});
}

DriveCatalog::LateAnswers DriveCatalog::TakeLateAnswers() {
  LateAnswers late;
  for (std::size_t i = 0; i < rows_.size();) {
    DriveEntry& row = rows_[i];
    if (row.typePending) {
      const std::optional<unsigned> type = queries_->DriveType(row.root);
      if (!type) {
        ++i;
        continue;
      }
      const DriveClass cls = ClassifyDrive(*type, ignoreCdRom_);
      if (!cls.accepted) {
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
        trayComboItems_.erase(trayComboItems_.begin() + static_cast<std::ptrdiff_t>(i));
        exploreRoots_.erase(exploreRoots_.begin() + static_cast<std::ptrdiff_t>(i));
        late.rowsRemoved = true;
        continue;
      }
      row.typePending = false;
      row.typeName = cls.typeName;
      row.imageIndex = DriveTypeImageIndex(row.typeName);
      late.textsChanged = true;
    }
    if (row.labelPending) {
      if (const std::optional<std::string> label = queries_->VolumeLabel(row.root)) {
        row.labelPending = false;
        const std::string text = label->empty() ? kNoName : *label;
        if (text != row.label) {
          row.label = text;
          trayComboItems_[i] = row.root + " " + text;
          slots_[static_cast<int>(ParseNumber(row.number))].label = text;
          late.textsChanged = true;
        }
      }
    }
    ++i;
  }
  return late;
}

bool DriveCatalog::AwaitsAnswers() const {
  return std::any_of(rows_.begin(), rows_.end(), [](const DriveEntry& row) { return row.typePending || row.labelPending; });
}

int DriveCatalog::CheckedCount() const {
  int count = 0;
  for (const DriveEntry& row : rows_) count += row.active ? 1 : 0;
  return count;
}

}  // namespace dorvane
