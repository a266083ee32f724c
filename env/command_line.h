#ifndef ENV_COMMAND_LINE_H_
#define ENV_COMMAND_LINE_H_

#include <optional>
#include <string>

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// The value that follows `key` (and one separator character) in
// `command_line`, in upper case and without surrounding blanks, up to the
// "/" that ends it; absent when the key does not occur. The first
// occurrence of the key counts, wherever it stands. Where a "/" ends a value
// is the host's choice (Host::SlashEndsValuesAnywhere).
std::optional<std::string> ReadCommand(errors::RunState& run,
                                       const std::string& command_line,
                                       const std::string& key);

// Evaluates "EXTERNAL" of the program's command line: true for "HX3CFG".
// Sets run.start_mode_integrated and run.start_mode_silent ("SILENT").
bool GetStartModeIntegrated(errors::RunState& run);

// The "LOGFILE" value of the program's command line, or "".
std::string GetPathLogfile(errors::RunState& run);

// `text` with the first occurrence of `search_item` (without regard to case)
// replaced by `replacement`; unchanged when it does not occur.
std::string ReplaceSearchItem(errors::RunState& run, std::string text,
                              const std::string& search_item,
                              const std::string& replacement);

}  // namespace md_Standard_Config_Exe

#endif  // ENV_COMMAND_LINE_H_
