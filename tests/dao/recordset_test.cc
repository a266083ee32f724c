#include <fstream>

#include "dao/convert.h"
#include "jet/format.h"
#include "tests/dao/dao_fixture.h"

namespace dao_test {
namespace {

using base::Value;

class DaoReadTest : public DaoTest {};

TEST_F(DaoReadTest, OpeningFailuresNameTheFile) {
  std::string missing = TempPath("nothing.mdb");
  base::RuntimeError e = CaughtError([&] { Open(missing); });
  EXPECT_EQ(e.number(), 3024);
  EXPECT_EQ(e.description(), "Could not find file '" + missing + "'.");

  std::string text = TempPath("notes.mdb");
  std::ofstream(text) << std::string(8192, 'x');
  EXPECT_EQ(ErrorOf([&] { Open(text); }), 3343);
  EXPECT_EQ(ErrorOf([&] { engine_->Workspaces(1); }), 3265);
}

TEST_F(DaoReadTest, TableRecordsetShowsEveryRowInStoredOrder) {
  auto db = Open(Copy("template.mdb"));
  auto rs = db->OpenRecordset("Source_PRESET_DEFS");
  EXPECT_EQ(rs->RecordCount(), 6);
  EXPECT_FALSE(rs->IsEOF());
  EXPECT_EQ(rs->GetFields().Count(), 17);
  EXPECT_EQ(
      Column(*rs, "ID"),
      (std::vector<Value>{Value::Long(5), Value::Long(3), Value::Long(9),
                          Value::Long(1), Value::Long(7), Value::Long(2)}));
  EXPECT_TRUE(rs->IsEOF());
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), 3021);
  EXPECT_EQ(ErrorOf([&] { rs->GetFields().Item(0)->GetValue(); }), 3021);

  rs->MoveFirst();
  dao::Fields& fields = rs->GetFields();
  EXPECT_EQ(fields.Item("MACHINE_TYPE")->GetValue(), Value::Text("Press"));
  EXPECT_EQ(fields.Item(8)->GetValue(), Value::Text("Speed of ###machine"));
  EXPECT_EQ(fields.Item(6)->GetValue(), Value::Boolean(false));
  EXPECT_EQ(ErrorOf([&] { fields.Item("nope"); }), 3265);
  EXPECT_EQ(ErrorOf([&] { fields.Item(17); }), 3265);
  EXPECT_EQ(CaughtError([&] { fields.Item(-1); }).source(), "DAO.Fields");
}

TEST_F(DaoReadTest, FieldPropertiesAsDaoReportsThem) {
  auto db = Open(Copy("template.mdb"));
  auto rs = db->OpenRecordset("Source_PRESET_DEFS");
  auto var_name = rs->GetFields().Item("var_name");
  EXPECT_EQ(var_name->Properties("Name"), Value::Text("var_name"));
  EXPECT_EQ(var_name->Properties("type"), Value::Integer(dao::dbText));
  EXPECT_EQ(var_name->Properties("Size"), Value::Long(100));
  auto abs_min = rs->GetFields().Item("abs_min");
  EXPECT_EQ(abs_min->Type(), dao::dbDouble);
  EXPECT_EQ(abs_min->Size(), 8);
  EXPECT_EQ(rs->GetFields().Item("isBitArray")->Type(), dao::dbBoolean);
  EXPECT_EQ(ErrorOf([&] { abs_min->Properties("Required"); }), 3270);
}

TEST_F(DaoReadTest, ChangesNeedAddNewOrEdit) {
  auto db = Open(Copy("machinecopy.mdb"));
  auto rs = db->OpenRecordset("PRESET_DEFS");
  auto pass = rs->GetFields().Item("pass");
  base::RuntimeError e = CaughtError([&] { pass->SetValue(Value::Long(1)); });
  EXPECT_EQ(e.number(), 3020);
  EXPECT_EQ(e.source(), "DAO.Field");
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }), 3020);
  // Edit shows the row's values until they are changed; leaving the row
  // drops the edit.
  rs->Edit();
  EXPECT_EQ(pass->GetValue(), Value::Long(7));
  pass->SetValue(Value::Text("12"));
  EXPECT_EQ(pass->GetValue(), Value::Long(12));
  EXPECT_EQ(ErrorOf([&] { pass->SetValue(Value::Text("x")); }), 3421);
  EXPECT_EQ(ErrorOf([&] { pass->SetValue(Value::Double(3e9)); }), 3349);
  rs->MoveNext();
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }), 3020);
  rs->MoveFirst();
  EXPECT_EQ(pass->GetValue(), Value::Long(7));
}

TEST_F(DaoReadTest, ClosedObjectsAreNoLongerUsable) {
  auto db = Open(Copy("machinecopy.mdb"));
  auto rs = db->OpenRecordset("PRESET_DEFS");
  auto field = rs->GetFields().Item("ID");
  rs->Close();
  EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), 3420);
  EXPECT_EQ(ErrorOf([&] { field->GetValue(); }), 3420);

  auto other = db->OpenRecordset("PRESET_DEFS");
  db->Close();
  EXPECT_EQ(ErrorOf([&] { other->RecordCount(); }), 3420);
  EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("PRESET_DEFS"); }), 3420);
}

TEST_F(DaoReadTest, TableDefsInCatalogOrder) {
  auto db = Open(Copy("template.mdb"));
  dao::TableDefs& defs = db->GetTableDefs();
  ASSERT_EQ(defs.Count(), 3);
  std::vector<std::string> names;
  for (int i = 0; i < defs.Count(); ++i) names.push_back(defs.Item(i)->Name());
  EXPECT_EQ(names, (std::vector<std::string>{
                       "Source_DEFS", "Source_PRESET_DEFS", "PRESET_DEFS"}));
  auto def = defs.Item("source_preset_defs");
  EXPECT_EQ(def->Name(), "Source_PRESET_DEFS");
  dao::Fields& fields = def->GetFields();
  ASSERT_EQ(fields.Count(), 17);
  EXPECT_EQ(fields.Item(0)->Name(), "ID");
  EXPECT_EQ(fields.Item(16)->Properties("Name"), Value::Text("shift_name"));
  EXPECT_EQ(fields.Item("TEXT")->Properties("Size"), Value::Long(255));
  EXPECT_EQ(fields.Item(7)->Properties("Type"), Value::Integer(dao::dbLong));
  EXPECT_EQ(ErrorOf([&] { fields.Item(0)->GetValue(); }), 3219);
  EXPECT_EQ(ErrorOf([&] { defs.Item("MSysObjects2"); }), 3265);
  EXPECT_EQ(ErrorOf([&] { defs.Item(3); }), 3265);
  EXPECT_EQ(ErrorOf([&] { defs.Delete("nothing"); }), 3265);
  EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("nothing"); }), 3078);
}

TEST_F(DaoReadTest, NewTableDefKeepsItsFieldsUntilAppended) {
  auto db = Open(Copy("template.mdb"));
  auto def = db->CreateTableDef("Fresh");
  auto f = def->CreateField("Name", dao::dbText, 40);
  def->GetFields().Append(f);
  def->GetFields().Append(def->CreateField("Count", dao::dbLong, 0));
  EXPECT_EQ(def->GetFields().Count(), 2);
  EXPECT_EQ(def->GetFields().Item("count")->Size(), 4);
  EXPECT_EQ(def->GetFields().Item(0)->Properties("Size"), Value::Long(40));
  EXPECT_EQ(ErrorOf([&] {
              def->GetFields().Append(def->CreateField("NAME", 10, 5));
            }),
            3367);
  auto empty = db->CreateTableDef("Empty");
  EXPECT_EQ(ErrorOf([&] { db->GetTableDefs().Append(empty); }), 3264);
  auto clash = db->CreateTableDef("preset_defs");
  clash->GetFields().Append(clash->CreateField("A", dao::dbLong, 4));
  EXPECT_EQ(ErrorOf([&] { db->GetTableDefs().Append(clash); }), 3010);
}

// A value stored into a column of each type: converted, or refused with
// the error DAO raises.
TEST(DaoConvertTest, ValuesTakeTheColumnsType) {
  namespace f = jet::format;
  struct Case {
    uint8_t type;
    uint16_t length;
    Value in;
    Value out;  // Empty: an error is expected
    int error;
  } cases[] = {
      {f::kTypeLong, 0, Value::Double(2.5), Value::Long(2), 0},  // half to even
      {f::kTypeInteger, 0, Value::Text("-7"), Value::Integer(-7), 0},
      {f::kTypeText, 20, Value::Double(1.5), Value::Text("1.5"), 0},
      {f::kTypeText, 20, Value(), Value::Null(), 0},
      {f::kTypeBoolean, 0, Value::Null(), Value::Boolean(false), 0},
      {f::kTypeCurrency, 0, Value::Double(1.23456),
       Value::FromCurrency({12346}), 0},
      {f::kTypeText, 10, Value::Text("Größe"), Value::Text("Größe"), 0},
      {f::kTypeNumeric, 0, Value::Long(10000), Value(), 3349},  // (6, 2)
      {f::kTypeByte, 0, Value::Long(256), Value(), 3349},
      {f::kTypeDouble, 0, Value::Binary({1, 2}), Value(), 3421},
      {f::kTypeText, 4, Value::Text("Größe"), Value(), 3163},
  };
  for (const Case& c : cases) {
    jet::ColumnDef column;
    column.type = c.type;
    column.length = c.length;
    column.precision = 6;
    column.scale = 2;
    SCOPED_TRACE(static_cast<int>(c.type));
    if (c.error) {
      EXPECT_EQ(ErrorOf([&] { dao_jet::ConvertForColumn(column, c.in); }),
                c.error);
    } else {
      EXPECT_EQ(dao_jet::ConvertForColumn(column, c.in), c.out);
    }
  }
  jet::ColumnDef numeric;
  numeric.type = f::kTypeNumeric;
  numeric.precision = 6;
  numeric.scale = 2;
  EXPECT_EQ(base::DecimalToString(
                dao_jet::ConvertForColumn(numeric, Value::Double(-12.345))
                    .AsDecimal()),
            "-12.34");
}

}  // namespace
}  // namespace dao_test
