#include "common/text.h"

#include <gtest/gtest.h>

namespace volmaru {
namespace {

TEST(TextTest, Utf8Utf16RoundTripKeepsJapaneseAndAstralCharacters) {
  const std::string s = "ボルマル 無変換 →↓ \xF0\x9F\x94\x8A";  // U+1F50A speaker
  const std::u16string u = Utf8ToUtf16(s);
  EXPECT_EQ(u.size(), 14u);  // the speaker takes a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(u), s);
}

TEST(TextTest, MalformedUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xE3\x83"), (std::u16string{u'a', 0xFFFD, 0xFFFD}));
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (std::u16string{0xFFFD}));  // overlong "/"
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
}

TEST(TextTest, Cp932RoundTrip) {
  // "ソ" is 0x83 0x5C: its second byte is a backslash.
  const std::string sjis = "\x83\x5C\x96\xB3\x95\xCF\x8A\xB7";
  EXPECT_EQ(Cp932ToUtf8(sjis), "ソ無変換");
  EXPECT_EQ(Utf8ToCp932("ソ無変換"), sjis);
  EXPECT_EQ(Utf8ToCp932("\xF0\x9F\x94\x8A"), "?");
}

TEST(TextTest, Cp932InvalidBytesDecodeToMiddleDot) {
  EXPECT_EQ(Cp932ToUtf8("a\x85\x40z"), "a\xE3\x83\xBBz");  // unassigned double-byte code
  EXPECT_EQ(Cp932ToUtf8("\x81"), "\xE3\x83\xBB");          // lone lead byte at the end
}

TEST(TextTest, AsciiCaseFoldingLeavesOtherBytes) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase("MainkeyOnly", "MAINKEYONLY"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("\xC3\xA9", "\xC3\x89"));  // é is not folded
  EXPECT_EQ(ToAsciiLower("C:\\Volmaru.EXE"), "c:\\volmaru.exe");
}

// The first character outside the basic plane is a surrogate pair, the
// last inside it is not; a high surrogate at the very end has no partner
// to read and becomes U+FFFD.
TEST(TextTest, ThePlaneBoundaryAndALoneHighSurrogateAtTheEnd) {
  EXPECT_EQ(Utf8ToUtf16("\xF0\x90\x80\x80"), (std::u16string{0xD800, 0xDC00}));
  EXPECT_EQ(Utf8ToUtf16("\xEF\xBF\xBF"), (std::u16string{0xFFFF}));
  // A surrogate written as UTF-8 is no character, from its first value on.
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), (std::u16string{0xFFFD}));
  EXPECT_EQ(Utf8ToUtf16("\xED\x9F\xBF"), (std::u16string{0xD7FF}));
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, 0xDC00}), "\xF0\x90\x80\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD83D}), "a\xEF\xBF\xBD");
  const std::u16string held{u'a', 0xD83D, 0xDE00};
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(held).substr(0, 2)), "a\xEF\xBF\xBD")
      << "the pair's second half is not read";
}

}  // namespace
}  // namespace volmaru
