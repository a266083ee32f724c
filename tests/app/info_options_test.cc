// --help and --version answer only when alone; anything else goes to the
// program. Their texts, the exit codes and the default report of a failure
// no handler caught are checked on the built program (tests/e2e).
#include "app/info_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace app_test {
namespace {

TEST(InfoOptionsTest, AnythingElseGoesToTheProgram) {
  std::ostringstream out;
  for (const auto& args :
       std::vector<std::vector<std::string>>{{},
                                             {"--help", "/EXTERNAL=HX3CFG"},
                                             {"--HELP"},
                                             {"/EXTERNAL=--version"},
                                             {"--version", "--help"}}) {
    EXPECT_FALSE(app::HandleInfoOption(args, "Corvane_Config", out));
  }
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace app_test
