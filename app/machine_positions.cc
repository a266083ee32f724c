#include "app/machine_positions.h"

#include "base/runtime_error.h"
#include "errors/application.h"

namespace app {

int16_t HighestMachinePosition(const errors::RunState& run) {
  const std::string source = errors::kApplicationTitle;
  if (run.machine_list.empty()) {
    throw base::Error(base::err::kSubscriptOutOfRange, source);
  }
  if (run.machine_list.size() > INT16_MAX) {
    throw base::Error(base::err::kOverflow, source);
  }
  return static_cast<int16_t>(run.machine_list.size());
}

}  // namespace app
