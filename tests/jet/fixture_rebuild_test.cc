// Every fixture, one user table dropped and re-created under the same name
// with the same columns, refilled with its old rows: the other tables must
// read back unchanged, the re-created one must hold exactly the old rows, and
// FindDamage finds nothing before or after (index keys included: each stored
// key equals the one index_key.cc computes for its row).
//
// With JET_REBUILD_OUT set to a directory, each saved file is left there with
// a line in `manifest.txt` (file, fixture, re-created table, its row count,
// every table) for fixture_rebuild_check.py, which runs the external checkers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "jet/database.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "jet/integrity.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

namespace fs = std::filesystem;
using test_support::Sample;
constexpr auto& ReadFile = test_support::ReadBytes;
using base::Value;
using Rows = std::vector<std::vector<Value>>;

// Every fixture below the fixture root, in name order.
std::vector<fs::path> Fixtures() {
  std::vector<fs::path> out;
  for (const char* dir : {"access", "plant"}) {
    const fs::path root = fs::path(CORVANE_TEST_DATA_DIR) / dir;
    if (!fs::is_directory(root)) continue;
    for (const auto& e : fs::directory_iterator(root)) {
      if (e.path().extension() == ".mdb") out.push_back(e.path());
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::map<std::string, Rows> ReadUserTables(const std::vector<uint8_t>& bytes) {
  auto db = Database::FromBytes(bytes, "fixture.mdb");
  std::map<std::string, Rows> out;
  for (const std::string& name : db->TableNames(false)) {
    Rows rows;
    for (Row& r : db->ReadRows(name)) rows.push_back(std::move(r.values));
    out[name] = std::move(rows);
  }
  return out;
}

// The re-created table's column list: names, types and sizes of the old one
// in column-number order (Text sizes in characters).
std::vector<FieldDesc> SameColumns(const TableDef& def) {
  std::vector<FieldDesc> fields;
  for (const ColumnDef& c : def.columns) {
    FieldDesc f{c.name, c.type, 0};
    if (c.type == format::kTypeText) f.size = c.length / 2;
    if (c.type == format::kTypeBinary) f.size = c.length;
    fields.push_back(f);
  }
  return fields;
}

struct Outcome {
  std::string table;  // the re-created table; empty when there is none
  size_t rows = 0;
  std::vector<std::string> tables;
};

Outcome Rebuild(const fs::path& fixture, const fs::path& saved) {
  const std::vector<uint8_t> original = ReadFile(fixture.string());
  EXPECT_EQ(FindDamage(original), std::vector<std::string>{});
  const std::map<std::string, Rows> before = ReadUserTables(original);
  Outcome out;
  auto db = Database::FromBytes(original, "fixture.mdb");
  const std::vector<std::string> names = db->TableNames(false);
  out.tables = names;
  if (names.empty()) return out;  // nothing to drop
  out.table = names.front();
  const TableDef old_def = db->GetTableDef(out.table);

  auto w = DatabaseWriter::FromBytes(original);
  const auto old_rows = w->Rows(out.table);
  const std::vector<FieldDesc> fields = SameColumns(w->Def(out.table));
  w->DropTable(out.table);
  w->CreateTable(out.table, fields);
  // Old values by column number; the new table numbers its columns densely
  // in the same order (a table with deleted columns has gaps).
  for (const auto& [id, by_number] : old_rows) {
    std::vector<Value> values;
    for (const ColumnDef& c : old_def.columns) {
      values.push_back(c.number < by_number.size() ? by_number[c.number]
                                                   : Value::Null());
    }
    w->Insert(out.table, values);
  }
  w->Save(saved.string());
  EXPECT_EQ(FindDamage(w->bytes()), std::vector<std::string>{});
  out.rows = old_rows.size();

  const std::map<std::string, Rows> after =
      ReadUserTables(ReadFile(saved.string()));
  EXPECT_EQ(after.size(), before.size());
  for (const auto& [name, rows] : before) {
    auto it = after.find(name);
    if (it == after.end()) {
      ADD_FAILURE() << name << " is missing";
      continue;
    }
    // The re-created table and every other one: the same rows in the same
    // (storage) order.
    EXPECT_EQ(it->second.size(), rows.size()) << name;
    for (size_t r = 0; r < std::min(rows.size(), it->second.size()); ++r) {
      EXPECT_EQ(it->second[r], rows[r]) << name << " row " << r;
    }
  }
  auto reread = Database::FromBytes(ReadFile(saved.string()), "saved.mdb");
  const TableDef& new_def = reread->GetTableDef(out.table);
  EXPECT_EQ(new_def.row_count, out.rows);
  EXPECT_TRUE(new_def.real_indexes.empty());
  EXPECT_EQ(new_def.columns.size(), old_def.columns.size()) << out.table;
  if (new_def.columns.size() != old_def.columns.size()) return out;
  for (size_t i = 0; i < old_def.columns.size(); ++i) {
    EXPECT_EQ(new_def.columns[i].name, old_def.columns[i].name);
    EXPECT_EQ(new_def.columns[i].type, old_def.columns[i].type);
    EXPECT_EQ(new_def.columns[i].length, old_def.columns[i].length)
        << out.table << "." << old_def.columns[i].name;
  }
  return out;
}

TEST(FixtureRebuildTest, DropRecreateRefillKeepsEveryTable) {
  const char* out_dir = std::getenv("JET_REBUILD_OUT");
  // A directory of its own unless one is given: runs may overlap.
  const fs::path dir =
      out_dir ? fs::path(out_dir)
              : fs::temp_directory_path() /
                    ("jet-rebuild-" + std::to_string(std::random_device()()));
  fs::create_directories(dir);
  std::ofstream manifest(dir / "manifest.txt");
  const std::vector<fs::path> fixtures = Fixtures();
  ASSERT_GE(fixtures.size(), 15u) << CORVANE_TEST_DATA_DIR;
  size_t rebuilt = 0;
  for (const fs::path& fixture : fixtures) {
    SCOPED_TRACE(fixture.filename().string());
    const fs::path saved = dir / (fixture.parent_path().filename().string() +
                                  "-" + fixture.filename().string());
    try {
      const Outcome o = Rebuild(fixture, saved);
      if (o.table.empty()) continue;  // no user table (empty references)
      ++rebuilt;
      manifest << saved.string() << '\t' << fixture.string() << '\t' << o.table
               << '\t' << o.rows;
      for (const std::string& t : o.tables) manifest << '\t' << t;
      manifest << '\n';
    } catch (const base::RuntimeError& e) {
      ADD_FAILURE() << e.number() << ": " << e.what();
    }
  }
  EXPECT_GE(rebuilt, 13u);
  manifest.close();
  if (!out_dir) fs::remove_all(dir);
}

// A damaged definition whose column number lies beyond the table's column
// count: rows are built in vectors indexed by column number, so the writer
// must refuse that table.
TEST(FixtureRebuildTest, ColumnNumberBeyondColumnCountIsRefused) {
  std::vector<uint8_t> bytes =
      ReadFile(Sample("access/types-all-testV2000.mdb"));
  const uint32_t page = DatabaseWriter::FromBytes(bytes)->FindTable("Table1");
  uint8_t* tdef = bytes.data() + size_t{page} * 4096;
  const uint32_t real_count =
      tdef[format::kTdefRealIndexCount] |
      (uint32_t{tdef[format::kTdefRealIndexCount + 1]} << 8);
  uint8_t* number = tdef + format::kTdefHeaderSize +
                    real_count * format::kRealIndexCountBlock +
                    format::kColNumber;
  number[0] = 0xF0;  // column 0x7FF0
  number[1] = 0x7F;
  // A definition that does not hold together: the file is not written to.
  EXPECT_THROW(DatabaseWriter::FromBytes(bytes), base::RuntimeError);
}

}  // namespace
}  // namespace jet
