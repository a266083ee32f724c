#include "db/additional_fields.h"

#include "base/runtime_error.h"
#include "env/file_locations.h"
#include "errors/application.h"
#include "errors/error_handler.h"
#include "settings/ini.h"

namespace md_Standard_Config_Exe {

std::optional<std::vector<std::string>> GetAdditionalFieldsMDB(
    errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetAdditionalFieldsMDB");
  std::optional<std::vector<std::string>> result;
  std::vector<std::string> list;
  std::string s;
  on_error.Assign(s, [&] {
    return LoadIniString(run, "Project", "DataBaseAdditionalFields",
                         GetCFGPath(run), false, false);
  });
  s = s.empty() ? "part" : "part," + s;
  while (true) {
    size_t comma = s.find(',');
    if (comma == std::string::npos) {
      list.push_back(s);
      break;
    }
    list.push_back(s.substr(0, comma));
    s = s.substr(comma + 1);
  }
  result = std::move(list);
  return result;
}

void GetAddFields(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetAddFields");
  std::optional<std::vector<std::string>> fields;
  on_error.Assign(fields, [&] { return GetAdditionalFieldsMDB(run); });
  if (!fields) return;
  run.additional_fields = *fields;
  run.additional_fields_set = true;
  std::string sql;
  for (const std::string& name : *fields) sql += ", PRESET_DEFS." + name;
  run.additional_fields_sql = sql;
  on_error.Run([&] {
    // The count is a 16-bit integer.
    if (fields->size() > 32767) {
      throw base::Error(base::err::kOverflow, errors::kApplicationTitle);
    }
    run.additional_fields_count = static_cast<int>(fields->size());
  });
}

}  // namespace md_Standard_Config_Exe
