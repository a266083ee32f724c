// The info texts of help-query mode.
#include "app/info_text.h"

#include "tests/app/window_fixture.h"

namespace app_test {
namespace {

using md_Standard_Config_Exe::ExpandLineMarkers;
using md_Standard_Config_Exe::ShowInfoText;

TEST(ExpandLineMarkersTest, TurnsEveryMarkerInAnyCaseIntoCrLf) {
  EXPECT_EQ(ExpandLineMarkers("Übung<CrLf>Größe<crlf><CRLF>"),
            "Übung\r\nGröße\r\n\r\n");
  EXPECT_EQ(ExpandLineMarkers("half <CRL marker"), "half <CRL marker");
  EXPECT_EQ(ExpandLineMarkers(""), "");
}

using ShowInfoTextTest = WindowFixture;

TEST_F(ShowInfoTextTest, OnlyInHelpModeAndEmptyOutsideTheTable) {
  settings::Control control;
  control.whats_this_help_id = 1;
  run_.help_texts[1] = "text";
  ShowInfoText(run_, control);  // outside help mode: nothing
  EXPECT_TRUE(host_.shown_boxes().empty());

  run_.help_mode_active = true;
  for (auto id : {std::optional<int32_t>(0), std::optional<int32_t>(101),
                  std::optional<int32_t>(-3), std::optional<int32_t>()}) {
    control.whats_this_help_id = id;
    ShowInfoText(run_, control);
  }
  ASSERT_EQ(host_.shown_boxes().size(), 4u);
  for (const auto& box : host_.shown_boxes()) EXPECT_EQ(box.text, "");
  EXPECT_FALSE(Exists(ErrorLog()));

  run_.help_texts[100] = "last";
  control.whats_this_help_id = 100;
  ShowInfoText(run_, control);
  EXPECT_EQ(host_.shown_boxes().back().text, "last");
}

}  // namespace
}  // namespace app_test
