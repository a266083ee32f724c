// Writes a set of databases through every write path of the engine into the
// folder given as argument, for the external checkers (write_check.py):
//   empty.mdb      a new database
//   types.mdb      a table of every column type, long values in each form
//   changed.mdb    rows updated in place and moved, deleted rows, a dropped
//                  table, a renamed column
//   many.mdb       enough tables to split the catalog's index pages
//   preset.mdb     30,000 rows of the preset layout, each updated once
//   old-rows.mdb   CASES/fixed-only-table-var-column-added.mdb with its rows
//                  stored before the table had a variable column updated

#include <cstdio>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "tests/jet/preset_layout.h"

namespace {

using base::Value;
using jet::FieldDesc;
namespace f = jet::format;

using jet_test::AllTypes;
using jet_test::AllTypesRow;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: jet_write_sample DIR CASES\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::string cases = argv[2];
  try {
    jet::DatabaseWriter::CreateNew()->Save(dir + "/empty.mdb");

    {
      auto db = jet::DatabaseWriter::CreateNew();
      db->CreateTable("AllTypes", AllTypes());
      // Memo/OLE lengths: inline, one LVAL row, a chain of LVAL rows.
      const size_t lengths[] = {0, 10, 60, 200, 3000, 4076, 9000, 20000};
      int i = 1;
      for (size_t len : lengths) db->Insert("AllTypes", AllTypesRow(i++, len));
      std::vector<Value> nulls(14, Value::Null());
      nulls[0] = Value::Long(i);
      nulls[1] = Value::Text("");
      db->Insert("AllTypes", nulls);
      db->Save(dir + "/types.mdb");
    }

    {
      auto db = jet::DatabaseWriter::CreateNew();
      db->CreateTable("Keep", AllTypes());
      db->CreateTable("Gone", AllTypes());
      db->CreateTable("Other",
                      {{"A", f::kTypeLong, 0}, {"B", f::kTypeText, 255}});
      for (int i = 1; i <= 60; ++i) {
        db->Insert("Keep", AllTypesRow(i, i % 4 == 0 ? 5000 : 20));
        db->Insert("Gone", AllTypesRow(i, 300));
        db->Insert("Other", {Value::Long(i), Value::Text("x")});
      }
      auto rows = db->Rows("Other");
      for (size_t k = 0; k < rows.size(); ++k) {
        auto values = rows[k].second;
        if (k % 3 == 0)
          values[1] = Value::Text(std::string(200, 'y'));  // moves
        if (k % 3 == 1) values[1] = Value::Null();         // in place
        if (k % 5 == 4) {
          db->Delete("Other", rows[k].first);
        } else {
          db->Update("Other", rows[k].first, values);
        }
      }
      auto keep = db->Rows("Keep");
      for (size_t k = 0; k < keep.size(); k += 2) {
        auto values = keep[k].second;
        values[2] = Value::Text(std::string(k * 50, 'm'));  // new long value
        db->Update("Keep", keep[k].first, values);
      }
      db->DropTable("Gone");
      db->RenameColumn("Keep", "Note", "Remark");
      db->CreateTable("After", {{"X", f::kTypeText, 20}});
      db->Insert("After", {Value::Text("reuses freed pages")});
      db->Save(dir + "/changed.mdb");
    }

    {
      auto db = jet::DatabaseWriter::CreateNew();
      for (int i = 0; i < 150; ++i) {
        db->CreateTable("Table_" + std::to_string(i) + "_with_a_longer_name",
                        {{"ID", f::kTypeLong, 0}});
      }
      db->Save(dir + "/many.mdb");
    }

    {
      auto db = jet::DatabaseWriter::CreateNew();
      db->CreateTable("PRESET_DEFS", jet_test::PresetLayout());
      for (int i = 1; i <= 30000; ++i) {
        db->Insert("PRESET_DEFS", jet_test::PresetRow(i, "var_"));
      }
      for (auto& [id, values] : db->Rows("PRESET_DEFS")) {
        values[4] = Value::Text("VW_" + values[4].AsText());
        db->Update("PRESET_DEFS", id, values);
      }
      db->Save(dir + "/preset.mdb");
    }

    {
      auto db = jet::DatabaseWriter::Open(
          cases + "/fixed-only-table-var-column-added.mdb");
      auto rows = db->Rows("T");
      rows.at(0).second.at(2) = Value::Text("set");
      for (size_t i = 0; i < 2; ++i)
        db->Update("T", rows[i].first, rows[i].second);
      db->Save(dir + "/old-rows.mdb");
    }
  } catch (const base::RuntimeError& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.description().c_str());
    return 1;
  }
  return 0;
}
