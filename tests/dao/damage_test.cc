#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/dao/dao_fixture.h"

namespace dao_test {
namespace {

using base::Value;

// Everything the build does with a database, on damaged copies: each step
// either works or raises a RuntimeError; nothing crashes.
void UseEverything(dao::DBEngine& engine, const std::string& path) {
  auto db = engine.Workspaces(0).OpenDatabase(path);
  dao::TableDefs& defs = db->GetTableDefs();
  for (int i = 0; i < defs.Count(); ++i) {
    auto def = defs.Item(i);
    dao::Fields& fields = def->GetFields();
    for (int j = 0; j < fields.Count(); ++j) fields.Item(j)->Properties("Size");
  }
  auto rs = db->OpenRecordset(
      "SELECT * FROM PRESET_DEFS WHERE var_name = \"Speed\" ORDER BY ID");
  while (!rs->IsEOF()) {
    rs->Edit();
    rs->GetFields().Item("pass")->SetValue(Value::Long(1));
    rs->Update();
    rs->MoveNext();
  }
  auto table = db->OpenRecordset("PRESET_DEFS");
  table->AddNew();
  table->GetFields().Item("var_name")->SetValue(Value::Text("added"));
  table->Update();
  db->Close();
}

class DaoDamageTest : public DaoTest {};

TEST_F(DaoDamageTest, DamagedFilesFailWithRuntimeErrors) {
  std::string original = Copy("machinecopy.mdb");
  const std::string clean = test_support::FileText(original);
  const size_t pages = clean.size() / 4096;
  int failures = 0;
  for (size_t page = 1; page < pages; ++page) {
    for (size_t offset : {0u, 14u, 40u, 200u}) {
      SCOPED_TRACE("page " + std::to_string(page) + " offset " +
                   std::to_string(offset));
      std::string bytes = clean;
      for (size_t i = 0; i < 8; ++i) {
        bytes[page * 4096 + offset + i] ^= static_cast<char>(0xA5 + 13 * i);
      }
      std::string path = TempPath("damaged.mdb");
      test_support::WriteBytes(path, bytes);
      auto engine = dao::CreateDBEngine();
      try {
        UseEverything(*engine, path);
      } catch (const base::RuntimeError&) {
        ++failures;
      }
    }
  }
  // Most spots hold something the engine needs.
  EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace dao_test
