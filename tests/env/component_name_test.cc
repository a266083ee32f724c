#include "env/component_name.h"

#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "tests/env/plant_files.h"
#include "tests/support/test_support.h"

namespace md_Standard_Config_Exe {
namespace {

using GetOCXNameTest = plant_files::PlantTest;

TEST_F(GetOCXNameTest, CutsTheLastSevenCharacters) {
  for (auto [file, component] : {std::pair{"Corvane_Config", "Corvane"},
                                 {"Corvane_Config_Old", "Corvane_Con"},
                                 {"1234567", ""},
                                 {"\xC3\x84rger_Config", "\xC3\x84rger"}}) {
    host_.set_program_file_name(file);
    EXPECT_EQ(GetOCXName(run_), component) << file;
  }
  EXPECT_TRUE(host_.shown_boxes().empty());
}

// The report of this failure needs the component name itself, so it
// cannot be reported; it reaches the caller instead of recursing.
TEST_F(GetOCXNameTest, ShortNameFailsToTheCaller) {
  host_.set_program_file_name("cfg");
  EXPECT_EQ(test_support::ErrorOf([&] { GetOCXName(run_); }),
            base::err::kInvalidProcedureCall);
  EXPECT_EQ(run_.error_sub_depth, 0);
}

}  // namespace
}  // namespace md_Standard_Config_Exe
