#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/runtime_error.h"
#include "jet/catalog_writer.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "jet/tool/create_command.h"

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
    path_ =
        (std::filesystem::temp_directory_path() /
         ("check_" +
          std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
          ".mdb"))
            .string();
  }
  void TearDown() override { std::filesystem::remove(path_); }

  int Check(const std::vector<uint8_t>& bytes) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::string arg = path_;
    char* argv[] = {arg.data()};
    return RunCheckCommand(1, argv);
  }

  std::vector<uint8_t> bytes_;
  uint32_t table_page_ = 0;
  std::string path_;
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
  ScanTable(store, LoadTableDef(store, table_page_),
            [&](RowId id, std::span<const uint8_t>) { data_page = id.page; });
  store.SetGlobalBit(data_page, true);
  EXPECT_EQ(Check(store.bytes()), 1);

  // A long-value pointer into nowhere.
  bad = bytes_;
  for (uint32_t p = 3; p < bad.size() / 4096; ++p) {
    if (bad[p * 4096] == 1 && U32(bad, p * 4096 + 4) == 0x4C41564C) {
      bad[p * 4096 + 14] = 0xFF;  // first LVAL row's offset
      bad[p * 4096 + 15] = 0x0F;
      break;
    }
  }
  EXPECT_EQ(Check(bad), 1);
}

// Every sample made by Access or Jackcess is clean, its index entries
// included: each stored key equals the key our index_key.cc computes for its
// row (rows with characters beyond the key tables are left out).
TEST_F(CheckCommandTest, EverySampleIsClean) {
  size_t files = 0;
  for (const char* dir : {"access", "plant"}) {
    for (const auto& e : std::filesystem::directory_iterator(
             std::filesystem::path(CORVANE_TEST_DATA_DIR) / dir)) {
      std::string arg = e.path().string();
      char* argv[] = {arg.data()};
      EXPECT_EQ(RunCheckCommand(1, argv), 0) << arg;
      ++files;
    }
  }
  EXPECT_GE(files, 15u);
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
