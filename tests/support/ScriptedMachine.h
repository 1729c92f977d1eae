#pragma once
// A scripted machine for the main window: scripted drives and memory, a screen of a
// chosen size, the platform family, a shell that records what it was asked to do, and an
// autostart list in memory.
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "tests/support/ScriptedDrives.h"

namespace dorvane::testing {

class RecordingShell : public IShellActions {
 public:
  std::vector<std::string> existingFiles;
  std::vector<std::string> opened;

  bool FileExists(const std::string& path) override {
    for (const auto& f : existingFiles)
      if (f == path) return true;
    return false;
  }
  void OpenFile(const std::string& path) override { opened.push_back(path); }
};

class ScriptedAutostartList : public IAutostartList {
 public:
  std::map<std::string, std::string> entries;

  bool Contains(const std::string& name) override { return entries.count(name) != 0; }
  void Write(const std::string& name, const std::string& command) override { entries[name] = command; }
  void Remove(const std::string& name) override { entries.erase(name); }
};

class ScriptedMachine : public IMachine {
 public:
  ScriptedDriveApi drives = ScriptedDriveApi::FloppyHardDiskCdRom();
  ScriptedMemoryApi memory;
  RecordingShell shell;
  ScriptedAutostartList autostart;
  bool nt = true;
  ScreenSize screen{1024, 768};
  std::string systemRoot = "c:\\";
  // Scripted drives answer at once: a patient wait keeps a loaded machine from making a
  // late answer of that. Tests of a hanging drive shorten it.
  std::chrono::milliseconds answerWait{60'000};
  // The monitors' work areas; unset: one monitor, the whole screen.
  std::optional<std::vector<ScreenRect>> workAreas;
  // The history's clock, seconds since 1970: it stands still unless a test moves it, so
  // no test sees an estimate it did not script.
  std::int64_t now = 1'800'000'000;

  IDriveApi& Drives() override { return drives; }
  IMemoryApi& Memory() override { return memory; }
  IShellActions& Shell() override { return shell; }
  IAutostartList& Autostart() override { return autostart; }
  bool IsNtPlatform() override { return nt; }
  ScreenSize Screen() override { return screen; }
  std::string SystemDriveRoot() override { return systemRoot; }
  std::chrono::milliseconds DriveAnswerWait() override { return answerWait; }
  std::int64_t Now() override { return now; }
  std::vector<ScreenRect> WorkAreas() override {
    return workAreas ? *workAreas : std::vector<ScreenRect>{{0, 0, screen.width, screen.height}};
  }
};

}  // namespace dorvane::testing
