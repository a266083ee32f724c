#include "platform/windows_process_text.h"

#include <gtest/gtest.h>

#include <tuple>

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

// Only the last extension goes; a drive's root keeps its separator.
TEST(SplitProgramPathTest, FolderAndNameWithoutExtension) {
  for (auto [path, directory, name] :
       {std::tuple{u"C:\\Hmi\\Line1\\Corvane\\Corvane_Config.exe",
                   u"C:\\Hmi\\Line1\\Corvane", u"Corvane_Config"},
        {u"C:\\Corvane_Config.v2.exe", u"C:\\", u"Corvane_Config.v2"},
        {u"\\\\server\\share\\Corvane_Config.EXE", u"\\\\server\\share",
         u"Corvane_Config"},
        {u"Corvane_Config", u".", u"Corvane_Config"}}) {
    ProgramPath p = SplitProgramPath(path);
    EXPECT_EQ(p.directory, directory);
    EXPECT_EQ(p.file_name, name);
  }
}

}  // namespace
}  // namespace platform::windows
