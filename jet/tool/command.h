#ifndef JET_TOOL_COMMAND_H_
#define JET_TOOL_COMMAND_H_

#include <string>
#include <vector>

namespace jet::tool {

// A sub-command of mdb: gets the arguments after its name, returns the exit
// code. Errors are thrown (base::RuntimeError) and reported by main.
using CommandFn = int (*)(const std::vector<std::string>& args);

struct Command {
  const char* name;
  const char* usage;  // one line, e.g. "tables FILE"
  CommandFn run;
};

// Registers a command during static initialisation; each command file holds
// one `const CommandRegistrar kRegistrar{...};`.
class CommandRegistrar {
 public:
  CommandRegistrar(const char* name, const char* usage, CommandFn run);
};

const std::vector<Command>& Commands();

// Thrown for a malformed command line; main prints the usage.
struct UsageError {
  std::string message;
};

}  // namespace jet::tool

#endif  // JET_TOOL_COMMAND_H_
