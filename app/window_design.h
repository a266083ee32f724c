#ifndef APP_WINDOW_DESIGN_H_
#define APP_WINDOW_DESIGN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "settings/control.h"

namespace app {

// The designed look of the main window: what the program's texts and
// handlers never change. Positions and sizes in twips (1/1440 inch), colours
// as 0xRRGGBB.

inline constexpr uint32_t kWindowGrey = 0xC0C0C0;
inline constexpr uint32_t kHelpModeGreen = 0x00FF00;

// Mouse pointer codes of the classic runtime.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

inline constexpr char kDesignCaption[] = "Base HX3CFG-Erweiterung";
inline constexpr int kClientWidth = 11880;
inline constexpr int kClientHeight = 8595;

struct Font {
  std::string name;
  double size_pt = 0;
  int weight = 400;
};

// A button picture, drawn on a transparent background.
struct Picture {
  std::string motif;
  int width_px = 0;
  int height_px = 0;
};

struct Layout {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int tab_index = 0;
  bool graphical = false;  // a button that shows its picture and back colour
  Font font;               // name empty: the window's font
  Picture picture;         // motif empty: none
};

// Positions of the controls in the window's control collection.
enum ControlPosition : size_t {
  kHeader = 0,
  kMainFrame = 1,
  kCommandOK = 2,
  kCommandCancel = 3,
  kCommandQuest = 4,
  kControlCount = 5,
};

// The five controls as designed, in collection order (the window itself is
// not one of them).
std::vector<settings::Control> DesignedControls();
// Their layouts, in the same order.
std::vector<Layout> DesignedLayouts();

}  // namespace app

#endif  // APP_WINDOW_DESIGN_H_
