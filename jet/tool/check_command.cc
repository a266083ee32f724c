// mdb check FILE: prints each structural fault FindDamage finds in the file.

#include <cstdio>

#include "base/runtime_error.h"
#include "jet/catalog_writer.h"
#include "jet/errors.h"
#include "jet/file_io.h"
#include "jet/format.h"
#include "jet/integrity.h"
#include "jet/tool/command.h"
#include "jet/tool/create_command.h"

namespace jet::tool {
namespace {

int RunCheck(const std::vector<std::string>& args) {
  if (args.size() != 1) throw UsageError{"check: FILE expected"};
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(args[0]);
  if (!bytes) {
    throw base::Error(base::err::kCannotOpenFile, kErrorSource, args[0]);
  }
  const std::vector<std::string> problems = FindDamage(*bytes);
  for (const std::string& p : problems) std::printf("PROBLEM %s\n", p.c_str());
  if (!problems.empty()) {
    std::printf("FAILED: %zu problems\n", problems.size());
    return 1;
  }
  size_t tables = 0;
  for (const CatalogEntry& o :
       ReadCatalogEntries(PageStore(PlainImage(*bytes)))) {
    if (o.type == format::kObjectTypeTable) ++tables;
  }
  std::printf("OK: %zu tables\n", tables);
  return 0;
}

const CommandRegistrar kRegistrar{"check", "check FILE", &RunCheck};

}  // namespace

int RunCheckCommand(int argc, char** argv) {
  return RunCheck(std::vector<std::string>(argv, argv + argc));
}

}  // namespace jet::tool
