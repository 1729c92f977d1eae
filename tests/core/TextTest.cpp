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

// Limits counted as the shell counts them: a character beyond the first 65,536 takes two
// units, and one that would not fit whole is left out.
TEST(Utf8Text, PrefixInUtf16UnitsKeepsWholeCharacters) {
  struct Case {
    const char* text;
    std::size_t units;
    const char* kept;
  } cases[] = {
      {"ab\xF0\x9F\x98\x80" "c", 3, "ab"},       // the emoji would need units 3 and 4
      {"ab\xF0\x9F\x98\x80" "c", 4, "ab\xF0\x9F\x98\x80"},
      {"\xC3\xA9\xE6\x95\xB0x", 2, "\xC3\xA9\xE6\x95\xB0"},  // two- and three-byte ones take one unit each
      {"abc", 10, "abc"},
      {"abc", 0, ""},
      {"a\xFF" "b", 2, "a\xFF"},  // a malformed byte counts as one and is kept
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8PrefixInUtf16Units(c.text, c.units), c.kept) << c.units;
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
