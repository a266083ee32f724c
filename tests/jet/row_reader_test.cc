// Rows keep the layout of the moment they were written: a row stored while
// its table had only fixed-size columns has no variable part.
#include "jet/row_reader.h"

#include <gtest/gtest.h>

#include "jet/bytes.h"
#include "jet/database.h"
#include "jet/database_write.h"
#include "jet/integrity.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

using base::Value;
using Rows = std::vector<std::vector<Value>>;

Rows ReadTable(const std::vector<uint8_t>& bytes) {
  Rows out;
  for (Row& r : Database::FromBytes(bytes, "t.mdb")->ReadRows("T"))
    out.push_back(std::move(r.values));
  return out;
}

// Table T (ID Long, V Double) made by `mdb create`; another engine then
// added Note Text(20) and inserted a third row. The two old rows have no
// variable part; an update writes them in the table's current layout.
TEST(RowReaderTest, RowsStoredBeforeTheTableHadVariableColumns) {
  const std::vector<uint8_t> bytes = test_support::ReadBytes(
      test_support::Sample("cases/fixed-only-table-var-column-added.mdb"));
  Rows want = {{Value::Long(1), Value::Double(1.5), Value::Null()},
               {Value::Long(2), Value::Double(2.5), Value::Null()},
               {Value::Long(3), Value::Double(3.5), Value::Text("hello")}};
  EXPECT_EQ(ReadTable(bytes), want);
  EXPECT_EQ(FindDamage(bytes), std::vector<std::string>{});

  auto w = DatabaseWriter::FromBytes(bytes);
  auto rows = w->Rows("T");
  ASSERT_EQ(rows.size(), 3u);
  rows[0].second[2] = Value::Text("set");
  for (size_t i = 0; i < 2; ++i) w->Update("T", rows[i].first, rows[i].second);
  w->Flush();
  want[0][2] = Value::Text("set");
  EXPECT_EQ(ReadTable(w->bytes()), want);
  EXPECT_EQ(FindDamage(w->bytes()), std::vector<std::string>{});
  ScanTable(w->store(), w->Def("T"), [&](RowId, std::span<const uint8_t> row) {
    EXPECT_EQ(U16(Bytes(row), 0), 3u);  // every row counts all three columns
  });
}

}  // namespace
}  // namespace jet
