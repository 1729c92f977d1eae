#include "core/win32/Win32Machine.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "winapi/Handles.h"
#include "core/win32/WideString.h"
#include "winapi/SystemLibrary.h"

namespace dorvane {
namespace {

using ExtendedFn = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

}  // namespace

Win32DriveApi::Win32DriveApi() {
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    extended_ = reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExW"));
  }
}

unsigned Win32DriveApi::DriveType(const std::string& root) {
  // An empty root would name the current directory's drive; it stands for "no drive".
  if (root.empty()) return kDriveNoRootDir;
  return GetDriveTypeW(Widen(root).c_str());
}

unsigned Win32DriveApi::SetErrorMode(unsigned mode) { return ::SetErrorMode(mode); }

bool Win32DriveApi::Volume(const std::string& root, VolumeInfo& volume) {
  wchar_t name[MAX_PATH + 1] = {};
  DWORD serial = 0, componentLength = 0, flags = 0;
  const BOOL ok = GetVolumeInformationW(Widen(root).c_str(), name, MAX_PATH + 1, &serial,
                                        &componentLength, &flags, nullptr, 0);
  name[MAX_PATH] = 0;
  volume = ok ? VolumeInfo{Narrow(name), serial} : VolumeInfo{};
  return ok != FALSE;
}

bool Win32DriveApi::ExtendedSpace(const std::string* root, std::int64_t& freeToCaller,
                                  std::int64_t& total) {
  ULARGE_INTEGER available{}, totalBytes{}, totalFree{};
  const std::wstring wroot = root ? Widen(*root) : std::wstring();
  const auto query = reinterpret_cast<ExtendedFn>(extended_);
  if (!query(root ? wroot.c_str() : nullptr, &available, &totalBytes, &totalFree)) return false;
  freeToCaller = static_cast<std::int64_t>(available.QuadPart);
  total = static_cast<std::int64_t>(totalBytes.QuadPart);
  return true;
}

bool Win32DriveApi::ClusterSpace(const std::string* root, ClusterFigures& figures) {
  DWORD spc = 0, bps = 0, freeClusters = 0, totalClusters = 0;
  const std::wstring wroot = root ? Widen(*root) : std::wstring();
  if (!GetDiskFreeSpaceW(root ? wroot.c_str() : nullptr, &spc, &bps, &freeClusters, &totalClusters))
    return false;
  figures = {spc, bps, freeClusters, totalClusters};
  return true;
}

MemoryStatus Win32MemoryApi::Query() {
  // The 64-bit status: machines with more than 4 GB show their real total.
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) throw std::runtime_error("memory status unavailable");
  return {status.dwMemoryLoad, status.ullTotalPhys};
}

bool Win32ShellActions::FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32ShellActions::OpenFile(const std::string& path) {
  ShellExecuteW(nullptr, nullptr, Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run key opened for reading (not created) or for writing (created when missing);
// empty when it cannot be opened.
UniqueHkey OpenRunKey(bool forWriting) {
  HKEY key = nullptr;
  const LONG status =
      forWriting ? RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr)
                 : RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key);
  return UniqueHkey(status == ERROR_SUCCESS ? key : nullptr);
}

bool HasValue(HKEY key, const std::wstring& name) {
  return RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

bool Win32AutostartList::Contains(const std::string& name) {
  const UniqueHkey key = OpenRunKey(false);
  return key && HasValue(key.get(), Widen(name));
}

void Win32AutostartList::Write(const std::string& name, const std::string& command) {
  const UniqueHkey key = OpenRunKey(true);
  if (!key) return;
  const std::wstring data = Widen(command);
  RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void Win32AutostartList::Remove(const std::string& name) {
  const UniqueHkey key = OpenRunKey(true);
  const std::wstring wname = Widen(name);
  if (key && HasValue(key.get(), wname)) RegDeleteValueW(key.get(), wname.c_str());
}

namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

Win32Machine::Win32Machine()
    : clock_(ParseClockScale(Environment(kClockScaleVariable)).value_or(1),
             ParseClockStart(Environment(kClockStartVariable)).value_or(HistoryClock::WallSeconds())) {}

bool Win32Machine::IsNtPlatform() {
  const SystemVersion& system = TheSystemVersion();
  return !system.known || system.platform == VER_PLATFORM_WIN32_NT;
}

ScreenSize Win32Machine::Screen() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

namespace {

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    const RECT& r = info.rcWork;
    reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back({r.left, r.top, r.right, r.bottom});
  }
  return TRUE;
}

}  // namespace

std::vector<ScreenRect> Win32Machine::WorkAreas() {
  std::vector<ScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, &AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

std::string ReadSystemDriveRoot() {
  wchar_t folder[MAX_PATH] = {};
  const UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH);
  if (n < 3 || n >= MAX_PATH || folder[1] != L':' || folder[2] != L'\\') return {};
  const auto letter = static_cast<wchar_t>(folder[0] | 0x20);
  if (letter < L'a' || letter > L'z') return {};
  return std::string(1, static_cast<char>(letter)) + ":\\";
}

NumberSeparators ReadUserSeparators() {
  NumberSeparators separators;
  wchar_t buffer[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) > 0 && buffer[0])
    separators.decimal = Narrow(buffer);
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, buffer, 8) > 0)
    separators.thousands = Narrow(buffer);
  return separators;
}

}  // namespace dorvane
