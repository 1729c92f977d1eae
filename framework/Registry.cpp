#include "framework/Registry.h"

#include <cstring>

#include "core/win32/WideString.h"

namespace dorvane {
namespace {

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// Reads a value's type and bytes. The size is asked first; a value that grows between
// the two calls is asked for again.
LSTATUS QueryRaw(HKEY key, const std::wstring& name, RawValue& out) {
  if (!key) return ERROR_INVALID_HANDLE;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return rc;
    out.data.assign(static_cast<std::size_t>(size) + 2, 0);
    DWORD got = size + 2;
    rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, out.data.data(), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) return rc;
    out.type = type;
    out.data.resize(got);
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

// Text data as stored: the terminating zero may be missing and the byte count may be
// odd (written by another program); a lone last byte is dropped and the text ends at
// the first zero.
std::string TextOf(const std::vector<BYTE>& data) {
  std::u16string units(data.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data.data(), units.size() * 2);
  const std::size_t end = units.find(u'\0');
  if (end != std::u16string::npos) units.resize(end);
  return Utf16ToUtf8(units);
}

TRegDataType TypeOf(DWORD type) {
  switch (type) {
    case REG_SZ: return TRegDataType::rdString;
    case REG_EXPAND_SZ: return TRegDataType::rdExpandString;
    case REG_DWORD: return TRegDataType::rdInteger;
    case REG_BINARY: return TRegDataType::rdBinary;
    default: return TRegDataType::rdUnknown;
  }
}

[[noreturn]] void Fail(const char* what, const std::string& name) {
  throw ERegistryException(std::string(what) + " '" + name + "'");
}

[[noreturn]] void FailWrongType(const std::string& name) {
  throw ERegistryException("Invalid data type for '" + name + "'", true);
}

std::string StripSlashes(const std::string& path) {
  std::size_t b = 0, e = path.size();
  while (b < e && path[b] == '\\') ++b;
  while (e > b && path[e - 1] == '\\') --e;
  return path.substr(b, e - b);
}

// Names of subkeys (values = false) or values of a key, grown as the system asks.
std::vector<std::string> EnumNames(HKEY key, bool values) {
  std::vector<std::string> names;
  if (!key) return names;
  std::vector<wchar_t> buffer(256);
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LSTATUS rc = values ? RegEnumValueW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr)
                              : RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA && buffer.size() < 65536) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.push_back(Narrow(std::wstring_view(buffer.data(), length)));
    ++index;
  }
  return names;
}

}  // namespace

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  root_ = root;
}

HKEY TRegistry::BaseFor(const std::string& path, std::wstring& relative) const {
  relative = Widen(StripSlashes(path));
  const bool absolute = !path.empty() && path[0] == '\\';
  return (absolute || !current_) ? root_ : current_.get();
}

std::string TRegistry::JoinPath(const std::string& path) const {
  const std::string rest = StripSlashes(path);
  const bool absolute = !path.empty() && path[0] == '\\';
  if (absolute || !current_ || currentPath_.empty()) return rest;
  if (rest.empty()) return currentPath_;
  return currentPath_ + "\\" + rest;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
  std::wstring relative;
  HKEY base = BaseFor(path, relative);
  UniqueHkey key;
  LSTATUS rc;
  if (canCreate) {
    DWORD disposition = 0;
    rc = RegCreateKeyExW(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                         key.put(), &disposition);
  } else {
    rc = RegOpenKeyExW(base, relative.c_str(), 0, access_, key.put());
  }
  if (rc != ERROR_SUCCESS) return false;
  currentPath_ = JoinPath(path);
  current_ = std::move(key);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& path) {
  access_ = KEY_READ;
  return OpenKey(path, false);
}

void TRegistry::CloseKey() {
  current_.reset();
  currentPath_.clear();
}

bool TRegistry::KeyExists(const std::string& path) const {
  std::wstring relative;
  HKEY base = BaseFor(path, relative);
  UniqueHkey key;
  return RegOpenKeyExW(base, relative.c_str(), 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key.put()) ==
         ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::string& path) {
  std::wstring relative;
  HKEY base = BaseFor(path, relative);
  if (relative.empty()) return false;  // never the key the path starts from
  const LSTATUS tree = RegDeleteTreeW(base, relative.c_str());
  if (tree != ERROR_SUCCESS && tree != ERROR_FILE_NOT_FOUND) return false;
  // RegDeleteTreeW empties the key; some systems leave the key itself behind.
  const LSTATUS rc = RegDeleteKeyW(base, relative.c_str());
  if (rc == ERROR_SUCCESS) return true;
  return rc == ERROR_FILE_NOT_FOUND && tree == ERROR_SUCCESS;
}

std::vector<std::string> TRegistry::GetKeyNames() const { return EnumNames(current_.get(), false); }

std::vector<std::string> TRegistry::GetValueNames() const { return EnumNames(current_.get(), true); }

bool TRegistry::ValueExists(const std::string& name) const {
  return GetDataType(name) != TRegDataType::rdNone;
}

TRegDataType TRegistry::GetDataType(const std::string& name) const {
  if (!current_) return TRegDataType::rdNone;
  DWORD type = REG_NONE;
  if (RegQueryValueExW(current_.get(), Widen(name).c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
    return TRegDataType::rdNone;
  return TypeOf(type);
}

bool TRegistry::DeleteValue(const std::string& name) {
  return current_ && RegDeleteValueW(current_.get(), Widen(name).c_str()) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
  RawValue raw;
  const LSTATUS rc = QueryRaw(current_.get(), Widen(name), raw);
  if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_INVALID_HANDLE) return std::string();
  if (rc != ERROR_SUCCESS) Fail("Failed to get data for", name);
  if (raw.type != REG_SZ && raw.type != REG_EXPAND_SZ) FailWrongType(name);
  return TextOf(raw.data);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  const std::wstring text = Widen(value);
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  if (!current_ || RegSetValueExW(current_.get(), Widen(name).c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()), bytes) != ERROR_SUCCESS)
    Fail("Failed to set data for", name);
}

std::int32_t TRegistry::ReadInteger(const std::string& name) const {
  RawValue raw;
  const LSTATUS rc = QueryRaw(current_.get(), Widen(name), raw);
  if (rc != ERROR_SUCCESS) Fail("Failed to get data for", name);
  if (raw.type != REG_DWORD) FailWrongType(name);
  if (raw.data.size() != sizeof(DWORD)) Fail("Failed to get data for", name);
  DWORD value = 0;
  std::memcpy(&value, raw.data.data(), sizeof value);
  return static_cast<std::int32_t>(value);
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
  const auto data = static_cast<DWORD>(value);
  if (!current_ || RegSetValueExW(current_.get(), Widen(name).c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS)
    Fail("Failed to set data for", name);
}

std::vector<std::uint8_t> TRegistry::ReadBinary(const std::string& name) const {
  RawValue raw;
  if (QueryRaw(current_.get(), Widen(name), raw) != ERROR_SUCCESS) Fail("Failed to get data for", name);
  if (raw.type != REG_BINARY) FailWrongType(name);
  return {raw.data.begin(), raw.data.end()};
}

void TRegistry::WriteBinary(const std::string& name, const std::vector<std::uint8_t>& data) {
  if (!current_ || RegSetValueExW(current_.get(), Widen(name).c_str(), 0, REG_BINARY, data.data(),
                                  static_cast<DWORD>(data.size())) != ERROR_SUCCESS)
    Fail("Failed to set data for", name);
}

}  // namespace dorvane
