#include "platform/windows_process_text.h"

#include <gtest/gtest.h>

namespace platform::windows {
namespace {

TEST(CommandLineTailTest, SkipsTheProgramPathAsTheClassicRuntimeDoes) {
  EXPECT_EQ(CommandLineTail(u"C:\\Hmi\\Corvane_Config.exe /EXTERNAL=HX3CFG"),
            u"/EXTERNAL=HX3CFG");
  // A quoted path may hold blanks; the text after it stays unsplit.
  EXPECT_EQ(
      CommandLineTail(
          u"\"C:\\Program Files\\Corvane_Config.exe\"  /LOGFILE=C:\\a b "),
      u"/LOGFILE=C:\\a b ");
  // No blank needed after the closing quote.
  EXPECT_EQ(CommandLineTail(u"\"C:\\x.exe\"/EXTERNAL=SILENT"),
            u"/EXTERNAL=SILENT");
  // Tabs separate as blanks do; quotes inside the arguments are kept.
  EXPECT_EQ(CommandLineTail(u"x.exe\t \"/LOGFILE=C:\\y z.txt\""),
            u"\"/LOGFILE=C:\\y z.txt\"");
}

TEST(CommandLineTailTest, NothingAfterTheProgram) {
  EXPECT_EQ(CommandLineTail(u""), u"");
  EXPECT_EQ(CommandLineTail(u"C:\\x.exe"), u"");
  EXPECT_EQ(CommandLineTail(u"C:\\x.exe   "), u"");
  EXPECT_EQ(CommandLineTail(u"\"C:\\unclosed quote.exe /A"), u"");
}

TEST(FirstEnvironmentEntryTest, SkipsTheDrivesCurrentFolders) {
  const char16_t block[] = u"=::=::\\\0=C:=C:\\Hmi\0USERNAME=anna\0PATH=x\0";
  EXPECT_EQ(FirstEnvironmentEntry(block), u"USERNAME=anna");
  const char16_t plain[] = u"A=\0B=2\0";
  EXPECT_EQ(FirstEnvironmentEntry(plain), u"A=");
  const char16_t only_drives[] = u"=C:=C:\\\0";
  EXPECT_EQ(FirstEnvironmentEntry(only_drives), u"");
  EXPECT_EQ(FirstEnvironmentEntry(u""), u"");
  EXPECT_EQ(FirstEnvironmentEntry(nullptr), u"");
}

TEST(SplitProgramPathTest, FolderAndNameWithoutExtension) {
  ProgramPath p =
      SplitProgramPath(u"C:\\Hmi\\Line1\\Corvane\\Corvane_Config.exe");
  EXPECT_EQ(p.directory, u"C:\\Hmi\\Line1\\Corvane");
  EXPECT_EQ(p.file_name, u"Corvane_Config");
  // Only the last extension goes; a drive's root keeps its separator.
  p = SplitProgramPath(u"C:\\Corvane_Config.v2.exe");
  EXPECT_EQ(p.directory, u"C:\\");
  EXPECT_EQ(p.file_name, u"Corvane_Config.v2");
  p = SplitProgramPath(u"\\\\server\\share\\Corvane_Config.EXE");
  EXPECT_EQ(p.directory, u"\\\\server\\share");
  EXPECT_EQ(p.file_name, u"Corvane_Config");
  p = SplitProgramPath(u"Corvane_Config");
  EXPECT_EQ(p.directory, u".");
  EXPECT_EQ(p.file_name, u"Corvane_Config");
}

}  // namespace
}  // namespace platform::windows
