#include "platform/linux_host.h"

#include <unistd.h>

#include <climits>
#include <string>

#include "platform/disk_files.h"
#include "platform/profile_file.h"
#include "platform/terminal_message_box.h"

namespace platform {
namespace {

// The running executable's full path; argv[0] when /proc is not mounted.
std::string ExecutablePath(const char* argv0) {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n > 0 && static_cast<size_t>(n) < sizeof buffer) {
    return std::string(buffer, static_cast<size_t>(n));
  }
  return argv0 != nullptr ? std::string(argv0) : std::string();
}

}  // namespace

LinuxHost::LinuxHost(int argc, char** argv, char** envp) {
  std::string exe = ExecutablePath(argc > 0 ? argv[0] : nullptr);
  size_t slash = exe.rfind('/');
  if (slash == std::string::npos) {
    program_directory_ = ".";
    program_file_name_ = exe;
  } else {
    program_directory_ = slash == 0 ? "/" : exe.substr(0, slash);
    program_file_name_ = exe.substr(slash + 1);
  }
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_line_ += ' ';
    command_line_ += argv[i];
  }
  if (envp != nullptr && envp[0] != nullptr) {
    first_environment_entry_ = envp[0];
  }
}

std::string LinuxHost::ProgramDirectory() const { return program_directory_; }
std::string LinuxHost::ProgramFileName() const { return program_file_name_; }

Version LinuxHost::ProgramVersion() const {
  return Version{CORVANE_VERSION_MAJOR, CORVANE_VERSION_MINOR,
                 CORVANE_VERSION_PATCH};
}

std::string LinuxHost::CommandLine() const { return command_line_; }
std::string LinuxHost::FirstEnvironmentEntry() const {
  return first_environment_entry_;
}
std::string LinuxHost::FaultLogPath() const {
  return "/var/log/HarloServicePack.log";
}

MsgResult LinuxHost::ShowMessage(const MessageBoxRequest& box) {
  return ShowTerminalMessageBox(box);
}

bool LinuxHost::IsOrdinaryFile(const std::string& path) {
  return disk::IsOrdinaryFile(path);
}
void LinuxHost::CopyFileReplacing(const std::string& from,
                                  const std::string& to) {
  disk::CopyFileReplacing(from, to, program_file_name_);
}
void LinuxHost::AppendLine(const std::string& path, const std::string& text) {
  disk::AppendLine(path, text, program_file_name_);
}
FileTimes LinuxHost::GetFileTimes(const std::string& path) {
  return disk::GetFileTimes(path, program_file_name_);
}
void LinuxHost::SetFileTimes(const std::string& path, const FileTimes& times) {
  disk::SetFileTimes(path, times, program_file_name_);
}
std::string LinuxHost::ResolvePath(const std::string& path) {
  return disk::ResolvePath(path);
}
std::optional<FoundFile> LinuxHost::FindOrdinaryFile(const std::string& path) {
  return disk::FindOrdinaryFile(path, found_files_);
}

uint32_t LinuxHost::GetPrivateProfileString(
    const std::optional<std::string>& section,
    const std::optional<std::string>& key, const std::string& default_value,
    uint32_t buffer_size, std::string& out, const std::string& file) {
  return profile::GetStringFromFile(section, key, default_value, buffer_size,
                                    out, file);
}
uint32_t LinuxHost::GetPrivateProfileInt(const std::string& section,
                                         const std::string& key,
                                         int32_t default_value,
                                         const std::string& file) {
  return profile::GetIntFromFile(section, key, default_value, file);
}
bool LinuxHost::WritePrivateProfileString(
    const std::optional<std::string>& section,
    const std::optional<std::string>& key,
    const std::optional<std::string>& value, const std::string& file) {
  return profile::WriteStringToFile(section, key, value, file);
}

}  // namespace platform
