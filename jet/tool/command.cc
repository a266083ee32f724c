#include "jet/tool/command.h"

namespace jet::tool {
namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

}  // namespace

CommandRegistrar::CommandRegistrar(const char* name, const char* usage,
                                   CommandFn run) {
  Registry().push_back({name, usage, run});
}

const std::vector<Command>& Commands() { return Registry(); }

}  // namespace jet::tool
