#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/runtime_error.h"
#include "base/text.h"
#include "jet/catalog_writer.h"
#include "jet/database.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "jet/integrity.h"
#include "jet/row_reader.h"
#include "jet/tool/create_command.h"
#include "tests/jet/preset_layout.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

using base::Value;
using test_support::ErrorOf;
namespace f = format;

using jet_test::AllTypes;
using jet_test::AllTypesRow;

// Values as the reader returns them for `table` (column-number order).
std::vector<std::vector<Value>> ReadBack(const DatabaseWriter& w,
                                         const std::string& table) {
  auto db = Database::FromBytes(w.bytes(), "w.mdb");
  std::vector<std::vector<Value>> out;
  for (Row& r : db->ReadRows(table)) out.push_back(std::move(r.values));
  return out;
}

// A unit that keeps byte ranges and whole pages of the same page, in both
// orders, and appends pages, is rolled back byte for byte.
TEST(DatabaseWriterTest, RollBackRestoresRangesAndWholePages) {
  PageStore store = DatabaseWriter::CreateNew()->store();
  const std::vector<uint8_t> before = store.bytes();
  store.BeginChange();
  store.PageRanges(1, {{100, 8}, {4000, 96}})[100] = 0xAA;
  store.PageRanges(1, {{4000, 96}})[4095] = 0xBB;
  store.Page(1)[101] = 0xCC;  // the whole page, after ranges of it
  store.Page(1)[4000] = 0xDD;
  store.PageRanges(1, {{50, 4}})[50] = 0xEE;  // already kept whole
  store.Page(2)[7] = 0x11;
  store.PageRanges(2, {{7, 1}})[7] = 0x22;  // a range after the whole page
  store.Page(store.AppendPage())[0] = 0x33;
  store.RollBack();
  EXPECT_EQ(store.bytes(), before);
  // The next unit starts clean: a range of a page kept whole before.
  store.BeginChange();
  store.PageRanges(1, {{100, 1}})[100] = 0x44;
  store.RollBack();
  EXPECT_EQ(store.bytes(), before);
  EXPECT_THROW(store.PageRanges(1, {{4090, 7}}), base::RuntimeError);
}

TEST(DatabaseWriterTest, EveryColumnTypeAndLongValueFormRoundTrips) {
  auto w = DatabaseWriter::CreateNew();
  w->CreateTable("T", AllTypes());
  // Inline, a single LVAL row (up to 4076 bytes) and chains of LVAL rows.
  const size_t lengths[] = {0, 30, 64, 65, 2000, 4076, 4077, 12000, 70000};
  int i = 1;
  for (size_t len : lengths) w->Insert("T", AllTypesRow(i++, len));
  w->Insert("T", {Value::Long(99)});  // everything else Null
  w->Flush();

  const auto rows = ReadBack(*w, "T");
  ASSERT_EQ(rows.size(), std::size(lengths) + 1);
  for (size_t r = 0; r < std::size(lengths); ++r) {
    const std::vector<Value> want =
        AllTypesRow(static_cast<int>(r + 1), lengths[r]);
    for (size_t c = 0; c < want.size(); ++c) {
      EXPECT_EQ(rows[r][c], want[c]) << "row " << r << " column " << c;
    }
  }
  EXPECT_TRUE(rows.back()[1].IsNull());
  EXPECT_TRUE(rows.back()[2].IsNull());
  EXPECT_EQ(rows.back()[3], Value::Boolean(false));  // Booleans are never Null
  EXPECT_EQ(w->Def("t").row_count, std::size(lengths) + 1);
}

// Past the 32,000-odd pages (about 128 MB) that an inline global map on page 1
// can describe, the map's window slides on and the file keeps growing.
TEST(DatabaseWriterTest, GrowsPastTheGlobalMapsInlineReach) {
  auto w = DatabaseWriter::CreateNew();
  w->CreateTable(
      "M", {{"ID", format::kTypeLong, 4}, {"Note", format::kTypeMemo, 0}});
  const std::u16string note(50000, u'\u0416');  // 100 KB, not compressible
  int rows = 0;
  while (w->bytes().size() < (size_t{140} << 20)) {
    w->Insert("M", {Value::Long(++rows), Value::Text(base::Utf16ToUtf8(note))});
  }
  w->Flush();
  EXPECT_EQ(FindDamage(w->bytes()), std::vector<std::string>{});
  const auto back = ReadBack(*w, "M");
  ASSERT_EQ(back.size(), static_cast<size_t>(rows));
  EXPECT_EQ(back.back()[1], Value::Text(base::Utf16ToUtf8(note)));
}

TEST(DatabaseWriterTest, TextIsCompressedLikeAccessAndLimited) {
  auto w = DatabaseWriter::CreateNew();
  w->CreateTable("T", {{"A", f::kTypeText, 5}, {"B", f::kTypeText, 10}});
  w->Insert("T", {Value::Text("abcde"), Value::Text("ab")});
  w->Insert("T", {Value::Text("\xC3\xA9t\xC3\xA9"),
                  Value::Text("\xD0\x96\xD0\x96\xD0\x96")});
  w->Insert("T", {Value::Text(""), Value::Null()});
  w->Flush();
  // The stored bytes of both columns, row by row ("-" for Null).
  std::vector<std::string> raw;
  const TableDef& def = w->Def("T");
  ScanTable(w->store(), def, [&](RowId, std::span<const uint8_t> row) {
    RowLayout layout(row, def);
    for (uint16_t c = 0; c < 2; ++c)
      raw.push_back(layout.MaskBit(c)
                        ? test_support::Hex(layout.Var(c).value_or(Bytes()))
                        : "-");
  });
  EXPECT_EQ(raw, (std::vector<std::string>{
                     "ff fe 61 62 63 64 65", "61 00 62 00",  // two characters
                     "ff fe e9 74 e9", "16 04 16 04 16 04",  // Cyrillic: UTF-16
                     "", "-"}));                             // empty, Null

  EXPECT_EQ(ErrorOf([&] { w->Insert("T", {Value::Text("abcdef")}); }), 3163);
  EXPECT_EQ(ReadBack(*w, "T").size(), 3u);
}

TEST(DatabaseWriterTest, UpdatesKeepRowIdsWhetherInPlaceGrownOrMoved) {
  auto w = DatabaseWriter::CreateNew();
  w->CreateTable("T", {{"ID", f::kTypeLong, 0}, {"S", f::kTypeText, 255}});
  std::vector<RowId> ids;
  for (int i = 0; i < 100; ++i) {
    ids.push_back(
        w->Insert("T", {Value::Long(i), Value::Text(std::string(20, 'a'))}));
  }
  // Shrinks, grows, grows past what the page holds (overflow), grows again.
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i < 100; ++i) {
      const size_t len = round == 0   ? 5
                         : round == 1 ? 25
                         : round == 2 ? 240
                                      : 250;
      w->Update(
          "T", ids[static_cast<size_t>(i)],
          {Value::Long(i), Value::Text(std::string(len, char('b' + round)))});
    }
    const auto rows = w->Rows("T");
    ASSERT_EQ(rows.size(), 100u);
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].first, ids[i]);
      EXPECT_EQ(rows[i].second[0], Value::Long(static_cast<int32_t>(i)));
      EXPECT_EQ(rows[i].second[1].AsText()[0], char('b' + round));
    }
  }
  EXPECT_EQ(w->Def("T").row_count, 100u);
  EXPECT_EQ(ReadBack(*w, "T").size(), 100u);
  // Moved rows are overflow pointers in their original slot.
  EXPECT_TRUE(GetRowSlot(w->store().Page(ids[0].page), ids[0].row).overflow);
}

TEST(DatabaseWriterTest, DeleteAndDropReleaseRowsPagesAndCatalogEntries) {
  auto w = DatabaseWriter::CreateNew();
  w->CreateTable("Keep", {{"A", f::kTypeLong, 0}});
  w->CreateTable("Gone", {{"ID", f::kTypeLong, 0}, {"M", f::kTypeMemo, 0}});
  std::vector<RowId> ids;
  for (int i = 0; i < 50; ++i) {
    ids.push_back(w->Insert(
        "Gone", {Value::Long(i), Value::Text(std::string(3000, 'x'))}));
    w->Insert("Keep", {Value::Long(i)});
  }
  w->Delete("Gone", ids[3]);
  EXPECT_EQ(ErrorOf([&] { w->Delete("Gone", ids[3]); }), 3021);
  EXPECT_EQ(w->Def("Gone").row_count, 49u);
  EXPECT_EQ(w->Rows("Gone").size(), 49u);

  const uint32_t gone = w->FindTable("GONE");
  const size_t pages_before = w->store().page_count();
  w->DropTable("gone");
  EXPECT_EQ(ErrorOf([&] { w->FindTable("Gone"); }), 3265);
  EXPECT_TRUE(w->store().IsFree(gone));
  size_t free_pages = 0;
  for (uint32_t n = 3; n < w->store().page_count(); ++n) {
    free_pages += w->store().IsFree(n);
  }
  EXPECT_GT(free_pages, 40u);  // TDEF, maps, data and LVAL pages
  for (const CatalogEntry& o : ReadCatalogEntries(w->store())) {
    EXPECT_NE(o.name, "Gone");
  }
  // No ACE row and no index entry of the dropped table is left.
  auto db = Database::FromBytes(w->bytes(), "w.mdb");
  const int object_id = db->GetTableDef("MSysACEs").FindColumn("ObjectId");
  for (const Row& ace : db->ReadRows("MSysACEs")) {
    EXPECT_NE(ace.values[static_cast<size_t>(object_id)].AsLong() & 0xFFFFFF,
              static_cast<int32_t>(gone));
  }
  EXPECT_EQ(FindDamage(w->bytes()), std::vector<std::string>{});

  // The freed pages are used again before the file grows.
  w->CreateTable("New", {{"M", f::kTypeMemo, 0}});
  for (int i = 0; i < 20; ++i)
    w->Insert("New", {Value::Text(std::string(3000, 'y'))});
  w->Flush();
  EXPECT_EQ(w->store().page_count(), pages_before);
  EXPECT_EQ(ReadBack(*w, "Keep").size(), 50u);
  EXPECT_EQ(ReadBack(*w, "New").size(), 20u);
}

// Tables made by Access keep their indexes consistent and unique.
TEST(DatabaseWriterTest, AccessTablesKeepTheirIndexes) {
  auto w = DatabaseWriter::Open(
      test_support::Sample("access/multi-table-indexes-indexTestV2000.mdb"));
  auto rows = w->Rows("Table3");
  ASSERT_EQ(rows.size(), 4u);
  std::vector<Value> dup = rows[0].second;
  EXPECT_EQ(ErrorOf([&] { w->Insert("Table3", dup); }), 3022);
  dup[0] = Value::Null();
  EXPECT_EQ(ErrorOf([&] { w->Insert("Table3", dup); }), 3058);
  for (int i = 100; i < 400; ++i) {
    std::vector<Value> v = rows[0].second;
    v[0] = Value::Long(i);
    v[1] = Value::Text("row " + std::to_string(i));
    w->Insert("Table3", v);
  }
  // Changing a key to one that exists fails; to a new one works.
  std::vector<Value> v = rows[1].second;
  v[0] = rows[2].second[0];
  EXPECT_EQ(ErrorOf([&] { w->Update("Table3", rows[1].first, v); }), 3022);
  v[0] = Value::Long(1000);
  w->Update("Table3", rows[1].first, v);
  w->Delete("Table3", rows[2].first);
  v[0] = rows[2].second[0];
  w->Insert("Table3", v);  // the deleted row's key is free again
  w->Flush();

  EXPECT_EQ(w->Rows("Table3").size(), 304u);
  EXPECT_EQ(w->Def("Table3").row_count, 304u);
  EXPECT_EQ(FindDamage(w->bytes()), std::vector<std::string>{});
}

// Relationships and column properties follow a renamed column; a dropped
// table takes its relationships and the foreign keys to it along.
TEST(DatabaseWriterTest, DropAndRenameKeepTheCatalogWhole) {
  auto w = DatabaseWriter::Open(
      test_support::Sample("access/multi-table-indexes-indexTestV2000.mdb"));
  auto texts = [&](const std::string& table) {
    auto db = Database::FromBytes(w->bytes(), "w.mdb");
    std::string all;
    for (const Row& r : db->ReadRows(table)) {
      for (const Value& v : r.values) {
        if (v.type() == base::ValueType::kText) all += v.AsText() + "|";
        if (v.type() != base::ValueType::kBinary) continue;
        for (size_t i = 0; i < v.AsBinary().size(); i += 2)  // UTF-16 names
          all += static_cast<char>(v.AsBinary()[i]);
      }
    }
    return all;
  };
  w->RenameColumn("Table1", "OTHERFK2", "Link3");
  w->RenameColumn("Table3", "ID", "Key3");  // the referenced side
  EXPECT_NE(texts("MSysRelationships").find("Link3|Table3|Key3|"),
            std::string::npos);
  EXPECT_EQ(texts("MSysRelationships").find("otherfk2"), std::string::npos);
  EXPECT_NE(texts("MSysObjects").find("Link3"), std::string::npos);  // LvProp
  const uint32_t table2 = w->FindTable("Table2");
  w->DropTable("Table2");
  EXPECT_EQ(texts("MSysRelationships").find("Table2"), std::string::npos);
  EXPECT_EQ(texts("MSysObjects").find("Table2Table1|"), std::string::npos);
  const TableDef one = w->Def("Table1");
  for (const LogicalIndexDef& li : one.logical_indexes)
    EXPECT_NE(li.related_table_page, table2) << li.name;
  // Table3's side of its relationship names Table1's renumbered index.
  for (const LogicalIndexDef& li : w->Def("Table3").logical_indexes) {
    if (li.index_type != 2) continue;
    ASSERT_LT(li.related_index, one.logical_indexes.size());
    EXPECT_EQ(one.logical_indexes[li.related_index].related_table_page,
              w->FindTable("Table3"));
  }
  w->Insert("Table1", RowValues(one, {{"id", Value::Long(77)},
                                      {"otherfk1", Value::Long(9)}}));
  w->Flush();
  EXPECT_EQ(FindDamage(w->bytes()), std::vector<std::string>{});
}

TEST(DatabaseWriterTest, NamesFollowJetRules) {
  auto w = DatabaseWriter::CreateNew();
  w->CreateTable("PRESET_DEFS",
                 {{"ID", f::kTypeLong, 0}, {"var_name", f::kTypeText, 100}});
  const FieldDesc x{"X", f::kTypeLong, 0};
  const struct {
    std::string name;
    std::vector<FieldDesc> fields;
    int32_t error;
  } refused[] = {
      {"preset_defs", {x}, base::err::kTableExists},
      {"MSysObjects", {x}, base::err::kTableExists},
      {"a.b", {x}, 3125},
      {" lead", {x}, 3125},
      {std::string(65, 'n'), {x}, 3125},
      {"T2", {x, {"x", f::kTypeText, 5}}, 3191},
  };
  const size_t pages = w->store().page_count();
  for (const auto& r : refused) {
    EXPECT_EQ(ErrorOf([&] { w->CreateTable(r.name, r.fields); }), r.error)
        << r.name;
  }
  EXPECT_EQ(w->store().page_count(), pages);       // nothing written
  w->CreateTable("\xD0\x96uk \xE6\xBC\xA2", {x});  // any script has a key
  try {
    w->CreateTable("Preset_Defs", {{"X", f::kTypeLong, 0}});
    FAIL();
  } catch (const base::RuntimeError& e) {
    EXPECT_EQ(e.description(), "Table 'Preset_Defs' already exists.");
  }

  w->Insert("PRESET_DEFS", {Value::Long(1), Value::Text("v")});
  w->RenameColumn("preset_defs", "VAR_NAME", "category_id");
  EXPECT_EQ(
      ErrorOf([&] { w->RenameColumn("PRESET_DEFS", "ID", "Category_ID"); }),
      3191);
  EXPECT_EQ(ErrorOf([&] { w->RenameColumn("PRESET_DEFS", "nope", "x"); }),
            3265);
  auto db = Database::FromBytes(w->bytes(), "w.mdb");
  const TableDef& def = db->GetTableDef("PRESET_DEFS");
  EXPECT_EQ(def.columns[1].name, "category_id");
  EXPECT_EQ(db->ReadRows("PRESET_DEFS")[0].values[1], Value::Text("v"));
  EXPECT_EQ(FindDamage(w->bytes()), std::vector<std::string>{});
}

// A writer on a damaged file fails with a runtime error; it never crashes.
// A rename writes the definition again from its parsed form: Access's
// definitions (descriptor order, traces of deleted columns, fields this
// engine does not model) must come back byte for byte.
TEST(DatabaseWriterTest, RenameKeepsAccessDefinitionsByteForByte) {
  for (const char* sample : {"access/deleted-columns-delColTestV2000.mdb",
                             "access/multi-table-indexes-indexTestV2000.mdb",
                             "plant/template.mdb"}) {
    auto w = DatabaseWriter::Open(test_support::Sample(sample));
    for (const auto& [table, page] : w->Tables()) {
      auto tdef = [&, page = page] {
        std::vector<uint8_t> b = ReadTdefChain(w->store(), page).buffer;
        b.resize(U32(b, f::kTdefLength));
        return std::vector<uint8_t>(b.begin() + f::kTdefPageHeader, b.end());
      };
      const std::vector<uint8_t> before = tdef();
      const std::string name = w->Def(table).columns.back().name;
      w->RenameColumn(table, name, "Renamed");
      w->RenameColumn(table, "Renamed", name);
      EXPECT_TRUE(tdef() == before) << sample << " " << table;
    }
  }
}

TEST(DatabaseWriterTest, DamagedFilesRaiseRuntimeErrors) {
  auto w = DatabaseWriter::CreateNew();
  w->CreateTable("T", {{"ID", f::kTypeLong, 0}, {"M", f::kTypeMemo, 0}});
  std::vector<RowId> ids;
  for (int i = 0; i < 40; ++i) {
    ids.push_back(w->Insert(
        "T", {Value::Long(i), Value::Text(std::string(i * 150, 'q'))}));
  }
  w->Flush();
  const std::vector<uint8_t> good = w->bytes();
  std::mt19937 rng(7);
  auto exercise = [&](std::vector<uint8_t> bytes) {
    try {
      auto d = DatabaseWriter::FromBytes(std::move(bytes));
      d->Tables();
      d->Insert("T", {Value::Long(1), Value::Text(std::string(5000, 'z'))});
      for (const auto& [id, values] : d->Rows("T")) d->Update("T", id, values);
      d->Delete("T", ids[1]);
      d->CreateTable("U", {{"X", f::kTypeText, 10}});
      d->DropTable("T");
      d->Flush();
    } catch (const base::RuntimeError&) {
    }
  };
  const size_t pages = good.size() / 4096;
  for (size_t page = 1; page < pages; ++page) {
    for (int variant = 0; variant < 3; ++variant) {
      std::vector<uint8_t> bad = good;
      for (size_t k = 0; k < 4096; ++k) {
        if (variant == 0 || rng() % 16 == 0) {
          bad[page * 4096 + k] = static_cast<uint8_t>(rng());
        }
      }
      if (variant == 2) bad.resize(page * 4096);  // truncated
      exercise(bad);
    }
  }
  EXPECT_EQ(
      ErrorOf([&] { DatabaseWriter::FromBytes(std::vector<uint8_t>(100)); }),
      base::err::kUnrecognizedFormat);
}

}  // namespace
}  // namespace jet
