#pragma once
// Everything the main window asks of the machine it runs on, behind one seam: the drive
// and memory services, the platform family, the screen, the shell's actions and the
// autostart list. The program gives the main window the real machine; tests give it a
// scripted one.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DriveApi.h"
#include "core/DriveCatalog.h"
#include "core/HistoryClock.h"
#include "core/MemoryReadout.h"
#include "core/WindowPlace.h"

namespace dorvane {

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// Actions handed to the shell and the system. Each fails silently: none reports a
// failure to the main window. (The sound, the explorer, the disk-full dialog, the
// warning program and the recycle bin go through the service components.)
class IShellActions {
 public:
  virtual ~IShellActions() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // Opens a file or URL with its default action (a document opens, a page shows).
  virtual void OpenFile(const std::string& path) = 0;
};

// The current user's list of programs started at log-on, by entry name (the per-user Run
// key). Failures are never reported: a list that cannot be read holds nothing, and a
// write or removal that fails leaves it as it was.
class IAutostartList {
 public:
  virtual ~IAutostartList() = default;
  // Whether an entry of that name exists (of any kind); the list is not created.
  virtual bool Contains(const std::string& name) = 0;
  // Creates the list when missing and writes the entry, replacing one of that name.
  virtual void Write(const std::string& name, const std::string& command) = 0;
  // Creates the list when missing and removes the entry if it exists.
  virtual void Remove(const std::string& name) = 0;
};

class IMachine {
 public:
  virtual ~IMachine() = default;
  virtual IDriveApi& Drives() = 0;
  virtual IMemoryApi& Memory() = 0;
  virtual IShellActions& Shell() = 0;
  virtual IAutostartList& Autostart() = 0;
  // True on the NT family of Windows (alpha-blended windows exist only there).
  virtual bool IsNtPlatform() = 0;
  virtual ScreenSize Screen() = 0;
  // The root of the drive the system runs from ("c:\\"); empty when it cannot be told.
  virtual std::string SystemDriveRoot() = 0;
  // How long the window waits per round for the drives' answers (see DriveQueries).
  virtual std::chrono::milliseconds DriveAnswerWait() { return kDriveAnswerWait; }
  // The work area (the screen less the taskbar) of every monitor attached now.
  virtual std::vector<ScreenRect> WorkAreas() = 0;
  // Whole seconds since 1970 (UTC), the time the free-space history goes by.
  virtual std::int64_t Now() { return HistoryClock::WallSeconds(); }
};

// The program's autostart entry, named by `name`, holding the command that starts it.
inline bool IsInAutostart(IMachine& machine, const std::string& name) { return machine.Autostart().Contains(name); }
inline void AddToAutostart(IMachine& machine, const std::string& name, const std::string& command) {
  machine.Autostart().Write(name, command);
}
inline void RemoveFromAutostart(IMachine& machine, const std::string& name) { machine.Autostart().Remove(name); }

}  // namespace dorvane
