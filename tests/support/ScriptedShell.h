#pragma once
// Scripted shell services: every call is recorded, every answer is set by the test.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/ShellServices.h"

namespace dorvane::testing {

class ScriptedShellServices : public IShellServices {
 public:
  // -- starting things --
  std::vector<ShellExecuteRequest> executed;
  ShellExecuteReply reply{true, 42, nullptr};  // what ExecuteShell answers
  std::map<HANDLE, DWORD> exitCodes;           // a process missing here cannot be read
  std::vector<HANDLE> waitedFor;
  std::vector<HANDLE> closed;

  ShellExecuteReply ExecuteShell(const ShellExecuteRequest& request) override {
    executed.push_back(request);
    return reply;
  }
  bool ProcessExitCode(HANDLE process, DWORD& code) override {
    const auto it = exitCodes.find(process);
    if (it == exitCodes.end()) return false;
    code = it->second;
    return true;
  }
  void WaitForProcess(HANDLE process) override { waitedFor.push_back(process); }
  void CloseProcess(HANDLE process) override { closed.push_back(process); }

  // -- sound --
  unsigned outputDevices = 1;
  bool playAccepted = true;
  struct Played {
    std::vector<std::uint8_t> image;  // a copy of the wave handed over (empty: stop)
    UINT flags;
  };
  std::vector<Played> played;

  unsigned WaveOutDevices() override { return outputDevices; }
  bool PlayMemorySound(const void* image, UINT flags) override {
    Played p{{}, flags};
    if (image) {
      // The image is a whole RIFF file: its size is in the header.
      const auto* b = static_cast<const std::uint8_t*>(image);
      const std::uint32_t riff = b[4] | b[5] << 8 | b[6] << 16 | static_cast<std::uint32_t>(b[7]) << 24;
      p.image.assign(b, b + 8 + riff);
    }
    played.push_back(std::move(p));
    return image == nullptr || playAccepted;
  }

  // -- the disk-full dialog --
  std::map<std::string, UINT> driveTypes;  // by root "C:\"; others DRIVE_NO_ROOT_DIR
  bool diskFullDialogExported = true;
  HWND focus = reinterpret_cast<HWND>(0x5150);
  struct DiskFull {
    HWND parent;
    UINT drive;
  };
  std::vector<DiskFull> diskFullDialogs;
  std::vector<std::string> driveTypeQueries;

  UINT DriveTypeOf(const std::string& root) override {
    driveTypeQueries.push_back(root);
    const auto it = driveTypes.find(root);
    return it == driveTypes.end() ? DRIVE_NO_ROOT_DIR : it->second;
  }
  bool DiskFullDialogAvailable() override { return diskFullDialogExported; }
  void ShowDiskFullDialog(HWND parent, UINT drive) override { diskFullDialogs.push_back({parent, drive}); }
  HWND FocusedWindow() override { return focus; }

  // -- the recycle bin --
  bool libraryLoads = true;
  bool libraryHasEmptyBin = true;
  int librariesLoaded = 0;
  int librariesFreed = 0;
  struct Emptied {
    HWND owner;
    DWORD flags;
  };
  std::vector<Emptied> emptied;

  HMODULE LoadShellLibrary() override {
    if (!libraryLoads) return nullptr;
    ++librariesLoaded;
    return reinterpret_cast<HMODULE>(0x7700);
  }
  bool EmptyRecycleBins(HMODULE shell, HWND owner, DWORD flags) override {
    if (shell != reinterpret_cast<HMODULE>(0x7700) || !libraryHasEmptyBin) return false;
    emptied.push_back({owner, flags});
    return true;
  }
  void FreeShellLibrary(HMODULE shell) override {
    if (shell == reinterpret_cast<HMODULE>(0x7700)) ++librariesFreed;
  }
};

}  // namespace dorvane::testing
