#pragma once
// Wave files for tests: a PCM sound (TestPcm.h) written to a file of the temporary
// folder that goes again with its owner.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/win32/WideString.h"
#include "tests/support/TestPcm.h"

namespace dorvane::testing {

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
