#ifndef APP_MACHINE_POSITIONS_H_
#define APP_MACHINE_POSITIONS_H_

#include <cstdint>

#include "errors/run_state.h"

namespace app {

// The highest position of the machine list (machine k at position k). An
// empty list has none: that is a failure (9, subscript out of range), as is
// a list longer than a 16-bit position can count (6, overflow).
int16_t HighestMachinePosition(const errors::RunState& run);

}  // namespace app

#endif  // APP_MACHINE_POSITIONS_H_
