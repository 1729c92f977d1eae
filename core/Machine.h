#pragma once
// Everything the main window asks of the machine it runs on, behind one seam: the drive
// and memory services, the platform family, the screen and the shell's actions. The
// program gives the main window the real machine; tests give it a scripted one.
#include <chrono>
#include <string>

#include "core/DriveApi.h"
#include "core/DriveCatalog.h"
#include "core/MemoryReadout.h"

namespace dorvane {

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// Actions handed to the shell and the system. Each fails silently: none reports a
// failure to the main window.
class IShellActions {
 public:
  virtual ~IShellActions() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // Plays a wave file asynchronously, without the system's default sound when the data
  // cannot be played.
  virtual void PlayWaveFile(const std::string& path) = 0;
  // Opens a file with its default action (a program runs, a document opens).
  virtual void OpenFile(const std::string& path) = 0;
  // Opens a folder in an explorer window.
  virtual void ExploreFolder(const std::string& path) = 0;
  // Asks the shell to show its disk-full dialog for a drive letter.
  virtual void ShowDiskFullDialog(char driveLetter) = 0;
  // Empties the recycle bins of all drives without asking, progress or sound. False
  // only when the shell library cannot be loaded.
  virtual bool EmptyRecycleBin() = 0;
};

class IMachine {
 public:
  virtual ~IMachine() = default;
  virtual IDriveApi& Drives() = 0;
  virtual IMemoryApi& Memory() = 0;
  virtual IShellActions& Shell() = 0;
  // True on the NT family of Windows (alpha-blended windows exist only there).
  virtual bool IsNtPlatform() = 0;
  virtual ScreenSize Screen() = 0;
  // How long the window waits per round for the drives' answers (see DriveQueries).
  virtual std::chrono::milliseconds DriveAnswerWait() { return kDriveAnswerWait; }
};

}  // namespace dorvane
