#include "env/report_environment.h"

#include "env/command_line.h"
#include "env/component_name.h"

namespace md_Standard_Config_Exe {

errors::ReportEnvironment ComponentReportEnvironment() {
  errors::ReportEnvironment environment;
  environment.component_name = &GetOCXName;
  environment.logfile_path = &GetPathLogfile;
  return environment;
}

}  // namespace md_Standard_Config_Exe
