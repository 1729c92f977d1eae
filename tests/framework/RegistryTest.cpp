// TRegistry against Wine's registry, under a per-run key of HKEY_CURRENT_USER.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Registry.h"

namespace dorvane {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int run = 0;
    base_ = "Software\\DorvaneTest_reg_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++run);
    ASSERT_TRUE(reg_.OpenKey(base_, true));
  }
  void TearDown() override {
    reg_.CloseKey();
    EXPECT_TRUE(reg_.DeleteKey(base_));
    EXPECT_FALSE(reg_.KeyExists(base_));
  }
  // Stores bytes exactly as given, the way another program might have.
  void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(reg_.CurrentKey(), name, 0, type, static_cast<const BYTE*>(data), size));
  }
  static std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const ERegistryException& e) {
      return std::string(e.ClassName()) + ": " + e.Message();
    }
    return "no error";
  }

  std::string base_;
  TRegistry reg_;
};

TEST_F(RegistryTest, TextIntegerAndBinaryValuesRoundTripAndKeepTheirTypes) {
  const std::string text = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC";
  reg_.WriteString("Text", text);
  reg_.WriteInteger("Number", -5);
  // Zero bytes inside and at the end are data, not terminators; a name may hold a backslash.
  const std::vector<std::uint8_t> bytes{0x44, 0x00, 0xFF, 0x10, 0x00};
  reg_.WriteBinary("c:\\ 0A1B2C3D", bytes);
  reg_.WriteBinary("Empty", {});
  EXPECT_EQ(bytes, reg_.ReadBinary("C:\\ 0a1b2c3d"));
  EXPECT_EQ(std::vector<std::uint8_t>{}, reg_.ReadBinary("Empty"));
  EXPECT_EQ(TRegDataType::rdBinary, reg_.GetDataType("Empty"));
  EXPECT_EQ("ERegistryException: Invalid data type for 'Text'", ErrorOf([&] { reg_.ReadBinary("Text"); }));
  EXPECT_EQ("ERegistryException: Failed to get data for 'Missing'", ErrorOf([&] { reg_.ReadBinary("Missing"); }));
  EXPECT_TRUE(reg_.DeleteValue("Empty"));
  EXPECT_TRUE(reg_.DeleteValue("c:\\ 0A1B2C3D"));
  EXPECT_EQ(text, reg_.ReadString("text"));  // names ignore letter case
  EXPECT_EQ(-5, reg_.ReadInteger("Number"));
  EXPECT_EQ(TRegDataType::rdString, reg_.GetDataType("Text"));
  EXPECT_EQ(TRegDataType::rdInteger, reg_.GetDataType("Number"));
  EXPECT_EQ(TRegDataType::rdNone, reg_.GetDataType("Missing"));
  EXPECT_FALSE(reg_.ValueExists("Missing"));
  EXPECT_EQ("", reg_.ReadString("Missing"));

  EXPECT_EQ("ERegistryException: Invalid data type for 'Number'", ErrorOf([&] { reg_.ReadString("Number"); }));
  EXPECT_EQ("ERegistryException: Invalid data type for 'Text'", ErrorOf([&] { reg_.ReadInteger("Text"); }));
  EXPECT_EQ("ERegistryException: Failed to get data for 'Missing'", ErrorOf([&] { reg_.ReadInteger("Missing"); }));

  auto names = reg_.GetValueNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"Number", "Text"}), names);
  EXPECT_TRUE(reg_.DeleteValue("Text"));
  EXPECT_FALSE(reg_.ValueExists("Text"));
}

TEST_F(RegistryTest, TextWithoutTerminatorOrWithAnOddByteCountReadsSafely) {
  PutRaw(L"Bare", REG_SZ, L"abc", 6);           // no terminating zero
  PutRaw(L"Odd", REG_SZ, L"abc", 7);            // half a character at the end
  PutRaw(L"Inner", REG_SZ, L"ab\0cd", 12);      // the text ends at the first zero
  PutRaw(L"Empty", REG_SZ, L"", 0);
  PutRaw(L"Expand", REG_EXPAND_SZ, L"%TEMP%\\x", 18);
  const BYTE blob[3] = {1, 2, 3};
  PutRaw(L"Blob", REG_BINARY, blob, 3);
  EXPECT_EQ("abc", reg_.ReadString("Bare"));
  EXPECT_EQ("abc", reg_.ReadString("Odd"));
  EXPECT_EQ("ab", reg_.ReadString("Inner"));
  EXPECT_EQ("", reg_.ReadString("Empty"));
  EXPECT_EQ("%TEMP%\\x", reg_.ReadString("Expand"));  // not expanded
  EXPECT_EQ(TRegDataType::rdExpandString, reg_.GetDataType("Expand"));
  EXPECT_EQ(TRegDataType::rdBinary, reg_.GetDataType("Blob"));
  EXPECT_EQ("ERegistryException: Invalid data type for 'Blob'", ErrorOf([&] { reg_.ReadString("Blob"); }));
}

TEST_F(RegistryTest, KeysOpenRelativeOrFromTheRootAndDeleteWithTheirSubkeys) {
  ASSERT_TRUE(reg_.OpenKey("A\\B", true));
  EXPECT_EQ(base_ + "\\A\\B", reg_.CurrentPath());
  ASSERT_TRUE(reg_.OpenKey("C", true));
  EXPECT_EQ(base_ + "\\A\\B\\C", reg_.CurrentPath());
  reg_.WriteString("v", "1");

  EXPECT_FALSE(reg_.OpenKey("\\" + base_ + "\\Nowhere", false));
  EXPECT_EQ(base_ + "\\A\\B\\C", reg_.CurrentPath());  // a failed open keeps the key
  ASSERT_TRUE(reg_.OpenKey("\\" + base_ + "\\A", false));
  EXPECT_EQ(base_ + "\\A", reg_.CurrentPath());
  EXPECT_EQ(std::vector<std::string>{"B"}, reg_.GetKeyNames());
  EXPECT_TRUE(reg_.KeyExists("B\\C"));
  EXPECT_TRUE(reg_.KeyExists("\\" + base_ + "\\A\\B"));

  EXPECT_TRUE(reg_.DeleteKey("B"));  // with C and its value
  EXPECT_FALSE(reg_.KeyExists("B"));
  EXPECT_FALSE(reg_.DeleteKey("B"));

  ASSERT_TRUE(reg_.OpenKeyReadOnly("\\" + base_));
  EXPECT_EQ(static_cast<REGSAM>(KEY_READ), reg_.Access());
  EXPECT_EQ("ERegistryException: Failed to set data for 'w'", ErrorOf([&] { reg_.WriteString("w", "x"); }));
  reg_.SetRootKey(HKEY_CURRENT_USER);  // closes the key
  EXPECT_EQ(nullptr, reg_.CurrentKey());
  EXPECT_EQ("", reg_.CurrentPath());
}

}  // namespace
}  // namespace dorvane
