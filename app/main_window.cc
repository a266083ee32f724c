#include "app/main_window.h"

#include <cstdio>

#include "app/machine_positions.h"
#include "env/command_line.h"
#include "env/file_locations.h"
#include "env/machine_lists.h"
#include "errors/error_handler.h"
#include "settings/language.h"

namespace app {

namespace std_config = md_Standard_Config_Exe;

frm_Corvane_Config_Exe::frm_Corvane_Config_Exe(errors::RunState& run)
    : run_(run), controls_(DesignedControls()), layouts_(DesignedLayouts()) {}

// The whole run: texts, start mode and title, machines, buttons, then the
// close sequence, which ends the program. Never returns normally.
void frm_Corvane_Config_Exe::Form_Load() {
  errors::ErrorHandler on_error(run_, "Form_Load");

  on_error.Run([&] { std_config::LoadToolTipTexts(run_, controls_); });
  on_error.Assign(configuration_ini_path_,
                  [&] { return std_config::GetHX3ConfigurationIniPath(run_); });
  bool integrated = false;
  on_error.Assign(integrated,
                  [&] { return std_config::GetStartModeIntegrated(run_); });
  // The title names the program's folder, not the executable.
  on_error.Run([&] {
    SetCaption("Erweiterte Konfiguration " +
               std_config::GetFileNameOnly(run_, run_.host.ProgramDirectory()) +
               (integrated ? " - integriert" : " - standalone"));
  });
  on_error.Run(
      [&] { std_config::GetExistingMachines(run_, configuration_ini_path_); });
  on_error.Run([&] { SetupUserInterFace(); });

  if (on_error.Test([&] { return !run_.start_mode_silent; })) {
    on_error.Run([&] { SetEnabled(kCommandOK, true); });
    on_error.Run([&] { SetEnabled(kCommandCancel, true); });
  } else {
    // A silent start confirms itself; the click ends the program.
    on_error.Run([&] { CommandOK_Click(); });
  }
  on_error.Run([&] { CloseMe(); });
}

void frm_Corvane_Config_Exe::Form_Activate() {
  errors::ErrorHandler on_error(run_, "Form_Activate");
}

// The controls keep their designed places whatever the window's size.
void frm_Corvane_Config_Exe::Form_Resize() {
  errors::ErrorHandler on_error(run_, "Form_Resize");
}

// Looks the project file up and reads the machine list's highest position
// for the machines present (1 to it) and absent (it + 1 to 5); no control
// depends on them, so nothing changes. With no machine each read fails and
// is reported.
void frm_Corvane_Config_Exe::SetupUserInterFace() {
  errors::ErrorHandler on_error(run_, "SetupUserInterFace");

  on_error.Run([&] { std_config::GetProgramIniPath(run_, 1); });
  int16_t highest = 0;
  on_error.Assign(highest, [&] { return HighestMachinePosition(run_); });
  on_error.Assign(highest, [&] { return HighestMachinePosition(run_); });
}

void frm_Corvane_Config_Exe::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  journal_.push_back("Caption=" + caption_);
}

void frm_Corvane_Config_Exe::SetEnabled(ControlPosition at, bool enabled) {
  controls_[at].enabled = enabled;
  journal_.push_back(controls_[at].name +
                     (enabled ? ".Enabled=True" : ".Enabled=False"));
}

void frm_Corvane_Config_Exe::SetBackColor(ControlPosition at, uint32_t color) {
  controls_[at].back_color = color;
  char hex[8];
  std::snprintf(hex, sizeof hex, "%06X", color & 0xFFFFFFu);
  journal_.push_back(controls_[at].name + ".BackColor=" + hex);
}

void frm_Corvane_Config_Exe::SetMousePointer(int pointer) {
  mouse_pointer_ = pointer;
  journal_.push_back("MousePointer=" + std::to_string(pointer));
}

}  // namespace app
