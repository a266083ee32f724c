// mdb: look into Jet 4.0 (.mdb) files from the command line.

#include <cstdio>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "jet/tool/command.h"

#ifdef _WIN32
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "base/text.h"
#endif

namespace {

void PrintUsage(std::FILE* to) {
  std::fprintf(to, "usage:\n");
  for (const auto& c : jet::tool::Commands()) {
    std::fprintf(to, "  mdb %s\n", c.usage);
  }
  std::fprintf(to, "  mdb --help | --version\n");
}

// The arguments after the program name, in UTF-8. On Windows `argv` is in
// the ANSI code page, which cannot hold every path; the wide command line
// can.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
      args.push_back(base::Utf16ToUtf8(std::u16string_view(
          reinterpret_cast<const char16_t*>(wide[i]), wcslen(wide[i]))));
    }
    LocalFree(wide);
    return args;
  }
#endif
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = Arguments(argc, argv);
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
