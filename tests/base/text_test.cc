#include "base/text.h"

#include <gtest/gtest.h>

namespace base {
namespace {

TEST(TextTest, RoundTripsThroughUtf16AndCp1252) {
  const std::string s = "Grüße € 日本 𝄞";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
  EXPECT_EQ(Utf8ToUtf16("𝄞").size(), 2u);  // surrogate pair
  EXPECT_EQ(Utf8ToCp1252("Grüße €"), "Gr\xFC\xDF" "e \x80");
  EXPECT_EQ(Cp1252ToUtf8("Gr\xFC\xDF" "e \x80"), "Grüße €");
  EXPECT_EQ(Utf8ToCp1252("日"), "?");
  // Bytes Windows-1252 leaves undefined survive both ways.
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8("\x81\x8D")), "\x81\x8D");
}

TEST(TextTest, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\xFFFD" "b");
}

TEST(TextTest, UpperCaseIsUnicode) {
  EXPECT_EQ(UpperCase("straße ÿ ä"), "STRAßE Ÿ Ä");
  EXPECT_TRUE(EqualsIgnoreCase("Källe", "KÄLLE"));
  EXPECT_FALSE(EqualsIgnoreCase("a", "b"));
  EXPECT_EQ(CharCount("ä€𝄞"), 3u);
}

}  // namespace
}  // namespace base
