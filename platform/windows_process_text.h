#ifndef PLATFORM_WINDOWS_PROCESS_TEXT_H_
#define PLATFORM_WINDOWS_PROCESS_TEXT_H_

#include <string>
#include <string_view>

namespace platform::windows {

// Pure text rules of the Windows host, kept apart from the Win32 calls so
// that every build tests them.

// What follows the program's own path in the raw command line, as the
// classic runtime's Command$ gives it: the path is one quoted token or runs
// to the first blank; blanks after it are skipped; the rest is kept as is.
std::u16string CommandLineTail(std::u16string_view command_line);

// The first "NAME=value" entry of an environment block (entries ended by
// NUL, the block by an empty entry). Entries starting with "=" are the
// drives' current folders that Windows keeps there, not variables: skipped.
std::u16string FirstEnvironmentEntry(const char16_t* block);

// Folder and name without extension of an executable's full path. The
// folder of a file in a drive's root keeps its separator ("C:\").
struct ProgramPath {
  std::u16string directory;
  std::u16string file_name;
};
ProgramPath SplitProgramPath(std::u16string_view path);

}  // namespace platform::windows

#endif  // PLATFORM_WINDOWS_PROCESS_TEXT_H_
