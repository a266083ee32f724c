// mdb tables [--system] FILE: one table name a line, in catalog order.

#include <cstdio>

#include "jet/database.h"
#include "jet/tool/command.h"

namespace jet::tool {
namespace {

int RunTables(const std::vector<std::string>& args) {
  bool system = false;
  std::string file;
  for (const std::string& a : args) {
    if (a == "--system") {
      system = true;
    } else if (file.empty() && !a.starts_with("--")) {
      file = a;
    } else {
      throw UsageError{"unexpected argument '" + a + "'"};
    }
  }
  if (file.empty()) throw UsageError{"tables: FILE missing"};
  auto db = Database::Open(file);
  for (const std::string& name : db->TableNames(system)) {
    std::printf("%s\n", name.c_str());
  }
  return 0;
}

const CommandRegistrar kRegistrar{"tables", "tables [--system] FILE",
                                  &RunTables};

}  // namespace
}  // namespace jet::tool
