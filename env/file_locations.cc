#include "env/file_locations.h"

#include <exception>
#include <string>
#include <string_view>

#include "base/runtime_error.h"
#include "base/text.h"
#include "env/component_name.h"
#include "errors/application.h"
#include "errors/error_handler.h"
#include "settings/ini.h"

namespace md_Standard_Config_Exe {
namespace {

// The program directory less its last element: characters are removed from
// the end up to the last separator, which goes too ("C:\Hmi" gives "C:",
// "/opt/hmi/Corvane" gives "/opt/hmi"). A directory without any separator
// has no parent: invalid argument.
std::string BaseDirectory(errors::RunState& run) {
  const char sep = run.host.PathSeparator();
  std::string dir = run.host.ProgramDirectory();
  const size_t last = dir.rfind(sep);
  if (last == std::string::npos) {
    throw base::Error(base::err::kInvalidProcedureCall,
                      errors::kApplicationTitle);
  }
  dir.resize(last);
  return dir;
}

// An existing ordinary file (not a directory); "" never exists.
bool Exists(errors::RunState& run, const std::string& path) {
  return !path.empty() && run.host.IsOrdinaryFile(path);
}

// base/C/C<suffix> for the component name C, built in one buffer: the
// component database's path is asked for row after row.
std::string ComponentFilePath(errors::RunState& run, const char* suffix) {
  const char sep = run.host.PathSeparator();
  const std::string component = GetOCXName(run);
  std::string path = BaseDirectory(run);
  const std::string_view tail(suffix);
  path.reserve(path.size() + 2 * (1 + component.size()) + tail.size());
  path += sep;
  path += component;
  path += sep;
  path += component;
  path += tail;
  return path;
}

// SaveAndRestore of section Common of hx3configuration.ini, "" when the
// file or the entry is missing.
std::string SaveAndRestoreDirectory(errors::RunState& run,
                                    const std::string& hx3_configuration_ini) {
  if (hx3_configuration_ini.empty()) return "";
  return LoadIniString(run, "Common", "SaveAndRestore", hx3_configuration_ini,
                       false, false);
}

// `dir` joined with `rest` by one separator, none added when `dir` already
// ends with one.
std::string JoinBelow(const std::string& dir, const std::string& rest,
                      char sep) {
  return !dir.empty() && dir.back() == sep ? dir + rest : dir + sep + rest;
}

}  // namespace

std::string GetFileNameOnly(errors::RunState& run, const std::string& path) {
  errors::ErrorHandler on_error(run, "GetFileNameOnly");
  std::string result;
  on_error.Assign(result, [&] {
    const size_t last = path.rfind(run.host.PathSeparator());
    return last == std::string::npos ? path : path.substr(last + 1);
  });
  return result;
}

std::string GetHX3ConfigurationIniPath(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetHX3ConfigurationIniPath");
  const char sep = run.host.PathSeparator();
  std::string result;
  std::string p;
  on_error.Assign(p, [&] {
    return BaseDirectory(run) + sep + "parameter" + sep +
           "hx3configuration.ini";
  });
  if (on_error.Test([&] { return Exists(run, p); })) result = p;
  return result;
}

std::string GetProgramIniPath(errors::RunState& run, int32_t mode) {
  errors::ErrorHandler on_error(run, "GetProgramIniPath");
  const char sep = run.host.PathSeparator();
  std::string result;
  std::string p;
  if (on_error.Test([&] { return mode == 1 && run.start_mode_integrated; })) {
    std::string save_and_restore;
    on_error.Assign(save_and_restore, [&] {
      return SaveAndRestoreDirectory(run, GetHX3ConfigurationIniPath(run));
    });
    // Without a save-and-restore directory there is no integrated project
    // file; a path below the file system's root would name some other file.
    if (save_and_restore.empty()) return result;
    on_error.Assign(p, [&] {
      return JoinBelow(save_and_restore,
                       std::string("parameter") + sep + "program.ini", sep);
    });
  } else {
    on_error.Assign(p, [&] {
      return BaseDirectory(run) + sep + "parameter" + sep + "Program.ini";
    });
  }
  if (on_error.Test([&] { return Exists(run, p); })) result = p;
  return result;
}

std::string GetCFGPath(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetCFGPath");
  std::string result;
  std::string p;
  on_error.Assign(p, [&] { return ComponentFilePath(run, ".cfg"); });
  if (on_error.Test([&] { return Exists(run, p); })) {
    result = p;
    return result;
  }
  // The run cannot go on without its configuration file: it ends even when
  // the fault cannot be shown or logged and that failure's report fails too.
  try {
    on_error.Run([&] {
      errors::ShowFault(run, "File not found: \n\r" + base::UpperCase(p));
    });
  } catch (const std::exception&) {
  }
  errors::EndProgram();
}

std::string GetPathOCXMDB(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetPathOCXMDB");
  std::string result;
  on_error.Assign(result, [&] { return ComponentFilePath(run, ".mdb"); });
  return result;
}

std::string GetPathSourceOCXMDB(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetPathSourceOCXMDB");
  std::string result;
  std::string p;
  on_error.Assign(p, [&] { return ComponentFilePath(run, "_Source.mdb"); });
  if (on_error.Test([&] { return Exists(run, p); })) result = p;
  return result;
}

std::string GetPathMachineCopyMDB(errors::RunState& run,
                                  const std::string& hx3_configuration_ini) {
  errors::ErrorHandler on_error(run, "GetPathMachineCopyMDB");
  const char sep = run.host.PathSeparator();
  std::string result;
  std::string save_and_restore;
  on_error.Assign(save_and_restore, [&] {
    return SaveAndRestoreDirectory(run, hx3_configuration_ini);
  });
  // No save-and-restore directory, no machine copy (see GetProgramIniPath).
  if (save_and_restore.empty()) return result;
  std::string p;
  on_error.Assign(p, [&] {
    const std::string component = GetOCXName(run);
    return JoinBelow(save_and_restore, component + sep + component + ".mdb",
                     sep);
  });
  if (p.empty()) return result;
  // A test that cannot be made is not reported here: the path is returned
  // and the database step that uses it meets and reports the failure.
  try {
    result = run.host.IsOrdinaryFile(p) ? p : "";
  } catch (const std::exception&) {
    result = p;
  }
  return result;
}

}  // namespace md_Standard_Config_Exe
