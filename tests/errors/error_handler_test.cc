#include "errors/error_handler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "base/runtime_error.h"
#include "env/report_environment.h"
#include "platform/fake_host.h"
#include "tests/env/plant_files.h"
#include "tests/errors/test_hosts.h"
#include "tests/support/test_support.h"

namespace errors {
namespace {

using md_Standard_Config_Exe::ComponentReportEnvironment;
using platform::FakeHost;

[[noreturn]] void Fail(int32_t number, const std::string& description) {
  throw base::RuntimeError(number, "Corvane_Config", description);
}

class ErrorHandlerTest : public plant_files::PlantTest {
 protected:
  std::string ErrorLog() { return FakeHost::ReadTextFile(ErrorLogPath(host_)); }
};

TEST_F(ErrorHandlerTest, YesResumesAndFailedAssignmentKeepsTarget) {
  ErrorHandler on_error(run_, "GetCFGPath");
  std::string result = "initial";
  EXPECT_TRUE(on_error.Assign(result, [] { return std::string("first"); }));
  EXPECT_FALSE(on_error.Assign(
      result, []() -> std::string { Fail(53, "File not found"); }));
  EXPECT_EQ(result, "first");
  // A procedure without a handler of its own is reported by its caller.
  EXPECT_FALSE(on_error.Run([] { Fail(9, "Subscript out of range"); }));
  EXPECT_EQ(ErrorLog(),
            "Fehler in Corvane / Corvane_Config / GetCFGPath (Nr. 53) :File "
            "not found\r\n"
            "Fehler in Corvane / Corvane_Config / GetCFGPath (Nr. 9) "
            ":Subscript out of range\r\n");
  EXPECT_EQ(host_.shown_boxes().size(), 2u);
}

// No text of the C++ library reaches a report.
TEST_F(ErrorHandlerTest, OtherExceptionsGetRuntimeNumbersAndTexts) {
  run_.start_mode_silent = true;
  ErrorHandler on_error(run_, "P");
  on_error.Run([] { throw std::bad_alloc(); });
  on_error.Run([] { (void)std::vector<int>().at(3); });
  on_error.Run([] { throw std::length_error("vector::_M_default_append"); });
  on_error.Run([] {
    throw std::filesystem::filesystem_error(
        "cannot copy", std::make_error_code(std::errc::permission_denied));
  });
  on_error.Run([] { throw std::logic_error("broken"); });
  const std::string p = "Fehler in Corvane / Corvane_Config_Exe / P (Nr. ";
  EXPECT_EQ(ErrorLog(),
            p + "7) :Out of memory\r\n" + p + "9) :Subscript out of range\r\n" +
                p + "7) :Out of memory\r\n" + p + "70) :Permission denied\r\n" +
                p + "51) :Internal error\r\n");
}

TEST(ErrorHandlerFailureTest, LogWriterFailureReachesCallersHandler) {
  FailingAppendHost host;
  RunState run(host, ComponentReportEnvironment());
  ErrorHandler outer(run, "CloseMe");
  bool inner_went_on = false;
  host.failures = 1;  // the inner report cannot write its log line
  EXPECT_FALSE(outer.Run([&] {
    ErrorHandler inner(run, "WorkOnMDB");
    inner.Run([] { Fail(13, "Type mismatch"); });
    inner_went_on = true;
  }));
  EXPECT_FALSE(inner_went_on);
  EXPECT_EQ(FakeHost::ReadTextFile(ErrorLogPath(host)),
            "Fehler in Corvane / Corvane_Config / CloseMe (Nr. 70) :Permission "
            "denied\r\n");
  EXPECT_EQ(host.shown_boxes().size(), 1u);
  EXPECT_EQ(run.error_sub_depth, 0);
}

// Reports that cannot name their component or log file reach the caller
// instead of recursing.
TEST(ErrorHandlerFailureTest, UnreportableFailuresEndWithoutRecursion) {
  FakeHost host;
  host.set_program_file_name("cfg");  // too short for a component name
  RunState run(host, ComponentReportEnvironment());
  ErrorHandler on_error(run, "Form_Load");
  EXPECT_EQ(test_support::ErrorOf([&] { on_error.Run([] { Fail(53, "x"); }); }),
            base::err::kInvalidProcedureCall);
  EXPECT_TRUE(host.shown_boxes().empty());

  host.set_program_file_name("Corvane_Config");
  host.set_command_line("/EXTERNAL=HX3CFG /LOGFILE");  // key without value
  run.start_mode_integrated = true;
  EXPECT_THROW(on_error.Run([] { Fail(5, "x"); }), base::RuntimeError);
  EXPECT_EQ(run.error_sub_depth, 0);
}

}  // namespace
}  // namespace errors
