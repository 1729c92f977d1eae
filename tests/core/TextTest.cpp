#include <gtest/gtest.h>

#include "core/Text.h"

namespace dorvane {
namespace {

TEST(Utf8Text, LengthAndPrefixCountCharacters) {
  EXPECT_EQ(Utf8Length(""), 0u);
  EXPECT_EQ(Utf8Length("abc"), 3u);
  EXPECT_EQ(Utf8Length("é数😀"), 3u);
  EXPECT_EQ(Utf8Prefix("é数😀x", 2), "é数");
  EXPECT_EQ(Utf8Prefix("é数😀x", 3), "é数😀");
  EXPECT_EQ(Utf8Prefix("ab", 10), "ab");
  // A malformed byte counts as one character and is kept as it is.
  EXPECT_EQ(Utf8Length("a\xFF" "b"), 3u);
  EXPECT_EQ(Utf8Prefix("a\xFF" "b", 2), "a\xFF");
}

TEST(Utf8Text, RoundTripThroughUtf16) {
  const std::string text = "c:\\ Système 数据 😀";
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide.size(), Utf8Length(text) + 1);  // the emoji takes a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(wide), text);
  // Malformed input becomes U+FFFD instead of failing.
  EXPECT_EQ(Utf16ToUtf8(u"a\xD800" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\xFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\xFFFD");  // an encoded surrogate
}

TEST(Utf8Text, Utf16PrefixNeverSplitsASurrogatePair) {
  const std::u16string wide = u"ab😀";
  EXPECT_EQ(Utf16Prefix(wide, 3), u"ab");
  EXPECT_EQ(Utf16Prefix(wide, 4), wide);
  EXPECT_EQ(Utf16Prefix(wide, 1), u"a");
}

TEST(Utf8Text, SameTextAndTrim) {
  EXPECT_TRUE(SameText("Pos_X", "pos_x"));
  EXPECT_FALSE(SameText("pos_x", "pos_y"));
  EXPECT_FALSE(SameText("a", "ab"));
  EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
  EXPECT_EQ(Trim(" \n "), "");
  EXPECT_EQ(Trim("é"), "é");
}

}  // namespace
}  // namespace dorvane
