#pragma once
// The operating system's side of the drive, memory and locale seams. Only this folder
// calls these system services.
#include <memory>

#include "core/DriveApi.h"
#include "core/Machine.h"
#include "core/MemoryReadout.h"
#include "core/NumberFormat.h"

namespace dorvane {

class Win32DriveApi final : public IDriveApi {
 public:
  Win32DriveApi();
  unsigned DriveType(const std::string& root) override;
  unsigned SetErrorMode(unsigned mode) override;
  bool Volume(const std::string& root, VolumeInfo& volume) override;
  bool HasExtendedSpaceQuery() override { return extended_ != nullptr; }
  bool ExtendedSpace(const std::string* root, std::int64_t& freeToCaller,
                     std::int64_t& total) override;
  bool ClusterSpace(const std::string* root, ClusterFigures& figures) override;

 private:
  void* extended_ = nullptr;  // the extended query, looked up in kernel32 once, at construction
};

class Win32MemoryApi final : public IMemoryApi {
 public:
  MemoryStatus Query() override;
};

class Win32ShellActions final : public IShellActions {
 public:
  bool FileExists(const std::string& path) override;
  void OpenFile(const std::string& path) override;
};

// The per-user Run key under HKEY_CURRENT_USER.
class Win32AutostartList final : public IAutostartList {
 public:
  bool Contains(const std::string& name) override;
  void Write(const std::string& name, const std::string& command) override;
  void Remove(const std::string& name) override;
};

// The root of the drive the system's folder is on, in small letters ("c:\\"); empty when
// the folder is not on a drive letter.
std::string ReadSystemDriveRoot();

// The machine the program runs on.
class Win32Machine final : public IMachine {
 public:
  // The history clock runs as DORVANE_CLOCK_SCALE says when it is set (tests), else it
  // is the system clock.
  Win32Machine();
  IDriveApi& Drives() override { return drives_; }
  IMemoryApi& Memory() override { return memory_; }
  IShellActions& Shell() override { return shell_; }
  IAutostartList& Autostart() override { return autostart_; }
  bool IsNtPlatform() override;
  ScreenSize Screen() override;
  std::string SystemDriveRoot() override { return ReadSystemDriveRoot(); }
  std::vector<ScreenRect> WorkAreas() override;
  std::int64_t Now() override { return clock_.Now(); }

 private:
  HistoryClock clock_;
  Win32DriveApi drives_;
  Win32MemoryApi memory_;
  Win32ShellActions shell_;
  Win32AutostartList autostart_;
};

// The decimal and thousands separators of the user's regional settings.
NumberSeparators ReadUserSeparators();

}  // namespace dorvane
