#include "framework/SysUtils.h"

#include <windows.h>

#include "core/Text.h"

namespace dorvane {

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
