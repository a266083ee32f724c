#ifndef ERRORS_RUN_STATE_H_
#define ERRORS_RUN_STATE_H_

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/host.h"

namespace dao {
class DBEngine;
}  // namespace dao

namespace errors {

struct RunState;

// What a report asks of the component's environment, supplied by env/ when
// the run starts (md_Standard_Config_Exe::ReportEnvironmentOfComponent), so
// that errors/ needs nothing from the folders above it. Both run under their
// own handlers, as any procedure does.
struct ReportEnvironment {
  // The component name (GetOCXName).
  std::string (*component_name)(RunState& run) = nullptr;
  // The error log of an integrated start (GetPathLogfile).
  std::string (*logfile_path)(RunState& run) = nullptr;
};

// The process-wide values of one run, owned by the run and passed by
// reference. Each is written by one procedure and read by others; tests build
// their own.
struct RunState {
  RunState(platform::Host& h, ReportEnvironment environment)
      : host(h), report_environment(environment) {}

  platform::Host& host;
  const ReportEnvironment report_environment;

  // Start mode (GetStartModeIntegrated).
  bool start_mode_integrated = false;
  bool start_mode_silent = false;

  // Machines (GetExistingMachines).
  std::vector<std::string> machine_list;
  std::string program_ini_path;

  // Help texts by WhatsThisHelpID 1..100 (LoadToolTipTexts) and the
  // help-query mode of the window.
  std::array<std::string, 101> help_texts{};
  bool help_mode_active = false;

  // Variable-name patterns by system index (0, 1) and part (1..50), and the
  // system in use (WorkOnMDB).
  std::array<std::array<std::string, 51>, 2> var_name_patterns{};
  int var_name_system = 0;

  // Additional fields of the component's configuration file (GetAddFields);
  // the list counts as set only once GetAddFields has stored one.
  bool additional_fields_set = false;
  std::vector<std::string> additional_fields;
  std::string additional_fields_sql;
  int additional_fields_count = 0;

  // How many ErrorSub calls are running. A handler that catches a failure
  // while a report is being made passes it on instead of reporting it again
  // (which could recurse without end, e.g. when the log path itself cannot
  // be read).
  int error_sub_depth = 0;
  // Whether any failure was reported (the run's exit code tells).
  bool failures_reported = false;

  // The template database's file times, saved before the build and restored
  // after it (WorkOnMDB).
  platform::FileTimes template_file_times;

  // The database engine: created on first use by the database build, kept
  // for the rest of the run.
  std::shared_ptr<dao::DBEngine> engine;

  // The component name (GetOCXName) with the program file name it was cut
  // from: the build asks for it for every row, and the name does not change
  // during a run. Recomputed whenever the file name differs.
  struct {
    bool valid = false;
    std::string program_file_name;
    std::string component_name;
  } component_name_memo;
};

}  // namespace errors

#endif  // ERRORS_RUN_STATE_H_
