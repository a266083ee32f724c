#ifndef SETTINGS_CONTROL_H_
#define SETTINGS_CONTROL_H_

#include <cstdint>
#include <optional>
#include <string>

namespace settings {

// One control of a window, as far as the program reads or changes it. The
// window is never shown, so this is a plain model without any toolkit.
// Properties that a kind of control does not have are absent; reading an
// absent property is a failure of the step that reads it.
struct Control {
  std::string name;
  // Set only for an element of a control array (several controls share the
  // name).
  std::optional<int16_t> index;
  // The control kind as the classic runtime names it: "Label", "Frame",
  // "CommandButton", "CheckBox", ... Compared without regard to case.
  std::string type_name;
  std::string tag;
  std::optional<std::string> caption;
  std::optional<std::string> tool_tip_text;
  // The 1-based entry in the help-text table; 0 for none.
  std::optional<int32_t> whats_this_help_id;
  bool enabled = true;
  uint32_t back_color = 0xC0C0C0;  // 0xRRGGBB
};

}  // namespace settings

#endif  // SETTINGS_CONTROL_H_
