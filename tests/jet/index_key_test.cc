#include "jet/index_key.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/runtime_error.h"
#include "tests/jet/writer_test_util.h"

namespace jet {
namespace {

using jet_test::Bytes;
using jet_test::Hex;

std::string HexKey(const IndexKey& k) { return Hex(Bytes(k.begin(), k.end())); }

TEST(IndexKeyTest, NumericKeys) {
  EXPECT_EQ(HexKey(LongKey(0)), "7f 80 00 00 00");
  EXPECT_EQ(HexKey(LongKey(-1)), "7f 7f ff ff ff");
  EXPECT_EQ(HexKey(LongKey(0x0F000001)), "7f 8f 00 00 01");
  EXPECT_EQ(HexKey(LongKey(INT32_MIN)), "7f 00 00 00 00");
  IndexKey k;
  AppendLongKey(19, false, k);
  EXPECT_EQ(HexKey(k), "80 7f ff ff ec");
  k.clear();
  AppendIntegerKey(-2, true, k);
  AppendNullKey(true, k);
  AppendNullKey(false, k);
  EXPECT_EQ(HexKey(k), "7f 7f fe 00 ff");

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
  EXPECT_EQ(HexKey(TextKey(u"PRESET_DEFS")),
            "7f 66 69 51 6b 51 6d 2b 03 4f 51 53 6b 01 00");
  EXPECT_EQ(TextKey(u"preset_defs"), TextKey(u"PRESET_DEFS"));
  EXPECT_EQ(HexKey(TextKey(u"Table 1")), "7f 6d 4a 4c 5e 51 07 38 01 00");
  EXPECT_EQ(HexKey(TextKey(u"A-B")), "7f 4a 4c 01 01 01 01 80 0b 06 82 00");
  EXPECT_EQ(HexKey(TextKey(u"O'Brien")),
            "7f 64 4c 69 59 51 62 01 01 01 01 80 0b 06 80 00");
  EXPECT_EQ(HexKey(TextKey(u"Caf\u00e9")), "7f 4d 4a 53 51 01 02 02 02 0e 00");
  EXPECT_EQ(HexKey(TextKey(u"x  ")), "7f 75 01 00");
  EXPECT_EQ(HexKey(TextKey(u"")), "7f 01 00");
  IndexKey k;
  AppendTextKey(u"PRESET_DEFS", false, k);
  EXPECT_EQ(HexKey(k), "80 99 96 ae 94 ae 92 d4 fc b0 ae ac 94 fe ff 00");

  EXPECT_FALSE(TextKeySupported(u"\u0416"));
  EXPECT_THROW(TextKey(u"a\u0416"), base::RuntimeError);
  // Only the first 255 characters count.
  EXPECT_EQ(TextKey(std::u16string(255, u'a') + u"\u0416"),
            TextKey(std::u16string(300, u'a')));
}

// Recomputes every stored key of every Long/Integer/Text index in the
// Access-made sample files and compares it byte for byte.
TEST(IndexKeyTest, ReproducesEveryStoredKeyOfTheSamples) {
  const std::filesystem::path dir =
      std::filesystem::path(CORVANE_TEST_DATA_DIR) / "access";
  size_t checked = 0, text_checked = 0, skipped = 0, files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".mdb") continue;
    ++files;
    jet_test::File f(entry.path().string());
    jet_test::Table catalog = f.ReadTable(2);
    std::vector<uint32_t> tdefs;
    f.ForEachRow(catalog, [&](uint32_t, uint8_t, const Bytes& row) {
      auto type = jet_test::File::Value(catalog, row, *catalog.ByName(u"Type"));
      auto id = jet_test::File::Value(catalog, row, *catalog.ByName(u"Id"));
      if (type && jet_test::U16(type->data()) == 1 && id)
        tdefs.push_back(jet_test::U32(id->data()) & 0x00FFFFFF);
    });
    ASSERT_GE(tdefs.size(), 4u) << entry.path();
    for (uint32_t tdef : tdefs) {
      jet_test::Table t = f.ReadTable(tdef);
      for (const jet_test::RealIndex& ix : t.indexes) {
        bool keyable = true;
        for (auto [cn, asc] : ix.columns) {
          const jet_test::Column* c = t.ByNumber(cn);
          if (!c || (c->type != 3 && c->type != 4 && c->type != 10))
            keyable = false;
        }
        if (!keyable) continue;
        for (const Bytes& e : f.IndexEntries(ix.root)) {
          ASSERT_GE(e.size(), 5u);
          const size_t n = e.size();
          const uint32_t page = e[n - 4] << 16 | e[n - 3] << 8 | e[n - 2];
          auto row = f.Row(page, e[n - 1]);
          ASSERT_TRUE(row) << entry.path() << " page " << page;
          IndexKey key;
          bool ok = true;
          bool has_text = false;
          for (auto [cn, asc] : ix.columns) {
            const jet_test::Column* c = t.ByNumber(cn);
            auto v = jet_test::File::Value(t, *row, *c);
            if (!v) {
              AppendNullKey(asc, key);
            } else if (c->type == 4) {
              AppendLongKey(int32_t(jet_test::U32(v->data())), asc, key);
            } else if (c->type == 3) {
              AppendIntegerKey(int16_t(jet_test::U16(v->data())), asc, key);
            } else {
              std::u16string s = jet_test::DecodeText(*v);
              if (!TextKeySupported(s)) {
                ok = false;
                break;
              }
              has_text = true;
              AppendTextKey(s, asc, key);
            }
          }
          if (!ok) {
            ++skipped;
            continue;
          }
          Bytes stored(e.begin(), e.end() - 4);
          EXPECT_EQ(Hex(Bytes(key.begin(), key.end())), Hex(stored))
              << entry.path() << " table page " << tdef;
          ++checked;
          if (has_text) ++text_checked;
        }
      }
    }
  }
  RecordProperty("keys_checked", static_cast<int>(checked));
  RecordProperty("text_keys_checked", static_cast<int>(text_checked));
  RecordProperty("skipped_non_latin", static_cast<int>(skipped));
  EXPECT_GE(files, 11u);
  EXPECT_GT(checked, 1500u);
  EXPECT_GT(text_checked, 200u);
  EXPECT_LT(skipped, 10u);
}

}  // namespace
}  // namespace jet
