#pragma once
// What the service components ask of the shell and the system: starting things through
// the shell and watching the processes started, sound from memory, the shell's
// disk-full dialog and the recycle bin. The desktop holds it
// (Application().Desktop().ShellServices()): the real one calls the system, a scripted
// desktop gives a scripted one.
#include <windows.h>

#include <string>

namespace dorvane {

// The fields of a SHELLEXECUTEINFO the components fill in.
struct ShellExecuteRequest {
  DWORD mask = 0;
  HWND window = nullptr;
  std::string verb;  // empty: the default action
  std::string file;
  std::string parameters;
  std::string directory;
  int show = SW_SHOWNORMAL;
};

struct ShellExecuteReply {
  bool succeeded = false;
  INT_PTR instance = 0;      // hInstApp: above 32 on success, else the shell's error code
  HANDLE process = nullptr;  // with SEE_MASK_NOCLOSEPROCESS, when a process was started
};

class IShellServices {
 public:
  virtual ~IShellServices() = default;

  // -- starting things --
  // ShellExecuteExW.
  virtual ShellExecuteReply ExecuteShell(const ShellExecuteRequest& request) = 0;
  // GetExitCodeProcess; false when the code cannot be read.
  virtual bool ProcessExitCode(HANDLE process, DWORD& code) = 0;
  // Blocks until the process has ended.
  virtual void WaitForProcess(HANDLE process) = 0;
  virtual void CloseProcess(HANDLE process) = 0;

  // -- sound --
  // waveOutGetNumDevs.
  virtual unsigned WaveOutDevices() = 0;
  // sndPlaySoundW with SND_MEMORY among the flags: `image` is a whole wave file in
  // memory; null stops the sound that is playing.
  virtual bool PlayMemorySound(const void* image, UINT flags) = 0;

  // -- the disk-full dialog --
  // GetDriveTypeW.
  virtual UINT DriveTypeOf(const std::string& root) = 0;
  // Whether the shell exports its disk-full dialog (by ordinal 185 only).
  virtual bool DiskFullDialogAvailable() = 0;
  // SHHandleDiskFull(parent, drive number: 0 = A).
  virtual void ShowDiskFullDialog(HWND parent, UINT drive) = 0;
  // The window with the keyboard focus (GetFocus).
  virtual HWND FocusedWindow() = 0;

  // -- the recycle bin --
  // The shell library, loaded from the system folder; null when it cannot be loaded.
  virtual HMODULE LoadShellLibrary() = 0;
  // SHEmptyRecycleBinW of a loaded shell library for every drive (no root path); false
  // when the library has no such function. The function's own result is not asked for.
  virtual bool EmptyRecycleBins(HMODULE shell, HWND owner, DWORD flags) = 0;
  virtual void FreeShellLibrary(HMODULE shell) = 0;
};

// The system itself (the real desktop's).
IShellServices& RealShellServices();

// Empties the recycle bins of all drives without a question, progress or sound
// (SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND): loads the shell library
// by name, calls it when it has the function, releases it. False only when the library
// cannot be loaded; everything else fails silently.
bool EmptyAllRecycleBins(IShellServices& shell, HWND owner);

// Opens a file with its default action (a program starts, a document opens in its
// program), owned by a window and shown normally, without the shell's own dialogs when
// it cannot; the outcome is not asked for.
void OpenWithDefaultAction(IShellServices& shell, HWND owner, const std::string& file);

}  // namespace dorvane
