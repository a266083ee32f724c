// The structural check (FindDamage, `mdb check`) and what the writer does
// with damage (the samples pass it: fixture_rebuild_test.cc): each kind of
// damage is reported, files cut short or with a map past their end are
// refused for writing, a stale TDEF next pointer frees nothing of another
// object, a failed change leaves no trace, and RC4-encoded files are checked
// on their decoded pages (also when checked in a writer's page store).
#include "jet/integrity.h"

#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "jet/catalog_writer.h"
#include "jet/database.h"
#include "jet/database_write.h"
#include "jet/file_io.h"
#include "jet/format.h"
#include "jet/tool/create_command.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

namespace f = format;
using base::Value;

std::vector<uint8_t> Sample(const std::string& name) {
  auto bytes = ReadWholeFile(test_support::Sample(name));
  EXPECT_TRUE(bytes) << name;
  return bytes ? *bytes : std::vector<uint8_t>{};
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  return all;
}

uint32_t FindTable(const PageStore& store, const std::string& name) {
  for (const CatalogEntry& o : ReadCatalogEntries(store)) {
    if (o.type == f::kObjectTypeTable && o.name == name) {
      return static_cast<uint32_t>(o.id) & f::kObjectIdPageMask;
    }
  }
  ADD_FAILURE() << name;
  return 0;
}

int OpenError(std::vector<uint8_t> bytes) {
  try {
    DatabaseWriter::FromBytes(std::move(bytes));
  } catch (const base::RuntimeError& e) {
    return e.number();
  }
  return 0;
}

TEST(IntegrityTest, FilesThatPointPastTheirEndAreRefusedForWriting) {
  for (const char* name :
       {"plant/template.mdb", "access/index-512rows-compIndexTestV2003.mdb"}) {
    const std::vector<uint8_t> whole = Sample(name);
    std::vector<std::vector<uint8_t>> damaged;
    for (size_t pages : {1, 2}) {
      damaged.emplace_back(whole.begin(), whole.end() - pages * f::kPageSize);
    }
    // The catalog's data map starts past the end of the file.
    PageStore store(whole);
    const TableDef def = LoadTableDef(store, FindTable(store, "MSysObjects"));
    auto page = store.Page(def.owned_map.page);
    const RowSlot slot = GetRowSlot(page, def.owned_map.row);
    ASSERT_EQ(page[slot.start], f::kMapInline);
    PutU32(page, slot.start + f::kMapInlineStart, store.page_count());
    damaged.push_back(store.bytes());
    for (const auto& bytes : damaged) {
      EXPECT_EQ(OpenError(bytes), base::err::kCorruptDatabase) << name;
      EXPECT_NE(Joined(FindDamage(bytes)).find("end of the file"),
                std::string::npos)
          << name << ": " << Joined(FindDamage(bytes));
    }
  }
}

class WrittenDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    w_ = DatabaseWriter::CreateNew();
    w_->CreateTable("T", {{"ID", f::kTypeLong, 0},
                          {"M", f::kTypeMemo, 0},
                          {"S", f::kTypeText, 20}});
    for (int i = 0; i < 20; ++i) {
      w_->Insert("T", {Value::Long(i), Value::Text(std::string(i * 300, 'm')),
                       Value::Text("s")});
    }
    w_->Flush();
  }
  std::unique_ptr<DatabaseWriter> w_;
};

TEST_F(WrittenDatabase, ReportsLeakedLongValuesAndPagesOwnedTwice) {
  ASSERT_EQ(Joined(FindDamage(w_->bytes())), "");
  const TableDef def = w_->Def("T");
  std::vector<RowId> rows;
  ScanTable(w_->store(), def,
            [&](RowId id, std::span<const uint8_t>) { rows.push_back(id); });
  ASSERT_FALSE(rows.empty());

  // A row deleted without its long value.
  PageStore leaked(w_->bytes());
  DataPageFlagRow(leaked.Page(rows.back().page), rows.back().row, 0xC000);
  EXPECT_NE(Joined(FindDamage(leaked.bytes())).find("no row refers to"),
            std::string::npos);

  // A data page listed by the table's map and by the long values' map too.
  PageStore twice(w_->bytes());
  MapSetPage(twice, def.column_maps.at(0).owned.Packed(), rows[0].page, true);
  const std::vector<uint8_t> bytes = twice.bytes();
  EXPECT_NE(Joined(FindDamage(bytes)).find("also owned by"), std::string::npos);
  EXPECT_EQ(OpenError(bytes), base::err::kCorruptDatabase);
}

// Each kind of damage is found, and `mdb check` fails on it; noise on any
// page gives a report or a runtime error, never a crash.
TEST_F(WrittenDatabase, FindsWrongCountsKeysMapsAndPointers) {
  const std::vector<uint8_t> good = w_->bytes();
  const uint32_t table = w_->FindTable("T");
  std::vector<std::vector<uint8_t>> damaged(4, good);
  damaged[0][table * f::kPageSize + f::kTdefRowCount] ^= 1;
  damaged[1][8 * f::kPageSize + 480 + 3] ^= 0x10;  // catalog Id index key
  PageStore store(good);  // a data page of the table marked free
  store.SetGlobalBit(w_->Rows("T").front().first.page, true);
  damaged[2] = store.bytes();
  for (uint32_t p = 3; p < good.size() / f::kPageSize; ++p) {
    const size_t at = p * f::kPageSize;
    if (good[at] == 1 && U32(good, at + 4) == 0x4C41564C) {
      damaged[3][at + 14] = 0xFF;  // first LVAL row's offset into nowhere
      damaged[3][at + 15] = 0x0F;
      break;
    }
  }
  test_support::TempDir dir;
  auto check = [&](const std::vector<uint8_t>& bytes) {
    std::string path = dir / "check.mdb";
    test_support::WriteBytes(path, std::string(bytes.begin(), bytes.end()));
    char* argv[] = {path.data()};
    return tool::RunCheckCommand(1, argv);
  };
  EXPECT_EQ(check(good), 0);
  for (size_t i = 0; i < damaged.size(); ++i)
    EXPECT_EQ(check(damaged[i]), 1) << i;

  uint32_t seed = 12345;
  for (size_t page = 1; page < good.size() / f::kPageSize; ++page) {
    std::vector<uint8_t> bad = good;
    for (size_t k = 0; k < f::kPageSize; k += 7) {
      seed = seed * 1103515245 + 12345;
      bad[page * f::kPageSize + k] = static_cast<uint8_t>(seed >> 16);
    }
    try {
      check(bad);
    } catch (const base::RuntimeError&) {
    }
    // The check of a writer's image in place finds the same, and the
    // reader's refusal is reported as the reader words it.
    auto found = [](const auto& image) {
      try {
        return FindDamage(image);
      } catch (const base::RuntimeError& e) {
        return std::vector<std::string>{"threw " + e.description()};
      }
    };
    const std::vector<std::string> problems = found(bad);
    EXPECT_EQ(found(PageStore(bad)), problems) << page;
    try {
      (void)Database::FromBytes(bad, "(database)");
    } catch (const base::RuntimeError& e) {
      ASSERT_FALSE(problems.empty()) << page;
      EXPECT_EQ(problems.back(), "file: " + e.description()) << page;
    }
  }
}

TEST_F(WrittenDatabase, FailedChangesLeaveNothingBehind) {
  const std::vector<uint8_t> before = w_->bytes();
  const RowId first = w_->Rows("T").front().first;
  // The long value is stored before the text turns out too long.
  const std::vector<Value> too_long = {Value::Long(99),
                                       Value::Text(std::string(9000, 'x')),
                                       Value::Text(std::string(30, 't'))};
  EXPECT_THROW(w_->Insert("T", too_long), base::RuntimeError);
  EXPECT_THROW(w_->Update("T", first, too_long), base::RuntimeError);
  EXPECT_EQ(w_->bytes(), before);
  // The writer goes on working.
  w_->Insert("T", {Value::Long(99), Value::Text(std::string(9000, 'x')),
                   Value::Text("ok")});
  w_->Flush();
  EXPECT_EQ(w_->Rows("T").size(), 21u);
  EXPECT_EQ(Joined(FindDamage(w_->bytes())), "");
}

// Some writers leave the next pointer of a table definition's last page
// pointing at a page that now belongs to something else.
TEST(IntegrityTest, StaleTdefNextPointerFreesNothingOfAnotherObject) {
  std::vector<uint8_t> bytes = Sample("plant/template.mdb");
  PageStore store(bytes);
  const uint32_t stale = FindTable(store, "Source_DEFS");
  const uint32_t other = FindTable(store, "PRESET_DEFS");
  ASSERT_EQ(U32(store.Page(stale), f::kTdefNextPage), 0u);
  PutU32(store.Page(stale), f::kTdefNextPage, other);
  auto w = DatabaseWriter::FromBytes(store.bytes());
  const auto other_rows = w->Rows("PRESET_DEFS");
  const std::string column = w->Def("Source_DEFS").columns.at(0).name;
  w->RenameColumn("Source_DEFS", column, "Renamed");
  w->DropTable("Source_DEFS");
  w->CreateTable("Fresh", {{"ID", f::kTypeLong, 0}});
  for (int i = 0; i < 50; ++i) w->Insert("Fresh", {Value::Long(i)});
  w->Flush();
  EXPECT_FALSE(w->store().IsFree(other));
  EXPECT_EQ(w->Rows("PRESET_DEFS"), other_rows);
  EXPECT_EQ(Joined(FindDamage(w->bytes())), "");
}

// cases/rc4-encoded.mdb is access/multi-table-indexes-…mdb with every page
// after the header RC4-encoded as Jet does (database key 0x12345678).
TEST(IntegrityTest, Rc4EncodedFilesAreCheckedOnTheirDecodedPages) {
  const std::vector<uint8_t> encoded = Sample("cases/rc4-encoded.mdb");
  const std::vector<uint8_t> plain =
      Sample("access/multi-table-indexes-indexTestV2000.mdb");
  ASSERT_EQ(encoded.size(), plain.size());
  const std::vector<uint8_t> decoded = PlainImage(encoded);
  EXPECT_TRUE(std::equal(decoded.begin() + f::kPageSize, decoded.end(),
                         plain.begin() + f::kPageSize));
  EXPECT_EQ(Joined(FindDamage(encoded)), "");
  EXPECT_EQ(Joined(FindDamage(PageStore(encoded))), "");
  test_support::TempDir dir;
  std::string path = dir / "rc4.mdb";
  test_support::WriteBytes(path, std::string(encoded.begin(), encoded.end()));
  char* argv[] = {path.data()};
  EXPECT_EQ(tool::RunCheckCommand(1, argv), 0);
}

}  // namespace
}  // namespace jet
