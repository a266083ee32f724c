#include "platform/windows_host.h"

#include <iostream>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/disk_files.h"
#include "platform/profile.h"
#include "platform/terminal_message_box.h"
#include "platform/windows_api.h"
#include "platform/windows_process_text.h"

namespace platform {
namespace {

std::string Utf8(const std::u16string& s) { return base::Utf16ToUtf8(s); }

std::wstring Wide(const std::string& utf8) {
  std::u16string s = base::Utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

std::u16string ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  while (true) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(),
                                 static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size())
      return std::u16string(buffer.begin(), buffer.begin() + n);
    buffer.resize(buffer.size() * 2);
  }
}

// Nobody can answer a box: standard input comes from a file or a pipe (a
// script, CI), or the window station is invisible (a service). A program
// started from Explorer has no standard input at all and shows its boxes.
bool NobodyToAnswer() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  if (in != nullptr && in != INVALID_HANDLE_VALUE) {
    DWORD type = GetFileType(in);
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) return true;
  }
  HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  if (station != nullptr &&
      GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags,
                                nullptr) &&
      (flags.dwFlags & WSF_VISIBLE) == 0) {
    return true;
  }
  return false;
}

UINT BoxStyle(const MessageBoxRequest& box) {
  UINT style = MB_TASKMODAL | MB_SETFOREGROUND;
  switch (box.buttons) {
    case MsgButtons::kOk:
      style |= MB_OK;
      break;
    case MsgButtons::kOkCancel:
      style |= MB_OKCANCEL;
      break;
    case MsgButtons::kYesNo:
      style |= MB_YESNO;
      break;
    case MsgButtons::kYesNoCancel:
      style |= MB_YESNOCANCEL;
      break;
  }
  if (box.default_button == 2) style |= MB_DEFBUTTON2;
  if (box.default_button == 3) style |= MB_DEFBUTTON3;
  switch (box.icon) {
    case MsgIcon::kNone:
      break;
    case MsgIcon::kCritical:
      style |= MB_ICONHAND;
      break;
    case MsgIcon::kQuestion:
      style |= MB_ICONQUESTION;
      break;
    case MsgIcon::kExclamation:
      style |= MB_ICONEXCLAMATION;
      break;
    case MsgIcon::kInformation:
      style |= MB_ICONASTERISK;
      break;
  }
  return style;
}

std::optional<std::string> Ansi(const std::optional<std::string>& utf8) {
  if (!utf8) return std::nullopt;
  return base::Utf8ToCp1252(*utf8);
}

const char* OrNull(const std::optional<std::string>& s) {
  return s ? s->c_str() : nullptr;
}

}  // namespace

WindowsHost::WindowsHost() {
  windows::ProgramPath program = windows::SplitProgramPath(ExecutablePath());
  program_directory_ = Utf8(program.directory);
  program_file_name_ = Utf8(program.file_name);
  const wchar_t* line = GetCommandLineW();
  if (line != nullptr) {
    std::u16string_view text(reinterpret_cast<const char16_t*>(line));
    command_line_ = Utf8(windows::CommandLineTail(text));
  }
  if (wchar_t* block = GetEnvironmentStringsW()) {
    first_environment_entry_ = Utf8(windows::FirstEnvironmentEntry(
        reinterpret_cast<const char16_t*>(block)));
    FreeEnvironmentStringsW(block);
  }
}

Version WindowsHost::ProgramVersion() const {
  return Version{CORVANE_VERSION_MAJOR, CORVANE_VERSION_MINOR,
                 CORVANE_VERSION_PATCH};
}

MsgResult WindowsHost::ShowMessage(const MessageBoxRequest& box) {
  MsgResult fallback = DefaultButton(box);
  if (NobodyToAnswer()) {
    std::cerr << BoxAsLine(box) << '\n' << std::flush;
    return fallback;
  }
  int pressed = MessageBoxW(nullptr, Wide(box.text).c_str(),
                            Wide(box.title).c_str(), BoxStyle(box));
  return pressed == 0 ? fallback : static_cast<MsgResult>(pressed);
}

void WindowsHost::ShowFatalReport(const std::string& text) {
  if (NobodyToAnswer()) return;
  MessageBoxRequest box;
  box.text = text;
  box.title = program_file_name_;
  box.icon = MsgIcon::kCritical;
  MessageBoxW(nullptr, Wide(box.text).c_str(), Wide(box.title).c_str(),
              BoxStyle(box));
}

bool WindowsHost::IsOrdinaryFile(const std::string& path) {
  return disk::IsOrdinaryFile(path);
}
void WindowsHost::CopyFileReplacing(const std::string& from,
                                    const std::string& to) {
  disk::CopyFileReplacing(from, to, program_file_name_);
}
void WindowsHost::AppendLine(const std::string& path, const std::string& text) {
  disk::AppendLine(path, text, program_file_name_);
}
FileTimes WindowsHost::GetFileTimes(const std::string& path) {
  return disk::GetFileTimes(path, program_file_name_);
}
void WindowsHost::SetFileTimes(const std::string& path,
                               const FileTimes& times) {
  disk::SetFileTimes(path, times, program_file_name_);
}

// The ANSI profile functions see Windows-1252 bytes; texts are converted at
// this edge. An empty file name would make Windows use WIN.INI: it reads as
// a missing file and cannot be written, as on Linux.
uint32_t WindowsHost::GetPrivateProfileString(
    const std::optional<std::string>& section,
    const std::optional<std::string>& key, const std::string& default_value,
    uint32_t buffer_size, std::string& out, const std::string& file) {
  if (file.empty()) {
    std::string raw;
    uint32_t count =
        profile::GetString(std::nullopt, Ansi(section), Ansi(key),
                           base::Utf8ToCp1252(default_value), buffer_size, raw);
    if (buffer_size > 0) out = base::Cp1252ToUtf8(raw);
    return count;
  }
  std::string buffer(buffer_size, '\0');
  std::optional<std::string> ansi_section = Ansi(section);
  std::optional<std::string> ansi_key = Ansi(key);
  DWORD count =
      GetPrivateProfileStringA(OrNull(ansi_section), OrNull(ansi_key),
                               base::Utf8ToCp1252(default_value).c_str(),
                               buffer_size > 0 ? buffer.data() : nullptr,
                               buffer_size, base::Utf8ToCp1252(file).c_str());
  if (buffer_size > 0) {
    out = base::Cp1252ToUtf8(std::string_view(buffer.data(), count));
  }
  return count;
}

uint32_t WindowsHost::GetPrivateProfileInt(const std::string& section,
                                           const std::string& key,
                                           int32_t default_value,
                                           const std::string& file) {
  if (file.empty()) return static_cast<uint32_t>(default_value);
  return GetPrivateProfileIntA(base::Utf8ToCp1252(section).c_str(),
                               base::Utf8ToCp1252(key).c_str(), default_value,
                               base::Utf8ToCp1252(file).c_str());
}

bool WindowsHost::WritePrivateProfileString(
    const std::optional<std::string>& section,
    const std::optional<std::string>& key,
    const std::optional<std::string>& value, const std::string& file) {
  if (file.empty()) return false;
  std::optional<std::string> ansi_section = Ansi(section);
  std::optional<std::string> ansi_key = Ansi(key);
  std::optional<std::string> ansi_value = Ansi(value);
  return WritePrivateProfileStringA(OrNull(ansi_section), OrNull(ansi_key),
                                    OrNull(ansi_value),
                                    base::Utf8ToCp1252(file).c_str()) != 0;
}

}  // namespace platform
