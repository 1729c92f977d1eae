#pragma once
// A scripted machine for the drive and memory seams: drives by letter with type, label,
// readiness and space; records what the catalogue asked for. The drive calls may come from
// the drive queries' worker threads: they take a lock, and a drive can be made to hang.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/DriveApi.h"
#include "core/MemoryReadout.h"

namespace dorvane::testing {

// A drive that does not answer: every call that reaches the gate blocks until it opens,
// or until the calls waiting at it are let through (a slow drive: each answer comes after
// its caller has stopped waiting).
class DriveGate {
 public:
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  // Lets the calls that have reached the gate so far through; later ones wait again.
  void ReleaseArrived() {
    std::lock_guard lock(mutex_);
    released_ = reached_;
    changed_.notify_all();
  }
  // Calls waiting at the gate now.
  int Waiting() const {
    std::lock_guard lock(mutex_);
    return open_ ? 0 : reached_ - released_;
  }
  // Calls that have reached the gate so far (blocked or let through).
  int Reached() const {
    std::lock_guard lock(mutex_);
    return reached_;
  }
  void Pass() {
    std::unique_lock lock(mutex_);
    const int ticket = ++reached_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return open_ || released_ >= ticket; });
  }
  // Waits until `calls` calls have reached the gate (a guard against a hang, not a timing).
  bool WaitReached(int calls) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return reached_ >= calls; });
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool open_ = false;
  int reached_ = 0;
  int released_ = 0;
};

// A clock for what the drive queries measure (how long a query took, when it came): it
// moves only as far as the scripted drives say their queries take, so a duration is
// exactly what a test scripts, however loaded the machine.
class ScriptedClock {
 public:
  std::chrono::steady_clock::time_point Now() const {
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(ticks_.load()));
  }
  void Advance(std::chrono::nanoseconds by) { ticks_ += by.count(); }

 private:
  std::atomic<std::int64_t> ticks_{1};
};

struct ScriptedDrive {
  unsigned type = kDriveFixed;
  std::string label;
  bool ready = true;  // false: no media; label and space queries fail
  std::int64_t freeBytes = 0;
  std::int64_t totalBytes = 0;
  std::shared_ptr<DriveGate> hang = nullptr;  // set: every call for this drive waits at the gate
  std::uint32_t serial = 0;                   // of the volume
  std::chrono::milliseconds takes{0};         // how far each call moves the scripted clock
};

class ScriptedDriveApi : public IDriveApi {
 public:
  std::map<char, ScriptedDrive> drives;  // by lower-case letter
  char currentDrive = 'c';
  bool extended = true;
  unsigned errorMode = 0;
  bool throwOnLabel = false;
  char labelThrowsFor = 0;  // a drive letter whose label query throws
  bool throwOnSpace = false;
  // Observations.
  std::vector<unsigned> modeDuringLabelQuery;
  std::vector<unsigned> modeDuringSpaceQuery;
  std::vector<std::string> labelRoots;
  int spaceQueries = 0;
  // Shared by copies; the drive queries read it when a test hands it to them.
  std::shared_ptr<ScriptedClock> clock = std::make_shared<ScriptedClock>();

  // Floppy a: without media, fixed c: "SYSTEM", CD-ROM d: "AUDIO CD".
  // Makes a drive hang until the returned gate opens.
  std::shared_ptr<DriveGate> Hang(char letter) {
    auto gate = std::make_shared<DriveGate>();
    std::lock_guard lock(lock_.mutex);
    drives.at(letter).hang = gate;
    return gate;
  }

  static ScriptedDriveApi FloppyHardDiskCdRom() {
    ScriptedDriveApi api;
    api.drives['a'] = {kDriveRemovable, "", false, 0, 0};
    api.drives['c'] = {kDriveFixed, "SYSTEM", true, 2'000'000'000, 20'000'000'000};
    api.drives['d'] = {kDriveCdRom, "AUDIO CD", true, 0, 650'000'000};
    return api;
  }

  void SetSpace(char letter, std::int64_t freeBytes, std::int64_t totalBytes) {
    drives.at(letter).freeBytes = freeBytes;
    drives.at(letter).totalBytes = totalBytes;
  }

  unsigned DriveType(const std::string& root) override {
    if (root.empty()) return kDriveNoRootDir;
    const Call call = Enter(root);
    const ScriptedDrive* d = call.Drive();
    return d ? d->type : kDriveNoRootDir;
  }
  unsigned SetErrorMode(unsigned mode) override {
    std::lock_guard lock(lock_.mutex);
    const unsigned previous = errorMode;
    errorMode = mode;
    return previous;
  }
  bool Volume(const std::string& root, VolumeInfo& volume) override {
    const Call call = Enter(root);
    modeDuringLabelQuery.push_back(errorMode);
    labelRoots.push_back(root);
    if (throwOnLabel || (labelThrowsFor && !root.empty() && root[0] == labelThrowsFor))
      throw std::runtime_error("label query failed");
    const ScriptedDrive* d = call.Drive();
    if (!d || !d->ready) return false;
    volume = {d->label, d->serial};
    return true;
  }
  bool HasExtendedSpaceQuery() override { return extended; }
  bool ExtendedSpace(const std::string* root, std::int64_t& freeToCaller,
                     std::int64_t& total) override {
    const Call call = Enter(root ? *root : std::string(1, currentDrive));
    const ScriptedDrive* d = SpaceQueried(call);
    if (!d) return false;
    freeToCaller = d->freeBytes;
    total = d->totalBytes;
    return true;
  }
  // Clusters of 4096 bytes (8 sectors of 512).
  bool ClusterSpace(const std::string* root, ClusterFigures& figures) override {
    const Call call = Enter(root ? *root : std::string(1, currentDrive));
    const ScriptedDrive* d = SpaceQueried(call);
    if (!d) return false;
    figures.sectorsPerCluster = 8;
    figures.bytesPerSector = 512;
    figures.freeClusters = static_cast<std::uint32_t>(d->freeBytes / 4096);
    figures.totalClusters = static_cast<std::uint32_t>(d->totalBytes / 4096);
    return true;
  }

 private:
  // Copies share no lock (a mutex cannot be copied).
  struct Lock {
    std::mutex mutex;
    Lock() = default;
    Lock(const Lock&) {}
    Lock& operator=(const Lock&) { return *this; }
  };
  // One call about a drive, under the lock. A drive that hangs answers as it was when it
  // was asked, as a system call that has long been under way does: the volume may have
  // changed meanwhile.
  struct Call {
    std::unique_lock<std::mutex> lock;
    std::optional<ScriptedDrive> asAsked;
    const ScriptedDrive* found = nullptr;
    const ScriptedDrive* Drive() const { return asAsked ? &*asAsked : found; }
  };
  // A hanging drive first waits at its gate, without the lock, so the other drives still
  // answer.
  Call Enter(const std::string& root) {
    Call call{std::unique_lock(lock_.mutex), std::nullopt, Find(root)};
    if (std::shared_ptr<DriveGate> gate = call.found ? call.found->hang : nullptr) {
      call.asAsked = *call.found;
      call.lock.unlock();
      gate->Pass();
      call.lock.lock();
    }
    if (const ScriptedDrive* d = call.Drive()) clock->Advance(d->takes);
    return call;
  }
  Lock lock_;

  // Records a space query; the drive it answers for, null when it has no media.
  const ScriptedDrive* SpaceQueried(const Call& call) {
    ++spaceQueries;
    modeDuringSpaceQuery.push_back(errorMode);
    if (throwOnSpace) throw std::runtime_error("space query failed");
    const ScriptedDrive* d = call.Drive();
    return d && d->ready ? d : nullptr;
  }
  const ScriptedDrive* Find(const std::string& root) const {
    if (root.empty()) return nullptr;
    char letter = root[0];
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    const auto it = drives.find(letter);
    return it == drives.end() ? nullptr : &it->second;
  }
};

class ScriptedMemoryApi : public IMemoryApi {
 public:
  MemoryStatus status{37, 536'281'088};
  bool fail = false;
  MemoryStatus Query() override {
    if (fail) throw std::runtime_error("no memory status");
    return status;
  }
};

}  // namespace dorvane::testing
