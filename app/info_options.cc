#include "app/info_options.h"

namespace app {
namespace {

#ifdef _WIN32
constexpr char kSeparators[] = "\\/";
#else
constexpr char kSeparators[] = "/";
#endif

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of(kSeparators);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.empty() ? "Corvane_Config" : name;
}

void PrintUsage(const std::string& name, std::ostream& out) {
  out << "Usage: " << name << " [/EXTERNAL=HX3CFG | /EXTERNAL=SILENT]"
      << " [/LOGFILE=<path>]\n"
      << "       " << name << " --help | --version\n"
      << "\n"
      << "Configures the HMI component named by this program's file name\n"
      << "(the name less its last 7 characters) and records the run in\n"
      << "<base>/<component>/<component>.cfg, section Info. <base> is the\n"
      << "parent of the program's folder.\n"
      << "\n"
      << "  /EXTERNAL=HX3CFG  integrated start by the HMI configuration\n"
      << "                    program; errors go to the /LOGFILE path\n"
      << "  /EXTERNAL=SILENT  no message boxes: their texts go to the fault\n"
      << "                    log, and the run goes on after a failure\n"
      << "  (none)            standalone start; errors go to\n"
      << "                    <base>/HX3cfglog.txt\n"
      << "\n"
      << "Exit codes: 0 finished, 1 ended by a failure or the user's answer,\n"
      << "2 cancelled, 3 unhandled error.\n";
}

}  // namespace

std::optional<int> HandleInfoOption(const std::vector<std::string>& args,
                                    const std::string& program_path,
                                    std::ostream& out) {
  if (args.size() != 1) return std::nullopt;
  if (args[0] == "--help") {
    PrintUsage(BaseName(program_path), out);
    return 0;
  }
  if (args[0] == "--version") {
    out << BaseName(program_path) << " " << CORVANE_VERSION << "\n";
    return 0;
  }
  return std::nullopt;
}

}  // namespace app
