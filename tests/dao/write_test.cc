#include <filesystem>
#include <fstream>

#include "dao/identity.h"
#include "tests/dao/dao_fixture.h"

namespace dao_test {
namespace {

using base::Value;

void Set(dao::Recordset& rs, const std::string& field, const Value& value) {
  rs.GetFields().Item(field)->SetValue(value);
}

Value Get(dao::Recordset& rs, const std::string& field) {
  return rs.GetFields().Item(field)->GetValue();
}

class DaoWriteTest : public DaoTest {};

TEST_F(DaoWriteTest, AddedRowReachesTheFileOnlyWhenCommitted) {
  std::string path = Copy("template.mdb");
  auto db = Open(path);
  auto rs = db->OpenRecordset("PRESET_DEFS");
  ASSERT_EQ(rs->RecordCount(), 2);
  rs->AddNew();
  Set(*rs, "ID", Value::Integer(3));
  Set(*rs, "machine_type", Value::Text("Press"));
  Set(*rs, "var_name", Value::Text("Neu_Ä"));
  Set(*rs, "offset_or_bitno", Value::Text(" 7 "));
  Set(*rs, "abs_min", Value::Long(-2));
  Set(*rs, "isBitArray", Value::Boolean(true));
  Set(*rs, "pass", Value());
  rs->Update();
  EXPECT_EQ(rs->RecordCount(), 3);
  // The position stays on the row that was current before AddNew.
  EXPECT_EQ(Get(*rs, "ID"), Value::Long(900));
  db->Close();
  EXPECT_EQ(dao::CreateDBEngine()
                ->Workspaces(0)
                .OpenDatabase(path)
                ->OpenRecordset("PRESET_DEFS")
                ->RecordCount(),
            2);
  engine_->CommitChanges(path);
  // The committed file is a new one in the old one's place: the engine
  // follows it.
  EXPECT_EQ(Open(path)->OpenRecordset("PRESET_DEFS")->RecordCount(), 3);

  auto fresh = dao::CreateDBEngine();
  auto again = fresh->Workspaces(0).OpenDatabase(path);
  auto found = again->OpenRecordset(
      "SELECT * FROM PRESET_DEFS WHERE var_name = \"neu_ä\"");
  ASSERT_EQ(found->RecordCount(), 1);
  EXPECT_EQ(Get(*found, "ID"), Value::Long(3));
  EXPECT_EQ(Get(*found, "offset_or_bitno"), Value::Long(7));
  EXPECT_EQ(Get(*found, "abs_min"), Value::Double(-2));
  EXPECT_EQ(Get(*found, "isBitArray"), Value::Boolean(true));
  EXPECT_EQ(Get(*found, "pass"), Value::Null());
  EXPECT_EQ(Get(*found, "text"), Value::Null());
}

TEST_F(DaoWriteTest, AddNewStartsOverAndChecksEachValue) {
  auto db = Open(Copy("machinecopy.mdb"));
  auto rs = db->OpenRecordset("PRESET_DEFS");
  rs->AddNew();
  Set(*rs, "ID", Value::Long(1));
  Set(*rs, "var_name", Value::Text("first"));
  rs->AddNew();
  EXPECT_EQ(Get(*rs, "ID"), Value::Null());
  EXPECT_EQ(Get(*rs, "var_name"), Value::Null());
  EXPECT_EQ(Get(*rs, "isBitArray"), Value::Boolean(false));

  base::RuntimeError e = CaughtError(
      [&] { Set(*rs, "machine_type", Value::Text(std::string(51, 'x'))); });
  EXPECT_EQ(e.number(), 3163);
  EXPECT_EQ(e.source(), "DAO.Field");
  Set(*rs, "machine_type", Value::Text(std::string(50, 'x')));
  EXPECT_EQ(ErrorOf([&] { Set(*rs, "category_id", Value::Text("ten")); }),
            3421);
  Set(*rs, "var_name", Value::Text("second"));
  rs->Update();
  EXPECT_EQ(rs->RecordCount(), 7);
  EXPECT_EQ(Column(*rs, "var_name").back(), Value::Text("second"));
  EXPECT_EQ(
      db->OpenRecordset("SELECT * FROM PRESET_DEFS WHERE var_name = \"first\"")
          ->RecordCount(),
      0);
}

TEST_F(DaoWriteTest, LookupsSeeRowsAddedBeforeAndAfterClose) {
  std::string path = Copy("machinecopy.mdb");
  const std::string query =
      "SELECT * FROM PRESET_DEFS WHERE (((PRESET_DEFS.var_name)=\"SPEED\"))";
  auto db = Open(path);
  auto before = db->OpenRecordset(query);
  EXPECT_EQ(before->RecordCount(), 2);
  auto table = db->OpenRecordset("PRESET_DEFS");
  for (int i = 0; i < 3; ++i) {
    table->AddNew();
    Set(*table, "ID", Value::Long(500 + i));
    Set(*table, "var_name", Value::Text(i == 1 ? "other" : "speed"));
    table->Update();
  }
  // A set that is already open keeps its rows; a new one sees the new rows.
  EXPECT_EQ(before->RecordCount(), 2);
  EXPECT_EQ(Column(*db->OpenRecordset(query), "ID"),
            (std::vector<Value>{Value::Long(105), Value::Long(199),
                                Value::Long(500), Value::Long(502)}));
  db->Close();
  auto reopened = Open(path);
  EXPECT_EQ(reopened->OpenRecordset(query)->RecordCount(), 4);
  reopened->Close();
  engine_->CommitChanges(path);
  auto fresh = dao::CreateDBEngine();
  EXPECT_EQ(fresh->Workspaces(0)
                .OpenDatabase(path)
                ->OpenRecordset(query)
                ->RecordCount(),
            4);
}

// Both ways of opening: with a look of the open's own, and with the
// identity the caller has just seen.
TEST_F(DaoWriteTest, ReopeningNeverServesAFileChangedOnDisk) {
  for (bool seen : {false, true}) {
    SCOPED_TRACE(seen ? "identity seen by the caller" : "own look");
    std::string path = Copy("machinecopy.mdb");
    std::string legacy = Copy("legacy-machinecopy.mdb");
    auto open = [&] {
      auto identity = dao_jet::IdentityOf(path);
      return seen && identity
                 ? engine_->Workspaces(0).OpenDatabase(path, *identity)
                 : Open(path);
    };
    auto db = open();
    EXPECT_EQ(
        db->GetTableDefs().Item("PRESET_DEFS")->GetFields().Item(5)->Name(),
        "category_id");
    db->Close();
    // Same size, same inode, rewritten at once: only the contents differ.
    std::fstream(path, std::ios::binary | std::ios::in | std::ios::out)
        << test_support::FileText(legacy);
    db = open();
    EXPECT_EQ(
        db->GetTableDefs().Item("PRESET_DEFS")->GetFields().Item(5)->Name(),
        "categorie");
    db->Close();
    // Replaced by another file.
    test_support::CopySample("plant/template.mdb", path + ".new");
    std::filesystem::rename(path + ".new", path);
    db = open();
    EXPECT_EQ(db->GetTableDefs().Count(), 3);
    std::filesystem::remove(path);
    EXPECT_EQ(ErrorOf([&] { open(); }), 3024);
  }
}

class DaoChangeTest : public DaoTest {};

TEST_F(DaoChangeTest, EditingThroughAQueryVisitsEachMatchOnce) {
  std::string path = Copy("machinecopy.mdb");
  auto db = Open(path);
  auto rs = db->OpenRecordset(
      "SELECT PRESET_DEFS.* From PRESET_DEFS WHERE "
      "(((PRESET_DEFS.Var_Name)=\"speed\"))");
  int visited = 0;
  while (!rs->IsEOF()) {
    rs->Edit();
    // The new name does not match the condition any more; the set is fixed.
    rs->GetFields()
        .Item("var_name")
        ->SetValue(Value::Text("Speed_renamed_to_a_longer_name_" +
                               std::to_string(visited)));
    rs->Update();
    // The current row is read fresh.
    EXPECT_EQ(rs->GetFields().Item("var_name")->GetValue(),
              Value::Text("Speed_renamed_to_a_longer_name_" +
                          std::to_string(visited)));
    rs->MoveNext();
    ++visited;
  }
  EXPECT_EQ(visited, 2);
  rs->Close();
  db->Close();
  engine_->CommitChanges(path);

  auto fresh = dao::CreateDBEngine();
  auto again = fresh->Workspaces(0).OpenDatabase(path);
  auto table = again->OpenRecordset("PRESET_DEFS");
  EXPECT_EQ(table->RecordCount(), 6);
  std::vector<Value> names = Column(*table, "var_name");
  EXPECT_EQ(names[0], Value::Text("Speed_renamed_to_a_longer_name_0"));
  EXPECT_EQ(names[5], Value::Text("Speed_renamed_to_a_longer_name_1"));
  EXPECT_EQ(names[1], Value::Text("Pressure"));
  EXPECT_EQ(Column(*table, "abs_max")[2], Value::Double(123456.789));
}

TEST_F(DaoWriteTest, ChangesOfAnEngineGoneBeforeTheCommitAreDropped) {
  std::string path = Copy("machinecopy.mdb");
  auto engine = dao::CreateDBEngine();
  auto db = engine->Workspaces(0).OpenDatabase(path);
  engine.reset();
  auto rs = db->OpenRecordset("PRESET_DEFS");
  rs->AddNew();
  rs->GetFields().Item("ID")->SetValue(base::Value::Long(7));
  rs->Update();
  EXPECT_EQ(rs->RecordCount(), 7);
  db->Close();
  EXPECT_EQ(Open(path)->OpenRecordset("PRESET_DEFS")->RecordCount(), 6);
}

TEST_F(DaoWriteTest, AFileChangedWhileOpenGetsTheWholeImage) {
  std::string path = Copy("machinecopy.mdb");
  std::string legacy = Copy("legacy-machinecopy.mdb");
  auto db = Open(path);
  auto rs = db->OpenRecordset("PRESET_DEFS");
  rs->AddNew();
  rs->GetFields().Item("ID")->SetValue(base::Value::Long(8));
  rs->Update();
  test_support::WriteBytes(path, test_support::FileText(legacy));
  db->Close();
  engine_->CommitChanges(path);
  auto fresh = dao::CreateDBEngine();
  auto again = fresh->Workspaces(0).OpenDatabase(path);
  EXPECT_EQ(again->OpenRecordset("PRESET_DEFS")->RecordCount(), 7);
  EXPECT_EQ(
      again->GetTableDefs().Item("PRESET_DEFS")->GetFields().Item(5)->Name(),
      "category_id");
}

}  // namespace
}  // namespace dao_test
