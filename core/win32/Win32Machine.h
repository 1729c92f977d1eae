#pragma once
// The operating system's side of the drive, memory and locale seams. Only this folder
// calls these system services.
#include "core/DriveApi.h"
#include "core/MemoryReadout.h"
#include "core/NumberFormat.h"

namespace dorvane {

class Win32DriveApi final : public IDriveApi {
 public:
  Win32DriveApi();
  unsigned DriveType(const std::string& root) override;
  unsigned SetErrorMode(unsigned mode) override;
  bool VolumeLabel(const std::string& root, std::string& label) override;
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

// The decimal and thousands separators of the user's regional settings.
NumberSeparators ReadUserSeparators();

}  // namespace dorvane
