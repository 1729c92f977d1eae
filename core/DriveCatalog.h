#pragma once
// The drive catalogue: which drives exist, how they are classified and labelled, and
// their space figures, held as the rows of the drive list.
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Activity.h"
#include "core/DriveApi.h"

namespace dorvane {

// Slot k (1..26) holds the root "a:\".."z:\" of drive number k and the label found for it
// at the last build; slot 0 has an empty root.
struct DriveSlot {
  std::string root;
  std::string label;
};

class DriveSlotTable {
 public:
  static constexpr int kCount = 27;
  DriveSlot& operator[](int index) { return slots_.at(static_cast<std::size_t>(index)); }
  const DriveSlot& operator[](int index) const { return slots_.at(static_cast<std::size_t>(index)); }

 private:
  std::array<DriveSlot, kCount> slots_{};
};

// Writes the 26 root paths; slot 0 and the labels are left alone.
void FillDriveSlots(DriveSlotTable& slots);

inline constexpr const char* kTypeRemovable = "Removable/Diskette";
inline constexpr const char* kTypeFixed = "Fixed/HD";
inline constexpr const char* kTypeNetwork = "Network Drive";
inline constexpr const char* kTypeCdRom = "CD-Rom";
inline constexpr const char* kTypeRam = "RAM Drive";
inline constexpr const char* kNoName = "no name";
inline constexpr const char* kInactive = "inactive";

struct DriveClass {
  bool accepted = false;
  const char* typeName = "";
};

// Which drive-type codes make a row; CD-ROM drives only while "ignore cd-rom" is off.
DriveClass ClassifyDrive(unsigned driveType, bool ignoreCdRom);

// Image of the drive list's type images for a type name (exact comparison), -1 for none.
int DriveTypeImageIndex(std::string_view typeName);

// Space of one drive; both figures are -1 when the query failed.
struct DriveSpace {
  std::int64_t freeBytes = -1;
  std::int64_t totalBytes = -1;
  bool Failed() const { return freeBytes <= -1; }
  bool operator==(const DriveSpace&) const = default;
};

// A drive's answer with its age: the round of drive queries (a tick, a build of the list)
// that asked for it, and when it came.
template <typename T>
struct DriveAnswer {
  T value{};
  std::uint64_t round = 0;
  std::chrono::steady_clock::time_point at{};
};
using DriveReading = DriveAnswer<DriveSpace>;

// One row of the drive list, kept as numbers; DriveTexts turns them into what the list,
// the panels and the tooltip show.
struct DriveEntry {
  int number = 0;  // the drive number (1 = a, ..., 26 = z): the key for the space query
  std::string root;
  std::string label;
  std::string typeName;
  std::uint32_t volumeSerial = 0;  // of the volume the label was read from
  // The figures shown; none before the first reading of a checked row, and for a row
  // that is not checked ("inactive").
  std::optional<DriveReading> reading;
  bool active = false;  // the row's check mark: the drive is monitored
  int imageIndex = -1;
  // The drive had not answered when the row was made: its type (the row stands for a
  // drive that exists but has no type name yet) or its label ("no name" meanwhile).
  bool typePending = false;
  bool labelPending = false;

  std::int64_t TotalBytes() const { return reading ? reading->value.totalBytes : 0; }
  std::int64_t FreeBytes() const { return reading ? reading->value.freeBytes : 0; }
};

// Space queries by drive number (0 = the current drive, 1 = a, ..., 26 = z).
class DriveSpaceQuery {
 public:
  explicit DriveSpaceQuery(IDriveApi& api);
  // Both figures with one system query; free is the space available to the user.
  DriveSpace Query(std::uint8_t driveNumber) const;
  std::int64_t DriveFreeBytes(std::uint8_t driveNumber) const { return Query(driveNumber).freeBytes; }
  std::int64_t DriveTotalBytes(std::uint8_t driveNumber) const { return Query(driveNumber).totalBytes; }

 private:
  IDriveApi& api_;
  bool extended_;
};

// Label and serial number of the volume of the drive named by the first character of
// path, read with the critical-error mode on (no "insert a disk" dialog) and the previous
// mode always restored; an empty label and serial 0 when they cannot be read.
VolumeInfo QueryVolume(IDriveApi& api, std::string_view path);
// The label alone.
std::string QueryVolumeLabel(IDriveApi& api, std::string_view path);

// How long the window waits for a drive's answer (see DriveQueries): far longer than a
// drive that works takes, and short enough that a tick kept waiting by a drive that has
// just stopped answering still answers its window's messages within 100 ms.
inline constexpr std::chrono::milliseconds kDriveAnswerWait{50};

class DriveQueries;

// Whole-number percentage of part in whole, truncated toward zero; 0 for a zero whole.
// Taken on 64-bit values so that drives beyond 214,748,364,700 bytes come out right.
int PercentOf(std::int64_t part, std::int64_t whole);

// The catalogue asks the drives through DriveQueries: no call waits on a drive for longer
// than one round's wait, and each answer is taken only where its age allows (see the
// operations below).
class DriveCatalog {
 public:
  DriveCatalog(IDriveApi& api, IActivitySink* activity,
               std::chrono::milliseconds answerWait = kDriveAnswerWait);
  ~DriveCatalog();

  DriveSlotTable& Slots() { return slots_; }
  const std::vector<DriveEntry>& Rows() const { return rows_; }
  std::vector<DriveEntry>& Rows() { return rows_; }
  // The row of a drive root such as "c:\" (letter case aside), -1 when none is listed.
  int RowOf(std::string_view root) const;
  // Row-aligned texts for the tray drive combo box ("c:\ SYSTEM") and the roots of the
  // "Explore drive" menu: item k always stands for row k.
  const std::vector<std::string>& TrayComboItems() const { return trayComboItems_; }
  const std::vector<std::string>& ExploreRoots() const { return exploreRoots_; }
  const DriveSpaceQuery& Space() const { return space_; }
  DriveQueries& Queries() { return *queries_; }
  // The round of drive queries under way (see DriveQueries).
  std::uint64_t Round() const;
  // Starts a round of drive queries (see DriveQueries): once per tick. The round's queries
  // go to the worker together: the types and labels that rows still wait for, the space of
  // the tray drive when there is one, and the space of the checked rows when their
  // figures are to be read.
  void BeginRound(std::optional<std::uint8_t> trayDrive = std::nullopt, bool rowFigures = true);

  // Asks every drive's type ahead of the first build of the list (at start-up, while
  // the window is still being made): that build then has them at once.
  void PrefetchTypes();
  // Empties the list (its rows, combo items and explore entries).
  void Clear();
  // Scans slots 0..26 and appends one row per accepted drive; the combo and explore lists
  // are emptied first and rebuilt with the rows. Its own round, whose answers alone it
  // takes: a drive that does not answer in time gets a row that waits for its type and
  // label, and an answer asked before the build (perhaps of another volume that had the
  // letter then) is never taken.
  void BuildDriveList(bool ignoreCdRom);
  // Clears the list and builds it again from every drive slot, all or nothing: when a
  // query fails part-way the catalogue is left as it was (so are the views that mirror
  // it) and the failure goes on to the caller.
  void Rebuild(bool ignoreCdRom);
  DriveEntry& AddDriveEntry(int number, const std::string& root, const std::string& typeName,
                            std::string label);
  // The label query on the calling thread (see the free function).
  std::string QueryVolumeLabel(std::string_view path);
  // Takes this round's reading of every checked row (unchecked rows have none: "inactive").
  // A checked row whose drive has no newer reading, or whose query failed, keeps its
  // figures. Returns whether any figure changed.
  bool RefreshDriveEntries();
  // The reading of a drive for this round, the same for every caller in the round (the
  // tray and its row alike): this round's answer, or, from a drive that answers late,
  // its latest one (see DriveQueries); none when it has not answered for a while.
  std::optional<DriveReading> LatestSpace(std::uint8_t driveNumber);
  // The reading this round took of a drive, when someone asked for it this round and the
  // drive answered this round's query with figures; null otherwise. Asks nothing: it is
  // what the round has read anyway.
  const DriveReading* ReadThisRound(std::uint8_t driveNumber) const;
  // Fills in the types and labels of rows whose drives have answered since the build. A
  // row whose drive turns out to be of a kind the list does not take is removed.
  struct LateAnswers {
    bool textsChanged = false;
    bool rowsRemoved = false;
  };
  LateAnswers TakeLateAnswers();
  // Some row still waits for its drive's type or label.
  bool AwaitsAnswers() const;
  int CheckedCount() const;
  // Whether a drive came or went since the last build: its own round of type queries,
  // in which a drive that does not answer counts as unchanged. False before any build.
  bool DriveSetChanged();

 private:
  // A round of drive queries with nothing read yet.
  void NewRound();

  IDriveApi& api_;
  IActivitySink* activity_;
  DriveSpaceQuery space_;
  DriveSlotTable slots_;
  std::vector<DriveEntry> rows_;
  std::vector<std::string> trayComboItems_;
  std::vector<std::string> exploreRoots_;
  std::unique_ptr<DriveQueries> queries_;
  // This round's reading of each drive once asked for, none included: asked once a round.
  struct RoundReading {
    bool asked = false;
    std::optional<DriveReading> reading;
  };
  std::array<RoundReading, DriveSlotTable::kCount> roundSpace_{};
  // As at the last build: "ignore cd-rom", for types that come later; its round, the
  // oldest whose answers its rows take; the type each slot answered, none unanswered.
  bool ignoreCdRom_ = true;
  std::uint64_t buildRound_ = 0;
  bool built_ = false;
  std::array<std::optional<unsigned>, DriveSlotTable::kCount> builtTypes_{};
};

}  // namespace dorvane
