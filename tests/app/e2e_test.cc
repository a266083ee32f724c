// The built program in temporary copies of the sample plant: exit codes,
// the records and logs it leaves, and what it touches.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/text.h"
#include "tests/app/window_fixture.h"

namespace app_test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest() {
    std::string pattern = (fs::temp_directory_path() / "corvane-e2e-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp";
    dir_ = pattern;
    base_ = dir_ + "/Hmi";
    CopySamplePlant(base_);
    program_ = base_ + "/Corvane/Corvane_Config";
    fs::copy_file(CORVANE_CONFIG_EXE, program_);
  }
  ~EndToEndTest() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string Cfg() const { return base_ + "/Corvane/Corvane.cfg"; }

  // Runs the program with `args`, stdin from /dev/null, from a working
  // directory outside the plant, with a small fixed environment.
  Outcome Run(const std::vector<std::string>& args) {
    const std::string out_path = dir_ + "/stdout.txt";
    const std::string err_path = dir_ + "/stderr.txt";
    const pid_t pid = fork();
    if (pid == 0) {
      std::vector<char*> argv{program_.data()};
      std::vector<std::string> copies(args);
      for (auto& a : copies) argv.push_back(a.data());
      argv.push_back(nullptr);
      std::string user = "USER=abc", path = "PATH=/usr/bin:/bin";
      char* envp[] = {user.data(), path.data(), nullptr};
      const int in = open("/dev/null", O_RDONLY);
      const int out =
          open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err =
          open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0 || chdir("/") != 0) _exit(127);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      execve(program_.c_str(), argv.data(), envp);
      _exit(127);
    }
    Outcome outcome;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
      outcome.exit_code = WEXITSTATUS(status);
    }
    outcome.out = platform::FakeHost::ReadTextFile(out_path);
    outcome.err = platform::FakeHost::ReadTextFile(err_path);
    fs::remove(out_path);
    fs::remove(err_path);
    return outcome;
  }

  // Every file of the plant with its content.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      if (entry.is_regular_file()) {
        files[entry.path().string()] =
            platform::FakeHost::ReadTextFile(entry.path().string());
      }
    }
    return files;
  }

  std::string dir_;
  std::string base_;
  std::string program_;
};

TEST_F(EndToEndTest, StandaloneStartRecordsTheRunAndFinishes) {
  const Outcome run = Run({});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "1.0.1 - Standalone");
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Editor"), "666768");
  EXPECT_EQ(IniValue(Cfg(), "Project", "DataBaseAdditionalFields"),
            "shift_no,shift_name");
  EXPECT_FALSE(Exists(base_ + "/HX3cfglog.txt"));
}

TEST_F(EndToEndTest, IntegratedErrorsGoToTheGivenLogFile) {
  // No machine in the HMI configuration: two reports, answered by default
  // (go on) since no terminal is attached. The log path is read in upper
  // case; its folders are found without regard to case.
  SetIniValue(base_ + "/parameter/hx3configuration.ini", "Common", "NameM1",
              "-");
  fs::create_directory(dir_ + "/logs");
  const Outcome run =
      Run({"/EXTERNAL=HX3CFG", "/LOGFILE=" + dir_ + "/logs/run.txt"});
  EXPECT_EQ(run.exit_code, errors::kExitFinishedWithFailures) << run.err;
  EXPECT_THAT(run.err, HasSubstr("Unexpected error!"));
  const std::string line =
      "Fehler in Corvane / Corvane_Config_Exe / SetupUserInterFace (Nr. 9) "
      ":Subscript out of range";
  EXPECT_THAT(FileLines(dir_ + "/logs/RUN.TXT"), ElementsAre(line, line));
  EXPECT_FALSE(Exists(base_ + "/HX3cfglog.txt"));
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "1.0.1 - Integrated");
}

TEST_F(EndToEndTest, HelpAndVersionTouchNoFile) {
  const auto before = Snapshot();
  const Outcome version = Run({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "Corvane_Config 1.0.1\n");
  const Outcome help = Run({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_THAT(help.out, HasSubstr("Usage: Corvane_Config"));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(EndToEndTest, OtherArgumentsGoToTheProgram) {
  const Outcome run = Run({"--version", "/EXTERNAL=HX3CFG"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "1.0.1 - Integrated");
}

TEST_F(EndToEndTest, MissingConfigurationFileShowsTheFaultAndEnds) {
  fs::remove(Cfg());
  const Outcome run = Run({});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_THAT(run.err, HasSubstr("File not found: "));
  EXPECT_THAT(run.err, HasSubstr(base::UpperCase(Cfg())));
  EXPECT_FALSE(Exists(Cfg()));
}

TEST_F(EndToEndTest, FailureEscapingEveryHandlerGetsTheDefaultReport) {
  fs::remove(base_ + "/parameter/Program.ini");
  fs::create_directory(base_ + "/HX3cfglog.txt");
  const Outcome run = Run({});
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_THAT(run.err, HasSubstr("Run-time error '"));
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "");
}

}  // namespace
}  // namespace app_test
