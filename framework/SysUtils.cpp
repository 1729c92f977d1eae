#include "framework/SysUtils.h"

#include <windows.h>

#include <vector>

#include "core/Text.h"

namespace dorvane {

std::string ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  return Utf16ToUtf8(std::u16string(buffer.begin(), buffer.end()));
}

std::string FileVersionText(const std::string& path) {
  const std::u16string u16 = Utf8ToUtf16(path);
  const std::wstring wide(u16.begin(), u16.end());
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &handle);
  if (size == 0) return std::string();
  std::vector<unsigned char> buffer(size);
  if (!GetFileVersionInfoW(wide.c_str(), 0, size, buffer.data())) return std::string();
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) return std::string();
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

void RaiseOSError(const std::string& operation, std::uint32_t code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = operation + ": system error " + std::to_string(code);
  if (n > 0 && text) {
    std::u16string u16(reinterpret_cast<const char16_t*>(text), n);
    message += ": " + Trim(Utf16ToUtf8(u16));
  }
  if (text) LocalFree(text);
  throw EOSError(message, code);
}

void RaiseLastOSError(const std::string& operation) { RaiseOSError(operation, GetLastError()); }

}  // namespace dorvane
