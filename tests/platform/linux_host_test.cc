#include "platform/linux_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace platform {
namespace {

TEST(LinuxHostTest, ProcessFacts) {
  char program[] = "/ignored/by/proc";
  char a1[] = "/EXTERNAL=HX3CFG";
  char a2[] = "/LOGFILE=/srv/x y.txt";
  char* argv[] = {program, a1, a2, nullptr};
  char e1[] = "LANG=C.UTF-8";
  char e2[] = "HOME=/root";
  char* envp[] = {e1, e2, nullptr};
  LinuxHost host(3, argv, envp);
  EXPECT_EQ(host.CommandLine(), "/EXTERNAL=HX3CFG /LOGFILE=/srv/x y.txt");
  EXPECT_EQ(host.FirstEnvironmentEntry(), "LANG=C.UTF-8");
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(host.ProgramDirectory(), exe.parent_path().string());
  EXPECT_EQ(host.ProgramFileName(), "platform_tests");
  EXPECT_EQ(host.FaultLogPath(), "/var/log/HarloServicePack.log");
  EXPECT_FALSE(host.SlashEndsValuesAnywhere());
}

TEST(LinuxHostTest, NoArgumentsNoEnvironment) {
  char program[] = "x";
  char* argv[] = {program, nullptr};
  LinuxHost host(1, argv, nullptr);
  EXPECT_EQ(host.CommandLine(), "");
  EXPECT_EQ(host.FirstEnvironmentEntry(), "");
}

TEST(LinuxHostTest, WithoutTerminalTheDefaultButtonIsTaken) {
  if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    GTEST_SKIP() << "would prompt on this terminal";
  }
  char program[] = "x";
  char* argv[] = {program, nullptr};
  LinuxHost host(1, argv, nullptr);
  MessageBoxRequest box;
  box.text = "Resume?";
  box.title = "Unexpected error";
  box.buttons = MsgButtons::kYesNo;
  box.default_button = 2;
  testing::internal::CaptureStderr();
  EXPECT_EQ(host.ShowMessage(box), MsgResult::kNo);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Unexpected error: Resume?\n");
}

}  // namespace
}  // namespace platform
