#include "env/component_name.h"

#include <utility>

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
    std::string file_name = run.host.ProgramFileName();
    auto& memo = run.component_name_memo;
    if (memo.valid && memo.program_file_name == file_name) {
      result = memo.component_name;
      return;
    }
    std::u32string name = base::Utf8ToUtf32(file_name);
    if (name.size() < 7) {
      throw base::Error(base::err::kInvalidProcedureCall,
                        errors::kApplicationTitle);
    }
    result = base::Utf32ToUtf8(name.substr(0, name.size() - 7));
    memo.valid = true;
    memo.program_file_name = std::move(file_name);
    memo.component_name = result;
  });
  return result;
}

}  // namespace md_Standard_Config_Exe
