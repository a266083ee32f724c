// The Windows host on the real Win32 calls (run under Wine in CI).
#include "platform/windows_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "base/runtime_error.h"
#include "platform/fake_host.h"
#include "platform/windows_api.h"
#include "tests/support/test_support.h"

namespace platform {
namespace {

using test_support::ErrorOf;
using test_support::FileText;

class WindowsHostTest : public testing::Test {
 protected:
  std::string Path(const std::string& name) {
    return scratch_.temp_dir() + "\\" + name;
  }
  FakeHost scratch_;  // only for its temporary folder
  WindowsHost host_;
};

TEST_F(WindowsHostTest, ProfileTextIsWindows1252AndReadsBack) {
  std::string ini = Path("Corvane.cfg");
  ASSERT_TRUE(host_.WritePrivateProfileString(
      "Info", "S_Editor", std::string("M\xC3\xBCller"), ini));
  ASSERT_TRUE(host_.WritePrivateProfileString("Project", "ValidMachines",
                                              std::string("1;2"), ini));
  EXPECT_EQ(
      FileText(ini),
      "[Info]\r\nS_Editor=M\xFCller\r\n[Project]\r\nValidMachines=1;2\r\n");
  std::string out;
  EXPECT_EQ(
      host_.GetPrivateProfileString("info", "s_editor", "x", 255, out, ini),
      6u);
  EXPECT_EQ(out, "M\xC3\xBCller");
  // Section names, each ended by NUL, without the list's final one.
  EXPECT_EQ(host_.GetPrivateProfileString(std::nullopt, std::nullopt, "", 255,
                                          out, ini),
            13u);
  EXPECT_EQ(out, std::string("Info\0Project\0", 13));
  EXPECT_EQ(
      host_.GetPrivateProfileString("Info", "Missing", "dflt", 255, out, ini),
      4u);
  EXPECT_EQ(out, "dflt");
  EXPECT_EQ(host_.GetPrivateProfileInt("Project", "ValidMachines", 9, ini), 1u);
  EXPECT_EQ(host_.GetPrivateProfileInt("Project", "Nothing", -1, ini),
            0xFFFFFFFFu);
  // Deleting a key keeps the rest.
  ASSERT_TRUE(
      host_.WritePrivateProfileString("Info", "S_Editor", std::nullopt, ini));
  EXPECT_EQ(FileText(ini), "[Info]\r\n[Project]\r\nValidMachines=1;2\r\n");
}

TEST_F(WindowsHostTest, EmptyProfileNameReadsAsMissingAndIsNotWritten) {
  std::string out;
  EXPECT_EQ(host_.GetPrivateProfileString("A", "B", "d", 255, out, ""), 1u);
  EXPECT_EQ(out, "d");
  EXPECT_EQ(host_.GetPrivateProfileInt("A", "B", 7, ""), 7u);
  EXPECT_FALSE(host_.WritePrivateProfileString("A", "B", std::string("v"), ""));
}

TEST_F(WindowsHostTest, AppendLineWritesWindows1252WithCrLf) {
  std::string log = Path("HX3cfglog.txt");
  host_.AppendLine(log, "Fehler in Corvane / \xC3\xA4 / \xE2\x82\xAC");
  host_.AppendLine(log, "second \xE4\xB8\x80");
  EXPECT_EQ(FileText(log), "Fehler in Corvane / \xE4 / \x80\r\nsecond ?\r\n");
  EXPECT_EQ(ErrorOf([&] { host_.AppendLine(Path("no\\such\\x.txt"), "x"); }),
            base::err::kPathNotFound);
  EXPECT_EQ(ErrorOf([&] { host_.AppendLine("", "x"); }),
            base::err::kPathFileAccessError);
}

TEST_F(WindowsHostTest, CopyReplacesTheDestinationAndLeavesNoTemporaryFile) {
  std::string from = Path("Corvane_Source.mdb");
  std::string to = Path("Corvane.mdb");
  std::ofstream(from, std::ios::binary) << "new content";
  std::ofstream(to, std::ios::binary) << "old";
  FileTimes old_times = host_.GetFileTimes(from);
  host_.CopyFileReplacing(from, to);
  EXPECT_EQ(FileText(to), "new content");
  EXPECT_EQ(host_.GetFileTimes(to).last_write, old_times.last_write);
  // Hmi, source, destination
  EXPECT_EQ(std::distance(
                std::filesystem::directory_iterator(scratch_.temp_dir()), {}),
            3);
  // A missing source fails and keeps the destination.
  EXPECT_EQ(ErrorOf([&] { host_.CopyFileReplacing(Path("nope"), to); }),
            base::err::kFileNotFound);
  EXPECT_EQ(FileText(to), "new content");
  EXPECT_EQ(ErrorOf([&] { host_.CopyFileReplacing("", to); }),
            base::err::kBadFileNameOrNumber);
}

TEST_F(WindowsHostTest, FileTimesRestoreCreationAndLastWrite) {
  std::string file = Path("Corvane_Source.mdb");
  std::ofstream(file, std::ios::binary) << "x";
  FileTimes saved;
  saved.creation = 125000000000000000ULL;    // 1997
  saved.last_write = 130000000000000000ULL;  // 2012
  host_.SetFileTimes(file, saved);
  std::ofstream(file, std::ios::binary | std::ios::app) << "changed";
  FileTimes now = host_.GetFileTimes(file);
  EXPECT_NE(now.last_write, saved.last_write);
  host_.SetFileTimes(file, saved);
  now = host_.GetFileTimes(file);
  // Wine keeps no creation time on Linux file systems; Windows does.
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") ==
      nullptr) {
    EXPECT_EQ(now.creation, saved.creation);
  }
  EXPECT_EQ(now.last_write, saved.last_write);
  EXPECT_TRUE(now.last_access.has_value());
  EXPECT_EQ(ErrorOf([&] { host_.GetFileTimes(Path("missing")); }),
            base::err::kFileNotFound);
}

TEST_F(WindowsHostTest, OrdinaryFilesAndCaseInsensitiveNames) {
  std::ofstream(Path("Program.ini")) << "[Project]\r\n";
  EXPECT_TRUE(host_.IsOrdinaryFile(Path("PROGRAM.INI")));
  EXPECT_FALSE(host_.IsOrdinaryFile(scratch_.temp_dir()));
  EXPECT_FALSE(host_.IsOrdinaryFile(Path("missing.ini")));
  EXPECT_FALSE(host_.IsOrdinaryFile(""));
  EXPECT_EQ(host_.ResolvePath(Path("x")), Path("x"));
}

}  // namespace
}  // namespace platform
