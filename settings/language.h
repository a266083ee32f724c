#ifndef SETTINGS_LANGUAGE_H_
#define SETTINGS_LANGUAGE_H_

#include <string>
#include <vector>

#include "errors/run_state.h"
#include "settings/control.h"

namespace md_Standard_Config_Exe {

// The language file: the program's folder, the program's file name, ".ini".
std::string LanguageFilePath(errors::RunState& run);

// Language of section Language of the language file; when it is empty,
// writes Language=1031 there and returns "1031".
std::string GetLanguage(errors::RunState& run);

// Applies the language's captions (labels, command buttons, check boxes) and
// tool tips (every control whose tag lacks "NOTTT") to `controls`, fills
// run.help_texts from the Help<id> keys and writes every missing key back
// into the language file (the designed caption in language 1031, else "0").
// A failure while handling one control silently ends that control's handling
// only; a failure outside it reaches the caller.
void LoadToolTipTexts(errors::RunState& run,
                      std::vector<settings::Control>& controls);

}  // namespace md_Standard_Config_Exe

#endif  // SETTINGS_LANGUAGE_H_
