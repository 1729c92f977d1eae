#include "framework/ShellServices.h"

#include <mmsystem.h>
#include <shellapi.h>

#include "core/ScopeExit.h"
#include "winapi/Handles.h"
#include "winapi/SystemLibrary.h"
#include "core/win32/WideString.h"

namespace dorvane {
namespace {

// The shell exports its disk-full dialog only by number, and not in every version.
using HandleDiskFullFn = void WINAPI(HWND, UINT);
using EmptyRecycleBinFn = HRESULT WINAPI(HWND, LPCWSTR, DWORD);

class RealServices final : public IShellServices {
 public:
  ShellExecuteReply ExecuteShell(const ShellExecuteRequest& request) override {
    const std::wstring verb = Widen(request.verb), file = Widen(request.file),
                       parameters = Widen(request.parameters), directory = Widen(request.directory);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = request.mask;
    info.hwnd = request.window;
    info.lpVerb = verb.empty() ? nullptr : verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    info.nShow = request.show;
    ShellExecuteReply reply;
    reply.succeeded = ShellExecuteExW(&info) != FALSE;
    reply.instance = reinterpret_cast<INT_PTR>(info.hInstApp);
    reply.process = info.hProcess;
    return reply;
  }
  bool ProcessExitCode(HANDLE process, DWORD& code) override { return GetExitCodeProcess(process, &code) != FALSE; }
  void WaitForProcess(HANDLE process) override { WaitForSingleObject(process, INFINITE); }
  void CloseProcess(HANDLE process) override { CloseHandle(process); }

  // The sound DLL is loaded on first use: it is rarely needed and slows the start.
  unsigned WaveOutDevices() override {
    static const auto count = SystemFunctionAs<UINT WINAPI()>(L"winmm.dll", "waveOutGetNumDevs");
    return count ? count() : 0;
  }
  bool PlayMemorySound(const void* image, UINT flags) override {
    static const auto play = SystemFunctionAs<BOOL WINAPI(LPCWSTR, UINT)>(L"winmm.dll", "sndPlaySoundW");
    return play && play(static_cast<LPCWSTR>(image), flags) != FALSE;
  }

  UINT DriveTypeOf(const std::string& root) override { return GetDriveTypeW(Widen(root).c_str()); }
  bool DiskFullDialogAvailable() override { return DiskFullDialog() != nullptr; }
  void ShowDiskFullDialog(HWND parent, UINT drive) override {
    if (auto fn = DiskFullDialog()) fn(parent, drive);
  }
  HWND FocusedWindow() override { return GetFocus(); }

  HMODULE LoadShellLibrary() override { return LoadSystemLibrary(L"shell32.dll").release(); }
  bool EmptyRecycleBins(HMODULE shell, HWND owner, DWORD flags) override {
    auto fn = ModuleFunctionAs<EmptyRecycleBinFn>(shell, "SHEmptyRecycleBinW");
    if (!fn) return false;
    fn(owner, nullptr, flags);
    return true;
  }
  void FreeShellLibrary(HMODULE shell) override { FreeLibrary(shell); }

 private:
  // Looked up once; the library stays loaded until the process ends.
  static HandleDiskFullFn* DiskFullDialog() {
    static HandleDiskFullFn* const fn = SystemFunctionAs<HandleDiskFullFn>(L"shell32.dll", MAKEINTRESOURCEA(185));
    return fn;
  }
};

}  // namespace

IShellServices& RealShellServices() {
  static RealServices real;
  return real;
}

bool EmptyAllRecycleBins(IShellServices& shell, HWND owner) {
  HMODULE library = shell.LoadShellLibrary();
  if (!library) return false;
  const auto release = OnScopeExit([&] { shell.FreeShellLibrary(library); });
  shell.EmptyRecycleBins(library, owner, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
  return true;
}

void OpenWithDefaultAction(IShellServices& shell, HWND owner, const std::string& file) {
  ShellExecuteRequest request;
  request.window = owner;
  // Silent when it cannot open: no dialog of the shell's own (no program for the file,
  // a file that went away).
  request.mask = SEE_MASK_FLAG_NO_UI;
  request.file = file;
  request.show = SW_SHOWNORMAL;
  shell.ExecuteShell(request);
}

}  // namespace dorvane
