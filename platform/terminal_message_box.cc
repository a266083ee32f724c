#include "platform/terminal_message_box.h"

#include <unistd.h>

#include <cctype>
#include <iostream>
#include <string>
#include <vector>

namespace platform {
namespace {

struct Button {
  MsgResult result;
  const char* label;
};

std::vector<Button> ButtonsOf(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::kOkCancel:
      return {{MsgResult::kOk, "OK"}, {MsgResult::kCancel, "Cancel"}};
    case MsgButtons::kYesNo:
      return {{MsgResult::kYes, "Yes"}, {MsgResult::kNo, "No"}};
    case MsgButtons::kYesNoCancel:
      return {{MsgResult::kYes, "Yes"},
              {MsgResult::kNo, "No"},
              {MsgResult::kCancel, "Cancel"}};
    case MsgButtons::kOk:
      break;
  }
  return {{MsgResult::kOk, "OK"}};
}

// Message texts break lines with LF CR or CR LF pairs; a terminal wants
// plain line feeds.
std::string ForTerminal(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out += '\n';
      char next = i + 1 < text.size() ? text[i + 1] : '\0';
      if ((next == '\r' || next == '\n') && next != c) ++i;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string BoxAsLine(const MessageBoxRequest& box) {
  return box.title + ": " + ForTerminal(box.text);
}

MsgResult DefaultButton(const MessageBoxRequest& box) {
  std::vector<Button> buttons = ButtonsOf(box.buttons);
  size_t index =
      box.default_button >= 1 ? static_cast<size_t>(box.default_button - 1) : 0;
  if (index >= buttons.size()) index = 0;
  return buttons[index].result;
}

MsgResult ShowTerminalMessageBox(const MessageBoxRequest& box) {
  std::vector<Button> buttons = ButtonsOf(box.buttons);
  MsgResult fallback = DefaultButton(box);
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    std::cerr << BoxAsLine(box) << '\n';
    return fallback;
  }
  std::cout << "== " << box.title << " ==\n" << ForTerminal(box.text) << '\n';
  if (buttons.size() == 1) {
    std::cout << "[" << buttons[0].label << "] (Enter) " << std::flush;
    std::string ignored;
    std::getline(std::cin, ignored);
    return buttons[0].result;
  }
  while (true) {
    for (size_t i = 0; i < buttons.size(); ++i) {
      bool is_default = buttons[i].result == fallback;
      std::cout << (i == 0 ? "" : " / ") << (is_default ? "[" : "")
                << buttons[i].label << (is_default ? "]" : "");
    }
    std::cout << "? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return fallback;
    size_t start = answer.find_first_not_of(" \t");
    if (start == std::string::npos) return fallback;
    char first = static_cast<char>(
        std::toupper(static_cast<unsigned char>(answer[start])));
    for (const Button& b : buttons) {
      if (b.label[0] == first) return b.result;
    }
  }
}

}  // namespace platform
