// Damaged, truncated and hostile files end in base::RuntimeError: never a
// crash, a hang or another exception.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "base/runtime_error.h"
#include "jet/data_page.h"
#include "jet/database.h"
#include "jet/format.h"
#include "jet/lval.h"
#include "jet/row_reader.h"
#include "jet/table_scan.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

constexpr auto& Fixture = test_support::Sample;
using test_support::ErrorOf;
using test_support::ReadBytes;

// Opens bytes and reads every table, system tables included.
size_t ReadEverything(std::vector<uint8_t> bytes) {
  auto db = Database::FromBytes(std::move(bytes), "test.mdb");
  size_t rows = 0;
  for (const std::string& name : db->TableNames(true)) {
    rows += db->ReadRows(name).size();
  }
  return rows;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(DamageTest, FilesThatAreNoJet4DatabaseAreUnrecognized) {
  std::vector<uint8_t> good =
      ReadBytes(Fixture("access/deleted-rows-delTestV2000.mdb"));
  auto open = [](std::vector<uint8_t> b) {
    return ErrorOf([&] { Database::FromBytes(std::move(b), "x.mdb"); });
  };
  EXPECT_EQ(open(good), 0);
  EXPECT_EQ(open({}), 3343);
  EXPECT_EQ(open(std::vector<uint8_t>(good.begin(), good.begin() + 4095)),
            3343);
  EXPECT_EQ(open(std::vector<uint8_t>(8192, 0x41)), 3343);
  auto jet3 = good;
  jet3[format::kHeaderVersion] = format::kVersionJet3;
  EXPECT_EQ(open(jet3), 3343);
  auto ace = good;
  ace[format::kHeaderVersion] = 0x02;
  std::memcpy(&ace[format::kHeaderEngineName], format::kAceEngineName, 15);
  EXPECT_EQ(open(ace), 3343);

  int number = 0;
  std::string text;
  try {
    Database::Open(Fixture("README.md"));
  } catch (const base::RuntimeError& e) {
    number = e.number();
    text = e.description();
  }
  EXPECT_EQ(number, 3343);
  EXPECT_EQ(text,
            "Unrecognized database format '" + Fixture("README.md") + "'.");
  EXPECT_EQ(ErrorOf([] { Database::Open(Fixture("no-such-file.mdb")); }), 3024);
  EXPECT_EQ(ErrorOf([] { Database::Open(Fixture("access")); }), 3343);
}

TEST(DamageTest, TruncatedFilesFailCleanly) {
  for (const char* f : {"access/overflow-rows-overflowTestV2003.mdb",
                        "access/types-msproject-test2V2000.mdb"}) {
    std::vector<uint8_t> full = ReadBytes(Fixture(f));
    int failures = 0;
    for (size_t size = 4096; size < full.size(); size += 4096 - 1000) {
      std::vector<uint8_t> cut(full.begin(), full.begin() + size);
      int e = ErrorOf([&] { ReadEverything(cut); });
      EXPECT_TRUE(e == 0 || e == 3049 || e == 3343)
          << f << " size " << size << " " << e;
      failures += e != 0;
    }
    EXPECT_GT(failures, 0) << f;
  }
}

// A table definition whose page chain loops back on itself while claiming
// more pages, or that claims 2^31 indexes.
TEST(DamageTest, DamagedTableDefinitions) {
  const char* f = "access/deleted-rows-delTestV2000.mdb";
  const uint32_t tdef =
      Database::Open(Fixture(f))->catalog().FindTable("Table")->tdef_page;
  const size_t at = static_cast<size_t>(tdef) * 4096;
  const std::vector<std::vector<std::pair<size_t, uint32_t>>> cases = {
      {{format::kTdefNextPage, tdef}, {format::kTdefLength, 3 * 4096}},
      {{format::kTdefRealIndexCount, 0x7FFFFFFF}}};
  for (const auto& patches : cases) {
    std::vector<uint8_t> bytes = ReadBytes(Fixture(f));
    for (const auto& [offset, value] : patches)
      Put32(bytes, at + offset, value);
    auto db = Database::FromBytes(bytes, "x.mdb");
    EXPECT_EQ(ErrorOf([&] { db->ReadRows("Table"); }), 3049)
        << patches[0].first;
  }
}

TEST(DamageTest, OverflowPointerCycle) {
  const char* f = "access/overflow-rows-overflowTestV2003.mdb";
  std::vector<uint8_t> bytes = ReadBytes(Fixture(f));
  auto db = Database::Open(Fixture(f));
  // Point the first overflow slot at itself.
  bool done = false;
  for (uint32_t p : TableDataPages(db->file(), db->GetTableDef("Table1"))) {
    Bytes page = db->file().ReadPage(p);
    for (uint16_t r = 0; r < RowCount(page) && !done; ++r) {
      RowSlot s = GetRowSlot(page, r);
      if (!s.overflow || s.deleted) continue;
      Put32(bytes, static_cast<size_t>(p) * 4096 + s.start, (p << 8) | r);
      done = true;
    }
  }
  ASSERT_TRUE(done);
  auto bad = Database::FromBytes(bytes, "x.mdb");
  EXPECT_EQ(ErrorOf([&] { bad->ReadRows("Table1"); }), 3049);
}

TEST(DamageTest, LongValueChainCycleAndLength) {
  const char* f = "access/types-msproject-test2V2000.mdb";
  std::vector<uint8_t> bytes = ReadBytes(Fixture(f));
  auto db = Database::Open(Fixture(f));
  const TableDef& def = db->GetTableDef("MSP_PROJECTS");
  const ColumnDef* ole = nullptr;
  for (const ColumnDef& c : def.columns) {
    if (c.type == format::kTypeOle) ole = &c;
  }
  ASSERT_NE(ole, nullptr);
  LvalHeader header;
  ScanTable(db->file(), def, [&](RowId, Bytes row) {
    RowLayout layout(row, def);
    header = ParseLvalHeader(*layout.Var(ole->var_index));
  });
  ASSERT_EQ(header.kind, format::kLvalChain);
  ASSERT_EQ(header.length, 22970u);
  // The first chunk's "next" pointer leads back to the first chunk.
  Bytes page = db->file().ReadPage(header.first.page);
  RowSlot s = GetRowSlot(page, header.first.row);
  auto cyclic = bytes;
  Put32(cyclic, static_cast<size_t>(header.first.page) * 4096 + s.start,
        header.first.Packed());
  auto bad = Database::FromBytes(cyclic, "x.mdb");
  EXPECT_EQ(ErrorOf([&] { bad->ReadRows("MSP_PROJECTS"); }), 3049);
  // A chain that ends before the stated length.
  auto short_chain = bytes;
  Put32(short_chain, static_cast<size_t>(header.first.page) * 4096 + s.start,
        0);
  bad = Database::FromBytes(short_chain, "x.mdb");
  EXPECT_EQ(ErrorOf([&] { bad->ReadRows("MSP_PROJECTS"); }), 3049);
}

}  // namespace
}  // namespace jet
