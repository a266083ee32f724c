#ifndef APP_MAIN_WINDOW_H_
#define APP_MAIN_WINDOW_H_

#include <cstdint>
#include <string>
#include <vector>

#include "app/window_design.h"
#include "errors/run_state.h"
#include "settings/control.h"

namespace app {

// The program's only window. Its load handler drives the whole run and ends
// the program from inside (errors::EndOfRun), so the window is never shown
// and no toolkit is involved: this is a plain model of its state. What a
// viewer would have seen change, in order, is kept in journal().
class frm_Corvane_Config_Exe {
 public:
  explicit frm_Corvane_Config_Exe(errors::RunState& run);

  // Start-up (main_window.cc).
  void Form_Load();
  void Form_Activate();
  void Form_Resize();
  void SetupUserInterFace();

  // Closing (close_sequence.cc).
  [[noreturn]] void CloseMe();
  void WriteInputs();
  void CommandOK_Click();
  void CommandCancel_Click();
  void CommandQuest_Click();
  // The close request; setting `cancel` non-zero keeps the window open.
  void Form_QueryUnload(int16_t& cancel, int16_t unload_mode);
  // The window's close box: asks Form_QueryUnload and, when it lets the
  // window unload, ends the program (the only window is gone) without
  // preparing the database or recording the edit.
  void CloseBox_Click();

  const std::string& caption() const { return caption_; }
  uint32_t back_color() const { return back_color_; }
  int mouse_pointer() const { return mouse_pointer_; }
  const std::string& configuration_ini_path() const {
    return configuration_ini_path_;
  }
  std::vector<settings::Control>& controls() { return controls_; }
  const std::vector<settings::Control>& controls() const { return controls_; }
  const settings::Control& control(ControlPosition at) const {
    return controls_[at];
  }
  const std::vector<Layout>& layouts() const { return layouts_; }
  const std::vector<std::string>& journal() const { return journal_; }

 private:
  void SetCaption(std::string caption);
  void SetEnabled(ControlPosition at, bool enabled);
  void SetBackColor(ControlPosition at, uint32_t color);
  void SetMousePointer(int pointer);
  // Lets the window process pending events. Nothing is ever queued for a
  // window that is not shown, so there is nothing to do.
  void ProcessPendingEvents() {}

  errors::RunState& run_;
  std::vector<settings::Control> controls_;
  std::vector<Layout> layouts_;
  std::string caption_ = kDesignCaption;
  uint32_t back_color_ = kWindowGrey;
  int mouse_pointer_ = kPointerDefault;
  // The path of hx3configuration.ini, as Form_Load found it.
  std::string configuration_ini_path_;
  std::vector<std::string> journal_;
};

}  // namespace app

#endif  // APP_MAIN_WINDOW_H_
