#pragma once
// Wave files for tests: a PCM sound built byte by byte, written to a file of the
// temporary folder that goes again with its owner.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/win32/WideString.h"

namespace dorvane::testing {

// A mono 8-bit PCM sound of `samples` samples at 8000 per second, as a recorder writes it.
inline std::vector<std::uint8_t> PcmWave(std::uint32_t samples) {
  std::vector<std::uint8_t> b(44 + samples);
  auto put = [&](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  std::memcpy(&b[0], "RIFF", 4);
  put(4, 36 + samples, 4);
  std::memcpy(&b[8], "WAVEfmt ", 8);
  put(16, 16, 4);    // format chunk size
  put(20, 1, 2);     // PCM
  put(22, 1, 2);     // mono
  put(24, 8000, 4);  // samples per second
  put(28, 8000, 4);  // bytes per second
  put(32, 1, 2);     // block alignment
  put(34, 8, 2);     // bits per sample
  std::memcpy(&b[36], "data", 4);
  put(40, samples, 4);
  for (std::uint32_t i = 0; i < samples; ++i) b[44 + i] = static_cast<std::uint8_t>(128 + (i % 16) * 4);
  return b;
}

// A file in the temporary folder, its name beyond ASCII; deleted with the object.
class TempFile {
 public:
  TempFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = Narrow(temp) + "dorvane \xC3\xA9 " + std::to_string(GetCurrentProcessId()) + " " + name;
    if (FILE* f = _wfopen(Widen(path_).c_str(), L"wb")) {
      if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
      fclose(f);
    }
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { DeleteFileW(Widen(path_).c_str()); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace dorvane::testing
