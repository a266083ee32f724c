// Reading whole files: headers, the system catalog, overflow rows and dates
// (every cell of every sample is compared with mdbtools and mdb-reader by
// crosscheck.py).

#include "jet/database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/value.h"
#include "jet/format.h"
#include "jet/table_scan.h"
#include "jet/tool/create_command.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

using base::Value;
constexpr auto& Fixture = test_support::Sample;

std::string Iso(const Value& v) { return base::DateToIso(v.AsDate()); }

TEST(DatabaseTest, OverflowRowsAppearOnceAtTheirRowId) {
  auto db =
      Database::Open(Fixture("access/overflow-rows-overflowTestV2003.mdb"));
  std::vector<Row> rows = db->ReadRows("Table1");
  ASSERT_EQ(rows.size(), 7u);
  // Every row holds "rowN…" texts only; in storage order N runs 1..7.
  for (size_t i = 0; i < rows.size(); ++i) {
    std::string prefix = "row" + std::to_string(i + 1) + "col";
    int texts = 0;
    for (const Value& v : rows[i].values) {
      if (v.IsNull()) continue;
      EXPECT_TRUE(v.AsText().starts_with(prefix)) << v.AsText();
      ++texts;
    }
    EXPECT_GT(texts, 0);
  }
  EXPECT_EQ(TableDataPages(db->file(), db->GetTableDef("Table1")).size(), 3u);
}

// Dates far outside 1900..2100 and a memo holding CR LF, in a file that
// `mdb create` makes (no licensed Access-made sample has them).
TEST(DatabaseTest, DatesBefore1900AndMemoWithLineBreak) {
  test_support::TempDir dir;
  std::filesystem::create_directory(dir / "csv");
  std::ofstream(dir / "csv/DateTest.csv", std::ios::binary)
      << "d:Date,m:Memo\r\n2021-12-02T00:00:00,\"New line\r\nin field\"\r\n"
         "9999-01-01T00:00:00,x\r\n1898-01-01T00:00:00,x\r\n"
         "0632-01-01T06:00:00,x\r\n";
  std::string file = dir / "dates.mdb", csv = dir / "csv";
  char* argv[] = {file.data(), csv.data()};
  ASSERT_EQ(tool::RunCreateCommand(2, argv), 0);
  std::vector<Row> rows = Database::Open(file)->ReadRows("DateTest");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(Iso(rows[0].values[0]), "2021-12-02T00:00:00");
  EXPECT_EQ(rows[0].values[1], Value::Text("New line\r\nin field"));
  EXPECT_EQ(Iso(rows[1].values[0]), "9999-01-01T00:00:00");
  EXPECT_EQ(Iso(rows[2].values[0]), "1898-01-01T00:00:00");
  EXPECT_EQ(Iso(rows[3].values[0]), "0632-01-01T06:00:00");
}

}  // namespace
}  // namespace jet
