#ifndef PLATFORM_TERMINAL_MESSAGE_BOX_H_
#define PLATFORM_TERMINAL_MESSAGE_BOX_H_

#include <cstdio>
#include <string>

#include "platform/host.h"

namespace platform {

// A message box on the terminal: title, text and the buttons as a prompt
// read from `in`. Without a terminal on both ends the title and text go to
// standard error and the default button is taken.
MsgResult ShowTerminalMessageBox(const MessageBoxRequest& box);

// A box as one report line: "title: text", its line breaks made plain line
// feeds; what a host without anyone to answer prints.
std::string BoxAsLine(const MessageBoxRequest& box);

// The buttons of a box in order, and the default one.
MsgResult DefaultButton(const MessageBoxRequest& box);

}  // namespace platform

#endif  // PLATFORM_TERMINAL_MESSAGE_BOX_H_
