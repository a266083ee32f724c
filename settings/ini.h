#ifndef SETTINGS_INI_H_
#define SETTINGS_INI_H_

#include <cstdint>
#include <string>

#include "base/value.h"
#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// INI access through the host's profile functions. Every call opens, reads
// or writes and closes the file itself. `unused` is passed by every caller
// and changes nothing. With `report_missing` a missing value is reported
// through ShowFault ("File '…' or Section […] or Entry '…' not found").

// The value, at most 254 characters; "" when missing.
std::string LoadIniString(errors::RunState& run, std::string section,
                          std::string key, std::string file, bool unused,
                          bool report_missing);

// The value as a 16-bit integer; -1 when missing. A value outside the
// 16-bit range fails with overflow (reported; the result is then 0).
int16_t LoadIniInteger(errors::RunState& run, std::string section,
                       std::string key, std::string file, bool unused,
                       bool report_missing);

// True only for the value TRUE in any letter case.
bool LoadIniBoolean(errors::RunState& run, std::string section, std::string key,
                    std::string file, bool unused, bool report_missing);

// Writes `value` as text (numbers in their standard text form, booleans as
// "true"/"false", strings unchanged). Returns an Integer value: non-zero
// when the write succeeded; Empty when the value had no text form (reported
// as "Ini Save:  wrong data type") or the step failed.
base::Value SaveIni(errors::RunState& run, base::Value value,
                    std::string section, std::string key, std::string file);

}  // namespace md_Standard_Config_Exe

#endif  // SETTINGS_INI_H_
