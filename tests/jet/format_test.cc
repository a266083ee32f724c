// Low-level decoding: header mask, text encodings, usage maps, encrypted
// pages (rows are read from every sample in crosscheck.py).

#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "jet/database.h"
#include "jet/header.h"
#include "jet/rc4.h"
#include "jet/text_codec.h"
#include "jet/usage_map.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

std::vector<uint8_t> B(std::initializer_list<int> v) {
  return std::vector<uint8_t>(v.begin(), v.end());
}

TEST(FormatTest, HeaderMaskIsTheRc4KeyStream) {
  std::vector<uint8_t> zeros(16, 0);
  Rc4Apply(format::kHeaderMaskKey, zeros);
  EXPECT_EQ(zeros, B({0xB5, 0x6F, 0x03, 0x62, 0x61, 0x08, 0xC2, 0x55, 0xEB,
                      0xA9, 0x67, 0x72, 0x43, 0x3F, 0x00, 0x9C}));
}

TEST(FormatTest, TextDecoding) {
  EXPECT_EQ(DecodeText(B({'a', 0, 'b', 0})), "ab");
  EXPECT_EQ(DecodeText(B({0xFF, 0xFE, 'a', 'b', 'c'})), "abc");
  // 00 switches to two-byte characters and back.
  EXPECT_EQ(DecodeText(B({0xFF, 0xFE, 'a', 0, 0x1C, 0x04, 0, 'z'})), "aМz");
  EXPECT_EQ(DecodeText(B({0xFF, 0xFE, 0xE4})), "ä");
  EXPECT_EQ(DecodeText(B({0xFF, 0xFE})), "");
  EXPECT_EQ(DecodeText(B({})), "");
  // A dangling half character is dropped, not read past.
  EXPECT_EQ(DecodeText(B({0xFF, 0xFE, 'a', 0, 0x41})), "a");
  EXPECT_EQ(DecodeText(B({'a', 0, 'b'})), "a");
}

TEST(FormatTest, UsageMapsInlineAndByReference) {
  std::vector<uint8_t> bytes = test_support::ReadBytes(
      test_support::Sample("access/deleted-rows-delTestV2000.mdb"));
  const uint32_t map_page = static_cast<uint32_t>(bytes.size() / 4096);
  std::vector<uint8_t> bitmap(4096, 0);
  bitmap[0] = format::kPageUsageMap;
  bitmap[1] = 0x01;
  auto set = [&](uint32_t p) { bitmap[4 + p / 8] |= 1 << (p % 8); };
  set(3);
  set(map_page);
  set(30000);  // beyond the end of the file: left out
  bytes.insert(bytes.end(), bitmap.begin(), bitmap.end());
  auto file = PageFile::FromBytes(bytes, "x.mdb");

  std::vector<uint8_t> ref = {1,
                              static_cast<uint8_t>(map_page),
                              static_cast<uint8_t>(map_page >> 8),
                              0,
                              0,
                              0,
                              0,
                              0,
                              0};  // second map page not allocated
  EXPECT_EQ(ParseUsageMap(*file, ref, {}).pages,
            (std::vector<uint32_t>{3, map_page}));

  std::vector<uint8_t> inl = B({0, 8, 0, 0, 0, 0x05, 0x00, 0x80});
  EXPECT_EQ(ParseUsageMap(*file, inl, {}).pages,
            (std::vector<uint32_t>{8, 10, 31}));

  // A reference to a page that is no bitmap page, an unknown map type and a
  // row too short for its start page are damage.
  EXPECT_THROW(ParseUsageMap(*file, B({1, 2, 0, 0, 0}), {}),
               base::RuntimeError);
  EXPECT_THROW(ParseUsageMap(*file, B({7, 0, 0, 0, 0}), {}),
               base::RuntimeError);
  EXPECT_THROW(ParseUsageMap(*file, B({0, 1, 0}), {}), base::RuntimeError);
}

TEST(FormatTest, EncryptedPagesAreDecrypted) {
  const std::string path = test_support::Sample("plant/template.mdb");
  std::vector<uint8_t> bytes = test_support::ReadBytes(path);
  // Store a database key in the masked header, then encrypt every page after
  // page 0 with RC4 keyed by (key XOR page number), as Jet does.
  const uint32_t key = 0x1234ABCD;
  std::span<uint8_t> page0(bytes.data(), 4096);
  ToggleHeaderMask(page0);
  for (int i = 0; i < 4; ++i) {
    page0[format::kHeaderDbKey + i] = static_cast<uint8_t>(key >> (8 * i));
  }
  ToggleHeaderMask(page0);
  for (uint32_t n = 1; n < bytes.size() / 4096; ++n) {
    uint32_t k = key ^ n;
    uint8_t kb[4] = {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8),
                     static_cast<uint8_t>(k >> 16),
                     static_cast<uint8_t>(k >> 24)};
    Rc4Apply(kb, std::span<uint8_t>(bytes.data() + n * 4096, 4096));
  }
  auto encrypted = Database::FromBytes(bytes, "enc.mdb");
  EXPECT_EQ(encrypted->header().db_key, key);
  auto plain = Database::Open(path);
  for (const std::string& t : plain->TableNames(false)) {
    std::vector<Row> a = plain->ReadRows(t), b = encrypted->ReadRows(t);
    ASSERT_EQ(a.size(), b.size()) << t;
    for (size_t r = 0; r < a.size(); ++r) EXPECT_EQ(a[r].values, b[r].values);
  }
}

}  // namespace
}  // namespace jet
