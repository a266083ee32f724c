#include "settings/language.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/control.h"
#include "tests/env/plant_files.h"
#include "tests/support/plant.h"

namespace md_Standard_Config_Exe {
namespace {

using settings::Control;

Control Make(std::string type, std::string name, std::string caption,
             int32_t help_id = 0, std::string tag = "") {
  Control c;
  c.type_name = std::move(type);
  c.name = std::move(name);
  c.caption = std::move(caption);
  c.tool_tip_text = "";
  c.whats_this_help_id = help_id;
  c.tag = std::move(tag);
  return c;
}

class LanguageTest : public plant_files::PlantTest {
 protected:
  std::string File() const {
    return host_.ProgramDirectory() + "/Corvane_Config.ini";
  }
  std::optional<std::string> Stored(const std::string& section,
                                    const std::string& key) {
    return test_support::IniValue(File(), section, key);
  }
  void Set(const std::string& section, const std::string& key,
           const std::string& value) {
    host_.WritePrivateProfileString(section, key, value, File());
  }
};

TEST_F(LanguageTest, MissingLanguageIsWrittenAsGerman) {
  EXPECT_EQ(GetLanguage(run_), "1031");
  EXPECT_EQ(Stored("Language", "Language"), "1031");
  Set("Language", "Language", "1033");
  EXPECT_EQ(GetLanguage(run_), "1033");
}

TEST_F(LanguageTest, GermanFillsMissingCaptionsWithDesignedOnes) {
  std::vector<Control> controls = {Make("Label", "Header", "Kopf"),
                                   Make("Label", "Note", "Hinweis")};
  Set("1031", "Caption_Note_", "0");
  LoadToolTipTexts(run_, controls);
  EXPECT_EQ(Stored("1031", "Caption_Header_"), "Kopf");
  EXPECT_EQ(Stored("1031", "Caption_Note_"), "Hinweis");

  // The second run reads what the first wrote; a translation wins.
  Set("1031", "Caption_Header_", "Neuer Kopf");
  controls[1].caption = "changed in design";
  LoadToolTipTexts(run_, controls);
  EXPECT_EQ(controls[0].caption, "Neuer Kopf");
  EXPECT_EQ(controls[1].caption, "Hinweis");
}

TEST_F(LanguageTest, OtherLanguagesMarkMissingCaptionsWithZero) {
  Set("Language", "Language", "1033");
  Set("1033", "Caption_Note_", "0");
  Set("1033", "Caption_Title_", "Title");
  std::vector<Control> controls = {Make("Label", "Header", "Kopf"),
                                   Make("CheckBox", "Note", "Hinweis"),
                                   Make("CommandButton", "Title", "Titel")};
  LoadToolTipTexts(run_, controls);
  EXPECT_EQ(controls[0].caption, "Kopf");
  EXPECT_EQ(Stored("1033", "Caption_Header_"), "0");
  EXPECT_EQ(controls[1].caption, "Hinweis");
  EXPECT_EQ(Stored("1033", "Caption_Note_"), "0");
  EXPECT_EQ(controls[2].caption, "Title");
}

TEST_F(LanguageTest, ToolTipsForEveryKindUnlessTaggedNoTT) {
  Set("1031", "TTT_Tipped_t1", "Ein Tipp");
  std::vector<Control> controls = {Make("Frame", "MainFrame", ""),
                                   Make("Label", "Quiet", "Q", 0, "xnotttx"),
                                   Make("Label", "Tipped", "T", 0, "t1")};
  LoadToolTipTexts(run_, controls);
  EXPECT_EQ(Stored("1031", "TTT_MainFrame_"), "0");
  EXPECT_EQ(Stored("1031", "Caption_MainFrame_"), std::nullopt);
  EXPECT_EQ(Stored("1031", "TTT_Quiet_xnotttx"), std::nullopt);
  EXPECT_EQ(Stored("1031", "Caption_Quiet_xnotttx"), "Q");
  EXPECT_EQ(controls[2].tool_tip_text, "Ein Tipp");
}

TEST_F(LanguageTest, HelpTextsByHelpNumber) {
  Set("1031", "Help1", "OK hilft");
  Set("1031", "Help3", "0");
  std::vector<Control> controls = {
      Make("CommandButton", "CommandOK", "", 1),
      Make("CommandButton", "CommandCancel", "", 2),
      Make("CommandButton", "CommandQuest", "", 3)};
  LoadToolTipTexts(run_, controls);
  EXPECT_EQ(run_.help_texts[1], "OK hilft");
  EXPECT_EQ(run_.help_texts[2], "");
  EXPECT_EQ(Stored("1031", "Help2"), "0");
  EXPECT_EQ(run_.help_texts[3], "0");
  EXPECT_EQ(Stored("1031", "Help3"), "0");
}

TEST_F(LanguageTest, FailingControlEndsOnlyItsOwnHandling) {
  Control no_caption = Make("Label", "Bare", "");
  no_caption.caption.reset();
  std::vector<Control> controls = {Make("CommandButton", "Far", "", 150),
                                   no_caption, Make("Label", "Next", "N")};
  LoadToolTipTexts(run_, controls);
  EXPECT_EQ(Stored("1031", "TTT_Far_"), std::nullopt);
  EXPECT_EQ(Stored("1031", "TTT_Bare_"), std::nullopt);
  EXPECT_EQ(Stored("1031", "TTT_Next_"), "0");
  EXPECT_TRUE(host_.shown_boxes().empty());
}

TEST_F(LanguageTest, ControlArrayElementsCarryTheirIndex) {
  std::vector<Control> controls = {Make("Label", "Opt", "A"),
                                   Make("Label", "Opt", "B"),
                                   Make("Label", "Single", "S")};
  controls[0].index = 0;
  controls[1].index = 1;
  controls[2].index = 0;  // alone under its name: keyed like a plain control
  LoadToolTipTexts(run_, controls);
  EXPECT_EQ(Stored("1031", "Caption_Opt0_"), "A");
  EXPECT_EQ(Stored("1031", "Caption_Opt1_"), "B");
  EXPECT_EQ(Stored("1031", "Caption_Single_"), "S");
}

}  // namespace
}  // namespace md_Standard_Config_Exe
