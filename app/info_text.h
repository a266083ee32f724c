#ifndef APP_INFO_TEXT_H_
#define APP_INFO_TEXT_H_

#include <string>

#include "errors/run_state.h"
#include "settings/control.h"

namespace md_Standard_Config_Exe {

// In help-query mode, shows the help text of `control` (by its
// WhatsThisHelpID) in a box titled "Info:". Reports nothing: a step that
// fails is skipped, so a help id outside 1 to 100 shows an empty box.
void ShowInfoText(errors::RunState& run, const settings::Control& control);

// `text` with every "<CRLF>" marker (any letter case) turned into CR LF.
std::string ExpandLineMarkers(const std::string& text);

}  // namespace md_Standard_Config_Exe

#endif  // APP_INFO_TEXT_H_
