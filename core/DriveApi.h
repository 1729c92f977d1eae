#pragma once
// The machine's drive services as the catalogue needs them. core/win32 implements this
// with the operating system; tests script it.
#include <cstdint>
#include <string>

namespace dorvane {

// Drive-type codes as the operating system reports them.
enum DriveTypeCode : unsigned {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};

// Error mode that keeps the system from asking the user to insert a disk.
constexpr unsigned kFailCriticalErrors = 0x0001;

// What the label query tells of a volume: its label and its serial number, which tells
// one volume from another that later takes the same drive letter.
struct VolumeInfo {
  std::string label;
  std::uint32_t serial = 0;
  bool operator==(const VolumeInfo&) const = default;
};

struct ClusterFigures {
  std::uint32_t sectorsPerCluster = 0;
  std::uint32_t bytesPerSector = 0;
  std::uint32_t freeClusters = 0;
  std::uint32_t totalClusters = 0;
};

class IDriveApi {
 public:
  virtual ~IDriveApi() = default;
  // Drive-type code of a root path such as "c:\"; an empty path gives kDriveNoRootDir.
  virtual unsigned DriveType(const std::string& root) = 0;
  // Sets the process error mode and returns the previous one.
  virtual unsigned SetErrorMode(unsigned mode) = 0;
  // Label and serial number of a root's volume; false when they cannot be read (no media).
  virtual bool Volume(const std::string& root, VolumeInfo& volume) = 0;
  // Whether the extended space query exists on this system (decided once, at start).
  virtual bool HasExtendedSpaceQuery() = 0;
  // Extended space query: bytes free to the calling user and total bytes. A null root
  // means the current drive.
  virtual bool ExtendedSpace(const std::string* root, std::int64_t& freeToCaller,
                             std::int64_t& total) = 0;
  // Older, cluster-based query, used only without the extended one.
  virtual bool ClusterSpace(const std::string* root, ClusterFigures& figures) = 0;
};

// Keeps the system from asking the user to insert a disk while it lives (a drive without
// media would otherwise raise a dialog on every query) and puts back the error mode it
// found on every way out.
class QuietDriveErrors {
 public:
  explicit QuietDriveErrors(IDriveApi& api) : api_(api), previous_(api.SetErrorMode(kFailCriticalErrors)) {}
  ~QuietDriveErrors() { api_.SetErrorMode(previous_); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  IDriveApi& api_;
  unsigned previous_;
};

}  // namespace dorvane
