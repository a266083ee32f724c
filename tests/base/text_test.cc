#include "base/text.h"

#include <gtest/gtest.h>

namespace base {
namespace {

// Conversions and case rules the host checks below leave out.
TEST(TextTest, Utf16RoundTripUpperCaseAndCount) {
  const std::string s = "Grüße € 日本 𝄞";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
  EXPECT_EQ(Utf8ToUtf16("𝄞").size(), 2u);  // surrogate pair
  EXPECT_EQ(UpperCase("ÿ ä"), "Ÿ Ä");      // Ÿ lies outside Latin-1
  EXPECT_EQ(CharCount("ä€𝄞"), 3u);
}

// Plain ASCII is upper-cased and compared eight bytes a step: every
// character at every place in a step, and a non-ASCII one anywhere.
TEST(TextTest, AsciiCaseRulesAtEveryPlace) {
  std::string all;
  for (int b = 1; b < 0x80; ++b) all += static_cast<char>(b);
  for (size_t shift = 0; shift < 8; ++shift) {
    const std::string text = std::string(shift, 'q') + all;
    std::string upper;
    for (char c : text) upper += c >= 'a' && c <= 'z' ? char(c - 32) : c;
    std::string out = "x";
    AppendUpperCase(out, text);
    EXPECT_EQ(out, "x" + upper) << shift;
    EXPECT_TRUE(EqualsIgnoreCase(text, upper)) << shift;
    std::string accented = text;
    accented.replace(shift + 9, 1, "\xC3\xA4");  // ä
    out.clear();
    AppendUpperCase(out, accented);
    EXPECT_EQ(out.substr(shift + 9, 2), "\xC3\x84") << shift;  // Ä
  }
}

// The text conversions must give the same results on both builds (iconv and
// the C library on Linux, the Win32 code-page functions on Windows): the
// same bytes reach INI files, logs and the database either way.
TEST(SameTextOnEveryHostTest, Windows1252WithoutLookAlikes) {
  // Characters outside Windows-1252 become '?', never a similar letter
  // (Windows would write "A" for "Ā" and "a" for "ă" by default).
  EXPECT_EQ(Utf8ToCp1252("\xC4\x80\xC4\x83\xE2\x80\x9C\xC5\x92"), "??\x93\x8C");
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9D\x84\x9E|"), "?|");
  // Every defined byte maps to its character and back.
  std::string all;
  for (int b = 0x20; b < 0x100; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80\x9F\xA0\xFF"),
            "\xE2\x82\xAC\xC5\xB8\xC2\xA0\xC3\xBF");
  EXPECT_EQ(Cp1252ToUtf8("\x81\x90"), "\xC2\x81\xC2\x90");
}

TEST(SameTextOnEveryHostTest, BrokenInputBecomesOneReplacementPerUnit) {
  const std::u16string fffd(1, u'\xFFFD');
  EXPECT_EQ(Utf8ToUtf16("\xC3"), fffd);  // cut short
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82x"), fffd + fffd + u"x");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), fffd + fffd);  // overlong "/"
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), fffd + fffd + fffd + fffd);
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80").find(u'\xD800'),  // encoded surrogate
            std::u16string::npos);
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xDC00') + u"x"),
            "\xEF\xBF\xBD"
            "x");
  EXPECT_EQ(Utf8ToCp1252("a\xFF"
                         "b"),
            "a?b");
  EXPECT_EQ(Utf32ToUtf8(std::u32string(1, U'\x1F600')), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf32("\xF0\x9F\x98\x80"), std::u32string(1, U'\x1F600'));
}

TEST(SameTextOnEveryHostTest, UpperCaseKeepsTheLength) {
  // Greek, Cyrillic, Latin Extended; ß and ŉ have no one-letter upper case
  // and stay as they are.
  EXPECT_EQ(
      UpperCase(
          "\xCE\xB1\xCF\x89 \xD0\xB6 \xC3\xBE \xC5\x93 \xC3\x9F \xC5\x89"),
      "\xCE\x91\xCE\xA9 \xD0\x96 \xC3\x9E \xC5\x92 \xC3\x9F \xC5\x89");
  EXPECT_EQ(UpperCase32(U"\x00E9\x0101z"), U"\x00C9\x0100Z");
  EXPECT_TRUE(EqualsIgnoreCase("\xD0\xB4\xD0\xB0", "\xD0\x94\xD0\x90"));
  EXPECT_TRUE(EqualsIgnoreCase("", ""));
  EXPECT_FALSE(EqualsIgnoreCase("\xC3\x9F", "SS"));
}

}  // namespace
}  // namespace base
