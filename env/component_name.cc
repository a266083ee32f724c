#include "env/component_name.h"

#include "base/runtime_error.h"
#include "base/text.h"
#include "errors/application.h"
#include "errors/error_handler.h"

namespace md_Standard_Config_Exe {

// The program file is named after the component followed by "_Config";
// those 7 characters are cut off whatever they are.
std::string GetOCXName(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetOCXName");
  std::string result;
  on_error.Run([&] {
    std::u32string name = base::Utf8ToUtf32(run.host.ProgramFileName());
    if (name.size() < 7) {
      throw base::Error(base::err::kInvalidProcedureCall,
                        errors::kApplicationTitle);
    }
    result = base::Utf32ToUtf8(name.substr(0, name.size() - 7));
  });
  return result;
}

}  // namespace md_Standard_Config_Exe
