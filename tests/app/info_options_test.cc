// The program's outer frame: exit codes, the default report of a failure no
// handler caught, and the --help/--version options.
#include "app/run_program.h"

#include <filesystem>
#include <sstream>

#include "app/info_options.h"
#include "tests/app/window_fixture.h"

namespace app_test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

using RunProgramTest = WindowFixture;

TEST_F(RunProgramTest, ARunThatGoesThroughEndsWithZero) {
  std::ostringstream err;
  EXPECT_EQ(app::RunProgram(host_, err), errors::kExitFinished);
  EXPECT_EQ(err.str(), "");
}

TEST_F(RunProgramTest, AFailureNoHandlerCatchesGetsTheDefaultReport) {
  // No machine makes errors, and an error log that cannot be written makes
  // their reports fail in turn, up through every handler.
  std::filesystem::remove(base_ + "/parameter/Program.ini");
  std::filesystem::create_directory(ErrorLog());
  std::ostringstream err;
  EXPECT_EQ(app::RunProgram(host_, err), errors::kExitUnhandled);
  EXPECT_THAT(err.str(), StartsWith("Run-time error '"));
  EXPECT_THAT(err.str(), HasSubstr("':\n"));
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "");
}

TEST(InfoOptionsTest, HelpAndVersionAloneAnswerAndEnd) {
  std::ostringstream out;
  EXPECT_EQ(app::HandleInfoOption({"--version"}, "/x/y/Corvane_Config", out),
            0);
  EXPECT_EQ(out.str(), "Corvane_Config 1.0.1\n");

  out.str("");
  EXPECT_EQ(app::HandleInfoOption({"--help"}, "Corvane_Config", out), 0);
  EXPECT_THAT(out.str(), StartsWith("Usage: Corvane_Config "));
  EXPECT_THAT(out.str(), HasSubstr("/EXTERNAL=HX3CFG"));
}

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
