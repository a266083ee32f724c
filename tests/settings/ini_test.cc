#include "settings/ini.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/runtime_error.h"
#include "platform/fake_host.h"
#include "tests/env/plant_files.h"

namespace md_Standard_Config_Exe {
namespace {

using platform::FakeHost;

class IniTest : public plant_files::PlantTest {
 protected:
  void SetUp() override {
    ini_ = host_.temp_dir() + "/program.ini";
    FakeHost::WriteBytes(
        ini_,
        "[Common]\r\nName=Line 1\r\nEmpty=\r\nLong=" + std::string(300, 'x') +
            "\r\nNumber=12\r\nMinusOne=-1\r\nHuge=70000\r\n[Flags]\r\n"
            "a=true\r\nb=True\r\nc=TRUE\r\nd=FALSE\r\ne=0\r\nf=1\r\ng=yes\r\n");
  }
  std::string Notice(const std::string& file, const std::string& section,
                     const std::string& key) {
    return "File '" + file + "' or Section [" + section + "] or Entry '" + key +
           "' not found";
  }
  std::string ErrorLog() {
    return FakeHost::ReadTextFile(host_.temp_dir() + "/Hmi/HX3cfglog.txt");
  }

  std::string ini_;
};

TEST_F(IniTest, MissingValuesGiveDefaultsAndNoticeWhenAsked) {
  std::string missing_file = host_.temp_dir() + "/none.ini";
  struct Address {
    std::string file, section, key;
  };
  for (const Address& a :
       {Address{missing_file, "Common", "Name"}, Address{ini_, "Other", "Name"},
        Address{ini_, "Common", "Nothing"}}) {
    host_.ClearShownBoxes();
    EXPECT_EQ(LoadIniString(run_, a.section, a.key, a.file, true, false), "");
    EXPECT_EQ(LoadIniInteger(run_, a.section, a.key, a.file, true, false), -1);
    EXPECT_FALSE(LoadIniBoolean(run_, a.section, a.key, a.file, true, false));
    EXPECT_TRUE(host_.shown_boxes().empty());

    LoadIniString(run_, a.section, a.key, a.file, false, true);
    LoadIniInteger(run_, a.section, a.key, a.file, false, true);
    LoadIniBoolean(run_, a.section, a.key, a.file, false, true);
    ASSERT_EQ(host_.shown_boxes().size(), 3u);
    for (const platform::MessageBoxRequest& box : host_.shown_boxes()) {
      EXPECT_EQ(box.text, Notice(a.file, a.section, a.key));
      EXPECT_EQ(box.title, "Corvane_Config");
      EXPECT_EQ(box.icon, platform::MsgIcon::kCritical);
    }
  }
  EXPECT_EQ(ErrorLog(), "");
}

TEST_F(IniTest, StringReads) {
  EXPECT_EQ(LoadIniString(run_, "common", "NAME", ini_, false, true), "Line 1");
  EXPECT_EQ(LoadIniString(run_, "Common", "Long", ini_, false, false),
            std::string(254, 'x'));
  EXPECT_TRUE(host_.shown_boxes().empty());
  EXPECT_EQ(LoadIniString(run_, "Common", "Empty", ini_, false, true), "");
  EXPECT_EQ(host_.shown_boxes().size(), 1u);
}

TEST_F(IniTest, IntegerReads) {
  EXPECT_EQ(LoadIniInteger(run_, "Common", "Number", ini_, true, true), 12);
  EXPECT_TRUE(host_.shown_boxes().empty());
  // A real -1 counts as missing.
  EXPECT_EQ(LoadIniInteger(run_, "Common", "MinusOne", ini_, true, true), -1);
  EXPECT_EQ(host_.shown_boxes().at(0).text, Notice(ini_, "Common", "MinusOne"));
}

TEST_F(IniTest, IntegerOutOfRangeIsOverflowWithoutNotice) {
  EXPECT_EQ(LoadIniInteger(run_, "Common", "Huge", ini_, false, true), 0);
  ASSERT_EQ(host_.shown_boxes().size(), 1u);
  EXPECT_EQ(host_.shown_boxes()[0].title, "Unexpected error");
  EXPECT_EQ(ErrorLog(),
            "Fehler in Corvane / Corvane_Config_Exe / LoadIniInteger (Nr. 6) "
            ":Overflow\r\n");
}

TEST_F(IniTest, BooleanReads) {
  for (const char* key : {"a", "b", "c"}) {
    EXPECT_TRUE(LoadIniBoolean(run_, "Flags", key, ini_, false, true)) << key;
  }
  EXPECT_FALSE(LoadIniBoolean(run_, "Flags", "d", ini_, true, true));
  EXPECT_TRUE(host_.shown_boxes().empty());
  for (const char* key : {"e", "f", "g"}) {
    host_.ClearShownBoxes();
    EXPECT_FALSE(LoadIniBoolean(run_, "Flags", key, ini_, false, true)) << key;
    EXPECT_EQ(host_.shown_boxes().size(), 1u) << key;
  }
}

// The reader's handler reports a failed fault-log write to the error log;
// the report's own fault-log entry fails again and reaches the caller.
TEST_F(IniTest, SilentNoticeGoesToFaultLogAndItsFailureIsReported) {
  run_.start_mode_silent = true;
  LoadIniString(run_, "Common", "Nothing", ini_, false, true);
  EXPECT_TRUE(host_.shown_boxes().empty());
  EXPECT_EQ(
      FakeHost::ReadTextFile(host_.FaultLogPath()),
      "! Fault Corvane_Config: " + Notice(ini_, "Common", "Nothing") + "\r\n");

  host_.set_fault_log_path(host_.temp_dir() + "/none/fault.log");
  EXPECT_THROW(LoadIniString(run_, "Common", "Nothing", ini_, false, true),
               base::RuntimeError);
  // A missing folder, as Windows tells it from a missing file.
  EXPECT_NE(ErrorLog().find("/ LoadIniString (Nr. 76) :Path not found"),
            std::string::npos);
}

TEST_F(IniTest, SaveWritesTextByType) {
  std::string cfg = host_.temp_dir() + "/Corvane.cfg";
  EXPECT_EQ(SaveIni(run_, base::Value::Boolean(true), "Info", "b", cfg),
            base::Value::Integer(1));
  SaveIni(run_, base::Value::Integer(5), "Info", "i", cfg);
  SaveIni(run_, base::Value::Long(-70000), "Info", "l", cfg);
  SaveIni(run_, base::Value::Double(1.5), "Info", "d", cfg);
  SaveIni(run_, base::Value::Byte(255), "Info", "y", cfg);
  SaveIni(run_, base::Value::Text(" a "), "Info", "s", cfg);
  SaveIni(run_, base::Value::Boolean(false), "info", "B", cfg);
  EXPECT_EQ(FakeHost::ReadTextFile(cfg),
            "[Info]\r\nb=false\r\ni=5\r\nl=-70000\r\nd=1.5\r\ny=255\r\n"
            "s= a \r\n");
  EXPECT_TRUE(host_.shown_boxes().empty());
}

// A file in a missing folder or a read-only file is not written: the
// result is 0 and the failure is reported; the read-only file keeps its
// bytes, as Windows refuses to write it.
TEST_F(IniTest, FailedSaveIsReportedAndLeavesTheFile) {
  const std::string read_only = host_.temp_dir() + "/ro.ini";
  FakeHost::WriteBytes(read_only, "[A]\r\nk=old\r\n");
  std::filesystem::permissions(
      read_only,
      std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  run_.start_mode_silent = true;
  for (const std::string& file :
       {host_.temp_dir() + "/none/x.ini", read_only}) {
    EXPECT_EQ(SaveIni(run_, base::Value::Integer(1), "A", "k", file),
              base::Value::Integer(0));
  }
  EXPECT_EQ(FakeHost::ReadTextFile(read_only), "[A]\r\nk=old\r\n");
  const std::string line =
      "Fehler in Corvane / Corvane_Config_Exe / SaveIni (Nr. 75) "
      ":Path/File access error\r\n";
  EXPECT_EQ(ErrorLog(), line + line);
}

TEST_F(IniTest, SaveOfTypeWithoutTextReportsAndKeepsKey) {
  std::string cfg = host_.temp_dir() + "/Corvane.cfg";
  SaveIni(run_, base::Value::Text("kept"), "Info", "k", cfg);
  for (const base::Value& value :
       {base::Value(), base::Value::Null(),
        base::Value::FromCurrency(base::Currency{10000}),
        base::Value::FromDate(base::Date{1.0})}) {
    host_.ClearShownBoxes();
    EXPECT_TRUE(SaveIni(run_, value, "Info", "k", cfg).IsEmpty());
    ASSERT_EQ(host_.shown_boxes().size(), 1u);
    EXPECT_EQ(host_.shown_boxes()[0].text, "Ini Save:  wrong data type");
  }
  EXPECT_EQ(FakeHost::ReadTextFile(cfg), "[Info]\r\nk=kept\r\n");
}

}  // namespace
}  // namespace md_Standard_Config_Exe
