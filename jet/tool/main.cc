// mdb: look into Jet 4.0 (.mdb) files from the command line.

#include <cstdio>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "jet/tool/command.h"

namespace {

void PrintUsage(std::FILE* to) {
  std::fprintf(to, "usage:\n");
  for (const auto& c : jet::tool::Commands()) {
    std::fprintf(to, "  mdb %s\n", c.usage);
  }
  std::fprintf(to, "  mdb --help | --version\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintUsage(args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("mdb %s\n", MDB_VERSION);
    return 0;
  }
  for (const auto& c : jet::tool::Commands()) {
    if (args[0] != c.name) continue;
    try {
      return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const jet::tool::UsageError& e) {
      std::fprintf(stderr, "mdb: %s\n", e.message.c_str());
      PrintUsage(stderr);
      return 2;
    } catch (const base::RuntimeError& e) {
      std::fprintf(stderr, "mdb: error %d: %s\n", e.number(),
                   e.description().c_str());
      return 1;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "mdb: %s\n", e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "mdb: unknown command '%s'\n", args[0].c_str());
  PrintUsage(stderr);
  return 2;
}
