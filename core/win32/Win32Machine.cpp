#include "core/win32/Win32Machine.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "core/Text.h"

namespace dorvane {
namespace {

std::wstring Wide(const std::string& text) {
  const std::u16string u16 = Utf8ToUtf16(text);
  return std::wstring(u16.begin(), u16.end());
}

using ExtendedFn = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

std::string Narrow(const wchar_t* text) {
  std::u16string u16;
  for (; *text; ++text) u16 += static_cast<char16_t>(*text);
  return Utf16ToUtf8(u16);
}

}  // namespace

Win32DriveApi::Win32DriveApi() {
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    extended_ = reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExW"));
  }
}

unsigned Win32DriveApi::DriveType(const std::string& root) {
  // An empty root would name the current directory's drive; it stands for "no drive".
  if (root.empty()) return kDriveNoRootDir;
  return GetDriveTypeW(Wide(root).c_str());
}

unsigned Win32DriveApi::SetErrorMode(unsigned mode) { return ::SetErrorMode(mode); }

bool Win32DriveApi::VolumeLabel(const std::string& root, std::string& label) {
  wchar_t name[MAX_PATH + 1] = {};
  DWORD componentLength = 0, flags = 0;
  const BOOL ok = GetVolumeInformationW(Wide(root).c_str(), name, MAX_PATH + 1, nullptr,
                                        &componentLength, &flags, nullptr, 0);
  name[MAX_PATH] = 0;
  label = ok ? Narrow(name) : std::string();
  return ok != FALSE;
}

bool Win32DriveApi::ExtendedSpace(const std::string* root, std::int64_t& freeToCaller,
                                  std::int64_t& total) {
  ULARGE_INTEGER available{}, totalBytes{}, totalFree{};
  const std::wstring wroot = root ? Wide(*root) : std::wstring();
  const auto query = reinterpret_cast<ExtendedFn>(extended_);
  if (!query(root ? wroot.c_str() : nullptr, &available, &totalBytes, &totalFree)) return false;
  freeToCaller = static_cast<std::int64_t>(available.QuadPart);
  total = static_cast<std::int64_t>(totalBytes.QuadPart);
  return true;
}

bool Win32DriveApi::ClusterSpace(const std::string* root, ClusterFigures& figures) {
  DWORD spc = 0, bps = 0, freeClusters = 0, totalClusters = 0;
  const std::wstring wroot = root ? Wide(*root) : std::wstring();
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
