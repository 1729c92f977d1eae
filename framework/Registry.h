#pragma once
// A registry object: one open key under a root key, closed by itself. Names and text
// data are UTF-8 here and UTF-16 at the system calls.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/Exceptions.h"
#include "winapi/Handles.h"

namespace dorvane {

// A registry value that cannot be read or written as asked. The texts are fixed:
// "Invalid data type for '<name>'", "Failed to set data for '<name>'",
// "Failed to get data for '<name>'".
class ERegistryException : public Exception {
 public:
  explicit ERegistryException(std::string message, bool wrongType = false)
      : Exception(std::move(message)), wrongType_(wrongType) {}
  const char* ClassName() const noexcept override { return "ERegistryException"; }
  // The value exists with data of another type than asked for ("Invalid data type"):
  // reading it again gives the same answer, unlike a read that failed.
  bool WrongType() const noexcept { return wrongType_; }

 private:
  bool wrongType_;
};

enum class TRegDataType { rdNone, rdString, rdExpandString, rdInteger, rdBinary, rdUnknown };

class TRegistry {
 public:
  TRegistry() = default;
  explicit TRegistry(REGSAM access) : access_(access) {}
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;
  ~TRegistry() = default;

  // The key paths are relative to; not owned. Changing it closes the current key.
  HKEY RootKey() const { return root_; }
  void SetRootKey(HKEY root);
  // Access rights OpenKey asks for.
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM access) { access_ = access; }

  // Opens a key: a path starting with "\" is taken from the root key, any other from the
  // key open now (or from the root when none is). With canCreate a missing key is
  // created. On success the new key replaces the current one; false leaves it open.
  bool OpenKey(const std::string& path, bool canCreate);
  // Opens an existing key with KEY_READ (Access becomes KEY_READ).
  bool OpenKeyReadOnly(const std::string& path);
  void CloseKey();
  HKEY CurrentKey() const { return current_.get(); }
  // The current key's path from the root ("" when none is open).
  const std::string& CurrentPath() const { return currentPath_; }

  // Paths as for OpenKey; the current key does not change.
  bool KeyExists(const std::string& path) const;
  bool DeleteKey(const std::string& path);
  std::vector<std::string> GetKeyNames() const;

  // Values of the current key (names ignore letter case, as the registry does).
  bool ValueExists(const std::string& name) const;
  TRegDataType GetDataType(const std::string& name) const;
  std::vector<std::string> GetValueNames() const;
  bool DeleteValue(const std::string& name);

  // REG_SZ or REG_EXPAND_SZ text (unexpanded); a missing value reads as "". Data of
  // another type raises "Invalid data type"; a failed read "Failed to get data".
  std::string ReadString(const std::string& name) const;
  void WriteString(const std::string& name, const std::string& value);
  // REG_DWORD. A missing value has no data to get: "Failed to get data".
  std::int32_t ReadInteger(const std::string& name) const;
  void WriteInteger(const std::string& name, std::int32_t value);
  // REG_BINARY. A missing value has no data to get: "Failed to get data"; data of another
  // type raises "Invalid data type".
  std::vector<std::uint8_t> ReadBinary(const std::string& name) const;
  void WriteBinary(const std::string& name, const std::vector<std::uint8_t>& data);

 private:
  // The key a path starts from, and the path as the system wants it.
  HKEY BaseFor(const std::string& path, std::wstring& relative) const;
  std::string JoinPath(const std::string& path) const;

  HKEY root_ = HKEY_CURRENT_USER;
  REGSAM access_ = KEY_ALL_ACCESS;
  UniqueHkey current_;
  std::string currentPath_;
};

}  // namespace dorvane
