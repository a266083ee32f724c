#ifndef APP_CONFIRM_CANCEL_H_
#define APP_CONFIRM_CANCEL_H_

#include <string>

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// The question before a cancel: true when cancelling is confirmed. A silent
// start writes the question to the fault log and counts as confirmed; a Yes
// writes "Konfigurations-EXE wurde abgebrochen:     C" to the error log.
// Has no handler: failures reach the caller's.
bool ConfirmCancel(errors::RunState& run);

// The question's text: three lines, in an integrated start followed by the
// advice to configure the component standalone and the program's path. Line
// breaks are LF CR.
std::string CancelQuestionText(errors::RunState& run);

// The running program's path as the user would type it: its folder, the
// separator, its file name and, on a host with Windows paths, ".exe".
std::string ExecutablePath(const errors::RunState& run);

}  // namespace md_Standard_Config_Exe

#endif  // APP_CONFIRM_CANCEL_H_
