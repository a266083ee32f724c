#include "platform/windows_process_text.h"

namespace platform::windows {
namespace {

// The classic runtime treats every control character and the blank as white
// space between tokens.
bool IsSpace(char16_t c) { return c != u'\0' && c <= u' '; }

}  // namespace

std::u16string CommandLineTail(std::u16string_view command_line) {
  size_t i = 0;
  if (i < command_line.size() && command_line[i] == u'"') {
    ++i;
    while (i < command_line.size() && command_line[i] != u'"') ++i;
    if (i < command_line.size()) ++i;  // the closing quote
  } else {
    while (i < command_line.size() && !IsSpace(command_line[i])) ++i;
  }
  while (i < command_line.size() && IsSpace(command_line[i])) ++i;
  return std::u16string(command_line.substr(i));
}

std::u16string FirstEnvironmentEntry(const char16_t* block) {
  if (block == nullptr) return {};
  while (*block != u'\0') {
    std::u16string_view entry(block);
    if (entry.front() != u'=') return std::u16string(entry);
    block += entry.size() + 1;
  }
  return {};
}

ProgramPath SplitProgramPath(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  std::u16string_view name =
      slash == std::u16string_view::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind(u'.');
  if (dot != std::u16string_view::npos && dot > 0) name = name.substr(0, dot);
  ProgramPath result;
  result.file_name = std::u16string(name);
  if (slash == std::u16string_view::npos) {
    result.directory = u".";
  } else if (slash == 2 && path[1] == u':') {
    result.directory = std::u16string(path.substr(0, 3));  // "C:\"
  } else {
    result.directory = std::u16string(path.substr(0, slash));
  }
  return result;
}

}  // namespace platform::windows
