#ifndef ENV_REPORT_ENVIRONMENT_H_
#define ENV_REPORT_ENVIRONMENT_H_

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// What the error routine asks of this folder: GetOCXName for the component
// name and GetPathLogfile for the error log of an integrated start. Every
// run state is built with it.
errors::ReportEnvironment ComponentReportEnvironment();

}  // namespace md_Standard_Config_Exe

#endif  // ENV_REPORT_ENVIRONMENT_H_
