#include "jet/index_key.h"

#include <gtest/gtest.h>

#include <string>

#include "base/runtime_error.h"
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

  EXPECT_FALSE(TextKeySupported(u"\u0416"));
  EXPECT_THROW(TextKey(u"a\u0416"), base::RuntimeError);
  // Only the first 255 characters count.
  EXPECT_EQ(TextKey(std::u16string(255, u'a') + u"\u0416"),
            TextKey(std::u16string(300, u'a')));
}

}  // namespace
}  // namespace jet
