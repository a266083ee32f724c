#include "jet/index_key.h"

#include <gtest/gtest.h>

#include <string>

#include "base/value.h"
#include "jet/database_write.h"
#include "jet/integrity.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

// The stored keys of the samples are compared with ours by FindDamage
// (fixture_rebuild_test.cc); these pin the byte forms.
using test_support::Hex;

TEST(IndexKeyTest, NumericKeys) {
  EXPECT_EQ(Hex(LongKey(0)), "7f 80 00 00 00");
  EXPECT_EQ(Hex(LongKey(-1)), "7f 7f ff ff ff");
  EXPECT_EQ(Hex(LongKey(0x0F000001)), "7f 8f 00 00 01");
  EXPECT_EQ(Hex(LongKey(INT32_MIN)), "7f 00 00 00 00");
  IndexKey k;
  AppendLongKey(19, false, k);
  EXPECT_EQ(Hex(k), "80 7f ff ff ec");
  k.clear();
  AppendIntegerKey(-2, true, k);
  AppendNullKey(true, k);
  AppendNullKey(false, k);
  EXPECT_EQ(Hex(k), "7f 7f fe 00 ff");

  // Doubles: byte order of the keys follows numeric order.
  const double values[] = {-1e300, -2.5, -0.0, 0.0, 1e-300, 3.0, 1e300};
  for (size_t i = 0; i + 1 < std::size(values); ++i) {
    IndexKey a, b;
    AppendDoubleKey(values[i], true, a);
    AppendDoubleKey(values[i + 1], true, b);
    EXPECT_LE(CompareKeys(a.data(), a.size(), b.data(), b.size()), 0) << i;
    IndexKey da, db;
    AppendDoubleKey(values[i], false, da);
    AppendDoubleKey(values[i + 1], false, db);
    EXPECT_GE(CompareKeys(da.data(), da.size(), db.data(), db.size()), 0) << i;
  }
}

TEST(IndexKeyTest, TextKeys) {
  EXPECT_EQ(Hex(TextKey(u"PRESET_DEFS")),
            "7f 66 69 51 6b 51 6d 2b 03 4f 51 53 6b 01 00");
  EXPECT_EQ(TextKey(u"preset_defs"), TextKey(u"PRESET_DEFS"));
  EXPECT_EQ(Hex(TextKey(u"Table 1")), "7f 6d 4a 4c 5e 51 07 38 01 00");
  EXPECT_EQ(Hex(TextKey(u"A-B")), "7f 4a 4c 01 01 01 01 80 0b 06 82 00");
  EXPECT_EQ(Hex(TextKey(u"O'Brien")),
            "7f 64 4c 69 59 51 62 01 01 01 01 80 0b 06 80 00");
  EXPECT_EQ(Hex(TextKey(u"Caf\u00e9")), "7f 4d 4a 53 51 01 02 02 02 0e 00");
  EXPECT_EQ(Hex(TextKey(u"x  ")), "7f 75 01 00");
  EXPECT_EQ(Hex(TextKey(u"")), "7f 01 00");
  IndexKey k;
  AppendTextKey(u"PRESET_DEFS", false, k);
  EXPECT_EQ(Hex(k), "80 99 96 ae 94 ae 92 d4 fc b0 ae ac 94 fe ff 00");

  // Only the first 255 characters count.
  EXPECT_EQ(TextKey(std::u16string(255, u'a') + u"\u0416"),
            TextKey(std::u16string(300, u'a')));
}

// One character of each class of the General sort order; the bytes follow
// from the character's line in the code lists the table is made from
// (jet/data/NOTICE.md).
TEST(IndexKeyTest, CharacterClasses) {
  const struct {
    const char16_t* text;
    const char* key;
  } cases[] = {
      {u"\u0152", "7f 64 51 01 00"},                 // ligature OE: two letters
      {u"\ufb01", "7f 53 59 01 00"},                 // ligature fi
      {u"\u0160", "7f 6b 01 14 00"},                 // S caron: letter + accent
      {u"e\u0301", "7f 51 01 0e 00"},                // e + combining acute = é
      {u"\u0661", "7f 39 02 01 38 00"},              // Arabic-Indic digit one
      {u"\uff10", "7f 36 01 00"},                    // fullwidth digit zero = 0
      {u"\u201c\u20ac", "7f 2b 3b 35 a1 01 00"},     // quotation mark, euro
      {u"\u2014", "7f 01 01 01 01 80 07 06 8b 00"},  // em dash: unprintable
      {u"\u00e9-a", "7f 51 4a 01 0e 01 01 01 80 0b 06 82 00"},
      {u"\u0416\u0436", "7f 79 38 79 38 01 00"},  // Cyrillic, case ignored
      {u"\u03a9\u1f10", "7f 79 23 01 00"},        // Greek; polytonic ignored
      {u"\u05d0\u0627", "7f 79 94 79 ab 01 02 08 00"},  // Hebrew, Arabic
      {u"\u0e01", "7f 7c 98 01 03 00"},                 // Thai
      {u"\u6f22", "7f c0 b6 01 00"},                    // CJK ideograph
      {u"\uac00\ud7a3", "7f 81 03 ad c0 01 00"},        // Hangul syllables
      {u"\u3041\u3042", "7f 7f 02 7f 02 01 01 01 a0 ff 02 80 ff 80 00"},
      {u"\ue000", "7f e6 02 01 00"},                  // private use
      {u"\ufeff", "7f 01 00"},                        // ignored
      {u"\U0001F600", "7f b0 3f b6 fc 01 3f 3f 00"},  // surrogate pair
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Hex(TextKey(c.text)), c.key) << Hex(TextKey(c.text));
  }
  // Keys copied from the Access-made sample's index on its Unicode column.
  EXPECT_EQ(Hex(TextKey(u"\u041c\u0438\u0440")), "7f 79 43 79 3b 79 48 01 00");
  EXPECT_EQ(Hex(TextKey(u"\u03f0\u03b1\u1f76 \u03c4\u1f79\u03c4' "
                        u"\u1f10\u03b3\u1f7c \u039a\u1f7b\u03f0\u03bb"
                        u"\u03c9\u03c0\u03b1")),
            "7f 79 15 79 0c 07 79 1e 79 1e 07 79 0e 07 79 15 79 15 79 16 79 "
            "23 79 1b 79 0c 01 03 02 02 02 02 02 02 02 02 03 01 01 01 80 1b "
            "06 80 00");
  EXPECT_EQ(Hex(TextKey(u"\u6f22\u5b57\u4eee\u540d\u4ea4\u3058\u308a"
                        u"\u6587")),
            "7f c0 b6 ac ac a0 0d a5 47 9f be 7f 13 7f 43 b6 f6 01 02 02 02 "
            "02 02 03 01 01 ff 02 80 ff 80 00");
}

TEST(IndexKeyTest, BinaryGuidDecimalKeys) {
  const uint8_t ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  IndexKey k;
  AppendBinaryKey(ten, true, k);
  AppendBinaryKey(ten, false, k);
  EXPECT_EQ(Hex(k),
            "7f 01 02 03 04 05 06 07 08 09 09 0a 00 00 00 00 00 00 02 "
            "80 fe fd fc fb fa f9 f8 f7 09 f6 f5 ff ff ff ff ff ff fd");
  k.clear();
  // {00112233-4455-6677-8899-AABBCCDDEEFF} as a row stores it.
  const uint8_t guid[16] = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                            0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  AppendGuidKey(guid, true, k);
  EXPECT_EQ(Hex(k), "7f 00 11 22 33 44 55 66 77 09 88 99 aa bb cc dd ee ff 08");
  // Decimal 1 and -1, ascending then descending (the least significant
  // word is stored last).
  uint8_t one[17] = {}, minus_one[17] = {0x80};
  one[13] = minus_one[13] = 1;
  k.clear();
  for (bool ascending : {true, false}) {
    AppendDecimalKey(one, ascending, k);
    AppendDecimalKey(minus_one, ascending, k);
  }
  const std::string zeros = " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
  const std::string ffs = " ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff";
  EXPECT_EQ(Hex(k), "7f ff" + zeros + " 01 7f 00" + ffs + " fe 80 ff" + ffs +
                        " fe 80 00" + zeros + " 01");
}

// Rows in other scripts go into the Access-made table whose text column is
// indexed; FindDamage recomputes every entry of the rebuilt indexes.
TEST(IndexKeyTest, AccessIndexTakesAnyScript) {
  auto w = DatabaseWriter::Open(
      test_support::Sample("access/unicode-comp-testUnicodeCompV2003.mdb"));
  const char* texts[] = {"€ Œ Š “quoted”",
                         "Привет, мир",
                         "Ἀθῆναι",
                         "東京都 渋谷区",
                         "서울",
                         "カタカナ ひらがな",
                         "e\xCC\x81 \xF0\x9F\x98\x80"};
  int32_t id = 100;
  for (const char* t : texts) {
    w->Insert("Table", {base::Value::Long(id++), base::Value::Text(t)});
  }
  w->Flush();
  EXPECT_EQ(w->Rows("Table").size(), 8 + std::size(texts));
  EXPECT_EQ(FindDamage(w->bytes()), std::vector<std::string>{});
}

}  // namespace
}  // namespace jet
