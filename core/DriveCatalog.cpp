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

VolumeInfo QueryVolume(IDriveApi& api, std::string_view path) {
  std::string root = path.empty() ? std::string() : std::string(1, path[0]);
  root += ":\\";
  const QuietDriveErrors quiet(api);
  VolumeInfo volume;
  if (!api.Volume(root, volume)) volume = {};
  return volume;
}

std::string QueryVolumeLabel(IDriveApi& api, std::string_view path) { return QueryVolume(api, path).label; }

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

std::uint64_t DriveCatalog::Round() const { return queries_->Round(); }

int DriveCatalog::RowOf(std::string_view root) const {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const std::string& r = rows_[i].root;
    if (r.size() == root.size() && std::equal(r.begin(), r.end(), root.begin(), [&](char a, char b) {
          return lower(a) == lower(b);
        }))
      return static_cast<int>(i);
  }
  return -1;
}

void DriveCatalog::NewRound() {
  queries_->BeginRound();
  roundSpace_ = {};
}

void DriveCatalog::BeginRound(std::optional<std::uint8_t> trayDrive, bool rowFigures) {
  NewRound();
  std::vector<DriveQuery> planned;
  for (const DriveEntry& row : rows_) {
    if (row.typePending) planned.push_back(DriveQuery::Type(row.root));
    else if (row.labelPending) planned.push_back(DriveQuery::Label(row.root));
  }
  std::vector<DriveQuery> spaces;
  std::array<bool, DriveSlotTable::kCount> spacePlanned{};
  const auto planSpace = [&](int number) {
    if (number < 0 || number >= DriveSlotTable::kCount || spacePlanned[static_cast<std::size_t>(number)]) return;
    spacePlanned[static_cast<std::size_t>(number)] = true;
    spaces.push_back(DriveQuery::Space(static_cast<std::uint8_t>(number)));
  };
  if (trayDrive) planSpace(*trayDrive);
  if (rowFigures) {
    for (const DriveEntry& row : rows_)
      if (row.active) planSpace(row.number);
  }
  // The types and labels rows wait for are taken as they come (any asked since the build);
  // space is asked anew every round.
  queries_->Start(planned, buildRound_);
  queries_->Start(spaces);
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
  const std::uint64_t round = queries_->Round();
  // Every type at once, then the labels of the drives the list takes: all of this round.
  std::vector<DriveQuery> planned = EveryType(slots_);
  queries_->Start(planned);
  std::array<std::optional<unsigned>, DriveSlotTable::kCount> types;
  planned.clear();
  for (int i = 0; i < DriveSlotTable::kCount; ++i) {
    const auto type = queries_->DriveType(slots_[i].root);
    if (type && type->round >= round) types[static_cast<std::size_t>(i)] = type->value;
    const std::optional<unsigned> known = types[static_cast<std::size_t>(i)];
    if (known && ClassifyDrive(*known, ignoreCdRom).accepted) planned.push_back(DriveQuery::Label(slots_[i].root));
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
    const auto volume = queries_->Volume(root);
    const bool answered = volume && volume->round >= round;
    const std::string text = answered && !volume->value.label.empty() ? volume->value.label : kNoName;
    DriveEntry& row = AddDriveEntry(i, root, cls.typeName, text);
    row.labelPending = !answered;
    if (answered) row.volumeSerial = volume->value.serial;
    slots_[i].label = text;
  }
  builtTypes_ = types;
  buildRound_ = round;
  built_ = true;
}

void DriveCatalog::Rebuild(bool ignoreCdRom) {
  DriveSlotTable slots = slots_;
  std::vector<DriveEntry> rows = rows_;
  std::vector<std::string> comboItems = trayComboItems_, exploreRoots = exploreRoots_;
  const auto builtTypes = builtTypes_;
  const std::uint64_t buildRound = buildRound_;
  const bool built = built_, ignoredCdRom = ignoreCdRom_;
  try {
    Clear();
    FillDriveSlots(slots_);
    BuildDriveList(ignoreCdRom);
  } catch (...) {
    slots_ = std::move(slots);
    rows_ = std::move(rows);
    trayComboItems_ = std::move(comboItems);
    exploreRoots_ = std::move(exploreRoots);
    builtTypes_ = builtTypes;
    buildRound_ = buildRound;
    built_ = built;
    ignoreCdRom_ = ignoredCdRom;
    throw;
  }
}

DriveEntry& DriveCatalog::AddDriveEntry(int number, const std::string& root,
                                        const std::string& typeName, std::string label) {
  RecordActivity(activity_, "add_to_dlist");
  if (label.empty()) label = kNoName;
  DriveEntry row;
  row.number = number;
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
  for (DriveEntry& row : rows_) {
    if (!row.active) {
      changed = changed || row.reading.has_value();
      row.reading.reset();
      continue;
    }
    const std::optional<DriveReading> reading = LatestSpace(static_cast<std::uint8_t>(row.number));
    // A failed query leaves the figures, as does a drive that has not answered for a while.
    if (!reading || reading->value.Failed()) continue;
    changed = changed || !row.reading || row.reading->value != reading->value;
    row.reading = reading;
  }
  return changed;
}

std::optional<DriveReading> DriveCatalog::LatestSpace(std::uint8_t driveNumber) {
  if (driveNumber >= DriveSlotTable::kCount) return DriveReading{DriveSpace{}, queries_->Round(), {}};
  RoundReading& entry = roundSpace_[driveNumber];
  if (!entry.asked) {
    entry.reading = queries_->Space(driveNumber);
    entry.asked = true;
  }
  return entry.reading;
}

const DriveReading* DriveCatalog::ReadThisRound(std::uint8_t driveNumber) const {
  if (driveNumber >= DriveSlotTable::kCount) return nullptr;
  const RoundReading& entry = roundSpace_[driveNumber];
  if (!entry.asked || !entry.reading || entry.reading->round != Round() || entry.reading->value.Failed()) return nullptr;
  return &*entry.reading;
}

DriveCatalog::LateAnswers DriveCatalog::TakeLateAnswers() {
  LateAnswers late;
  for (std::size_t i = 0; i < rows_.size();) {
    DriveEntry& row = rows_[i];
    if (row.typePending) {
      const auto type = queries_->DriveType(row.root, buildRound_);
      if (!type || type->round < buildRound_) {
        ++i;
        continue;
      }
      builtTypes_[static_cast<std::size_t>(row.number)] = type->value;
      const DriveClass cls = ClassifyDrive(type->value, ignoreCdRom_);
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
      const auto volume = queries_->Volume(row.root, buildRound_);
      if (volume && volume->round >= buildRound_) {
        row.labelPending = false;
        row.volumeSerial = volume->value.serial;
        const std::string text = volume->value.label.empty() ? kNoName : volume->value.label;
        if (text != row.label) {
          row.label = text;
          trayComboItems_[i] = row.root + " " + text;
          slots_[row.number].label = text;
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

bool DriveCatalog::DriveSetChanged() {
  if (!built_) return false;
  NewRound();
  const std::uint64_t round = queries_->Round();
  const std::vector<DriveQuery> planned = EveryType(slots_);
  queries_->Start(planned);
  bool changed = false;
  for (int i = 0; i < DriveSlotTable::kCount; ++i) {
    const auto type = queries_->DriveType(slots_[i].root);
    const std::optional<unsigned> before = builtTypes_[static_cast<std::size_t>(i)];
    if (!type || type->round < round || !before) continue;
    // A listed drive of another kind counts as well: its row would read otherwise.
    const bool listedNow = ClassifyDrive(type->value, ignoreCdRom_).accepted;
    const bool listedThen = ClassifyDrive(*before, ignoreCdRom_).accepted;
    changed = changed || listedNow != listedThen || (listedNow && type->value != *before);
  }
  return changed;
}

}  // namespace dorvane
