// mdb check: FindDamage's findings as the command reports them.
#include <gtest/gtest.h>

#include <string>

#include "base/runtime_error.h"
#include "jet/catalog_writer.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "jet/tool/create_command.h"
#include "tests/support/test_support.h"

namespace jet::tool {
namespace {

namespace f = format;

class CheckCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto w = DatabaseWriter::CreateNew();
    w->CreateTable("T", {{"ID", f::kTypeLong, 0}, {"M", f::kTypeMemo, 0}});
    for (int i = 0; i < 30; ++i) {
      w->Insert("T", {base::Value::Long(i),
                      base::Value::Text(std::string(i * 200, 'm'))});
    }
    w->Flush();
    bytes_ = w->bytes();
    table_page_ = w->FindTable("T");
  }

  int Check(const std::vector<uint8_t>& bytes) {
    std::string arg = dir_ / "check.mdb";
    test_support::WriteBytes(arg, std::string(bytes.begin(), bytes.end()));
    char* argv[] = {arg.data()};
    return RunCheckCommand(1, argv);
  }

  std::vector<uint8_t> bytes_;
  uint32_t table_page_ = 0;
  test_support::TempDir dir_;
};

TEST_F(CheckCommandTest, AcceptsWhatTheWriterMakesAndCatchesDamage) {
  EXPECT_EQ(Check(bytes_), 0);

  // A wrong row count in the table definition.
  std::vector<uint8_t> bad = bytes_;
  bad[table_page_ * 4096 + f::kTdefRowCount] ^= 1;
  EXPECT_EQ(Check(bad), 1);

  // A changed key byte in the catalog's Id index (root page 8).
  bad = bytes_;
  bad[8 * 4096 + 480 + 3] ^= 0x10;
  EXPECT_EQ(Check(bad), 1);

  // A data page of the table marked free in the global usage map.
  PageStore store(bytes_);
  uint32_t data_page = 0;
  ForEachLiveRow(
      store, LoadTableDef(store, table_page_),
      [&](RowId id, std::span<const uint8_t>) { data_page = id.page; });
  store.SetGlobalBit(data_page, true);
  EXPECT_EQ(Check(store.bytes()), 1);

  // A long-value pointer into nowhere.
  bad = bytes_;
  for (uint32_t p = 3; p < bad.size() / 4096; ++p) {
    if (bad[p * 4096] == 1 && GetU32(bad, p * 4096 + 4) == 0x4C41564C) {
      bad[p * 4096 + 14] = 0xFF;  // first LVAL row's offset
      bad[p * 4096 + 15] = 0x0F;
      break;
    }
  }
  EXPECT_EQ(Check(bad), 1);
}

// Damage anywhere gives a report or a runtime error, never a crash.
TEST_F(CheckCommandTest, SurvivesNoiseOnEveryPage) {
  uint32_t seed = 12345;
  for (size_t page = 1; page < bytes_.size() / 4096; ++page) {
    std::vector<uint8_t> bad = bytes_;
    for (size_t k = 0; k < 4096; k += 7) {
      seed = seed * 1103515245 + 12345;
      bad[page * 4096 + k] = static_cast<uint8_t>(seed >> 16);
    }
    try {
      Check(bad);
    } catch (const base::RuntimeError&) {
    }
  }
}

}  // namespace
}  // namespace jet::tool
