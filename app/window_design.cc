#include "app/window_design.h"

namespace app {
namespace {

settings::Control MakeControl(std::string name, std::string type_name,
                              std::optional<std::string> caption,
                              std::optional<int32_t> help_id) {
  settings::Control c;
  c.name = std::move(name);
  c.type_name = std::move(type_name);
  c.caption = std::move(caption);
  c.tool_tip_text = "";
  c.whats_this_help_id = help_id;
  c.back_color = kWindowGrey;
  return c;
}

Layout Place(int left, int top, int width, int height, int tab_index) {
  Layout layout;
  layout.left = left;
  layout.top = top;
  layout.width = width;
  layout.height = height;
  layout.tab_index = tab_index;
  return layout;
}

}  // namespace

std::vector<settings::Control> DesignedControls() {
  std::vector<settings::Control> controls;
  controls.push_back(MakeControl("Header", "Label",
                                 "Corvane - Konfiguration Schichtzeiten", 0));
  controls.push_back(MakeControl("MainFrame", "Frame", "", 0));
  controls.push_back(MakeControl("CommandOK", "CommandButton", "", 1));
  controls.push_back(MakeControl("CommandCancel", "CommandButton", "", 2));
  controls.push_back(MakeControl("CommandQuest", "CommandButton", "", 0));
  return controls;
}

std::vector<Layout> DesignedLayouts() {
  std::vector<Layout> layouts(kControlCount);
  layouts[kHeader] = Place(30, 30, 11775, 360, 4);
  layouts[kHeader].font = Font{"MS Sans Serif", 13.5, 700};
  layouts[kMainFrame] = Place(0, 390, 11880, 7260, 0);
  layouts[kCommandOK] = Place(8400, 7710, 1695, 855, 1);
  layouts[kCommandOK].picture = Picture{"green tick", 44, 36};
  layouts[kCommandCancel] = Place(10170, 7710, 1695, 855, 2);
  layouts[kCommandCancel].picture = Picture{"red cross", 37, 39};
  layouts[kCommandQuest] = Place(7350, 7710, 975, 855, 3);
  layouts[kCommandQuest].picture =
      Picture{"black pointer arrow with a question mark", 41, 45};
  for (ControlPosition button : {kCommandOK, kCommandCancel, kCommandQuest}) {
    layouts[button].graphical = true;
  }
  return layouts;
}

}  // namespace app
