// mdb dump --json [--system] FILE [TABLE]: tables with their columns and
// rows as one JSON document.

#include <cstdio>

#include "jet/dao_type.h"
#include "jet/database.h"
#include "jet/tool/command.h"
#include "jet/tool/json.h"

namespace jet::tool {
namespace {

void Flush(std::string& out) {
  std::fwrite(out.data(), 1, out.size(), stdout);
  out.clear();
}

void DumpTable(Database& db, const std::string& name, std::string& out) {
  const TableDef& def = db.GetTableDef(name);
  out += "{\"name\":";
  AppendJsonString(out, db.TableName(name));
  out += ",\"columns\":[";
  for (size_t i = 0; i < def.columns.size(); ++i) {
    const ColumnDef& c = def.columns[i];
    if (i) out.push_back(',');
    out += "{\"name\":";
    AppendJsonString(out, c.name);
    out += ",\"type\":\"";
    out += DaoTypeName(DaoTypeOf(c));
    out += "\",\"size\":";
    out += std::to_string(DaoSizeOf(c));
    out.push_back('}');
  }
  out += "],\"rows\":[";
  bool first = true;
  for (const Row& row : db.ReadRows(name)) {
    out += first ? "\n[" : ",\n[";
    first = false;
    for (size_t i = 0; i < row.values.size(); ++i) {
      if (i) out.push_back(',');
      AppendJsonValue(out, row.values[i]);
    }
    out.push_back(']');
    if (out.size() > (1 << 16)) Flush(out);
  }
  out += "]}";
}

int RunDump(const std::vector<std::string>& args) {
  bool json = false, system = false;
  std::vector<std::string> positional;
  for (const std::string& a : args) {
    if (a == "--json") {
      json = true;
    } else if (a == "--system") {
      system = true;
    } else if (a.starts_with("--")) {
      throw UsageError{"unknown option '" + a + "'"};
    } else {
      positional.push_back(a);
    }
  }
  if (!json) throw UsageError{"dump: only --json output exists"};
  if (positional.empty() || positional.size() > 2) {
    throw UsageError{"dump: FILE [TABLE] expected"};
  }
  auto db = Database::Open(positional[0]);
  std::vector<std::string> tables;
  if (positional.size() == 2) {
    tables.push_back(db->TableName(positional[1]));  // 3265 when missing
  } else {
    tables = db->TableNames(system);
  }
  // Read everything before printing anything, so a damaged file gives an
  // error and no half document.
  std::string out = "{\"tables\":[";
  for (size_t i = 0; i < tables.size(); ++i) {
    if (i) out += ",\n";
    DumpTable(*db, tables[i], out);
  }
  out += "]}\n";
  Flush(out);
  return 0;
}

const CommandRegistrar kRegistrar{"dump", "dump --json [--system] FILE [TABLE]",
                                  &RunDump};

}  // namespace
}  // namespace jet::tool
