// How a run ends: the close sequence, the OK, cancel and help-query buttons
// and the close request.
#include "app/confirm_cancel.h"
#include "app/info_text.h"
#include "app/main_window.h"
#include "db/database_preparation.h"
#include "env/file_locations.h"
#include "errors/error_handler.h"
#include "settings/edit_info.h"

namespace app {

namespace std_config = md_Standard_Config_Exe;

// Prepares the component database, records the edit and ends the program.
// Every step's failure is reported and the sequence goes on, so the edit is
// recorded and the run ends even after a failed step (unless the user chose
// to end at the error question).
void frm_Corvane_Config_Exe::CloseMe() {
  errors::ErrorHandler on_error(run_, "CloseMe");

  on_error.Run([&] { ProcessPendingEvents(); });
  on_error.Run([&] { SetMousePointer(kPointerHourglass); });
  on_error.Run([&] { std_config::WorkOnMDB(run_); });
  on_error.Run([&] { WriteInputs(); });
  on_error.Run([&] { SetMousePointer(kPointerDefault); });
  errors::EndProgram(run_.failures_reported ? errors::kExitFinishedWithFailures
                                            : errors::kExitFinished);
}

void frm_Corvane_Config_Exe::WriteInputs() {
  errors::ErrorHandler on_error(run_, "WriteInputs");
  on_error.Run([&] {
    std_config::WriteEditInfo(run_,
                              [&] { return std_config::GetCFGPath(run_); });
  });
}

// In help-query mode shows OK's info text; otherwise disables both buttons
// and closes.
void frm_Corvane_Config_Exe::CommandOK_Click() {
  errors::ErrorHandler on_error(run_, "CommandOK_Click");

  if (on_error.Test([&] { return run_.help_mode_active; })) {
    on_error.Run(
        [&] { std_config::ShowInfoText(run_, controls_[kCommandOK]); });
    return;
  }
  on_error.Run([&] { SetEnabled(kCommandOK, false); });
  on_error.Run([&] { SetEnabled(kCommandCancel, false); });
  on_error.Run([&] { CloseMe(); });
}

// In help-query mode shows Cancel's info text; otherwise ends the program,
// saving nothing, once the cancel is confirmed. A failure inside the
// confirmation counts as confirmed.
void frm_Corvane_Config_Exe::CommandCancel_Click() {
  errors::ErrorHandler on_error(run_, "CommandCancel_Click");

  if (on_error.Test([&] { return run_.help_mode_active; })) {
    on_error.Run(
        [&] { std_config::ShowInfoText(run_, controls_[kCommandCancel]); });
    return;
  }
  if (on_error.Test([&] { return std_config::ConfirmCancel(run_); })) {
    errors::EndProgram(errors::kExitCancelled);
  }
}

// Switches help-query mode; the button turns green while it is on.
void frm_Corvane_Config_Exe::CommandQuest_Click() {
  if (run_.help_mode_active) {
    run_.help_mode_active = false;
    SetBackColor(kCommandQuest, kWindowGrey);
  } else {
    run_.help_mode_active = true;
    SetBackColor(kCommandQuest, kHelpModeGreen);
  }
}

// Keeps the window open unless the cancel is confirmed. A failure inside
// the confirmation keeps it open too.
void frm_Corvane_Config_Exe::Form_QueryUnload(int16_t& cancel,
                                              int16_t /*unload_mode*/) {
  errors::ErrorHandler on_error(run_, "Form_QueryUnload");

  if (on_error.Test([&] { return !std_config::ConfirmCancel(run_); })) {
    cancel = -1;  // True
  }
}

void frm_Corvane_Config_Exe::CloseBox_Click() {
  constexpr int16_t kFromControlMenu = 0;
  int16_t cancel = 0;
  Form_QueryUnload(cancel, kFromControlMenu);
  if (cancel == 0) errors::EndProgram(errors::kExitCancelled);
}

}  // namespace app
