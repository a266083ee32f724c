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
