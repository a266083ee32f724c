#include "env/component_name.h"

#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "env/report_environment.h"
#include "platform/fake_host.h"
#include "tests/errors/test_hosts.h"
#include "tests/support/test_support.h"

namespace md_Standard_Config_Exe {
namespace {

TEST(GetOCXNameTest, CutsTheLastSevenCharacters) {
  platform::FakeHost host;
  errors::RunState run(host,
                       md_Standard_Config_Exe::ComponentReportEnvironment());
  for (auto [file, component] : {std::pair{"Corvane_Config", "Corvane"},
                                 {"Corvane_Config_Old", "Corvane_Con"},
                                 {"1234567", ""},
                                 {"\xC3\x84rger_Config", "\xC3\x84rger"}}) {
    host.set_program_file_name(file);
    EXPECT_EQ(GetOCXName(run), component) << file;
  }
  EXPECT_TRUE(host.shown_boxes().empty());
}

// The report of this failure needs the component name itself, so it
// cannot be reported; it reaches the caller instead of recursing.
TEST(GetOCXNameTest, ShortNameFailsToTheCaller) {
  platform::FakeHost host;
  host.set_program_file_name("cfg");
  errors::RunState run(host,
                       md_Standard_Config_Exe::ComponentReportEnvironment());
  EXPECT_EQ(test_support::ErrorOf([&] { GetOCXName(run); }),
            base::err::kInvalidProcedureCall);
  EXPECT_EQ(run.error_sub_depth, 0);
}

}  // namespace
}  // namespace md_Standard_Config_Exe
