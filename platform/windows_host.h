#ifndef PLATFORM_WINDOWS_HOST_H_
#define PLATFORM_WINDOWS_HOST_H_

#include <string>

#include "platform/folder_lock.h"
#include "platform/host.h"

namespace platform {

// The real host on Windows: the process facts from the Win32 calls, files
// through disk_files.h, the operating system's own profile functions, and
// MessageBoxW. A run without anyone to answer (standard input redirected
// from a file or pipe, or a window station nobody sees, as for a service)
// shows no box: title and text go to standard error and the default button
// is taken, as on Linux without a terminal.
class WindowsHost : public Host {
 public:
  WindowsHost();

  std::string ProgramDirectory() const override { return program_directory_; }
  std::string ProgramFileName() const override { return program_file_name_; }
  Version ProgramVersion() const override;
  std::string CommandLine() const override { return command_line_; }
  std::string FirstEnvironmentEntry() const override {
    return first_environment_entry_;
  }
  char PathSeparator() const override { return '\\'; }
  std::string FaultLogPath() const override {
    return "C:\\HarloServicePack.log";
  }
  bool SlashEndsValuesAnywhere() const override { return true; }

  MsgResult ShowMessage(const MessageBoxRequest& box) override;
  // A report that ends the run (already written to standard error), shown
  // as a critical box titled with the program's name when someone can
  // answer; nothing more otherwise.
  void ShowFatalReport(const std::string& text);

  bool IsOrdinaryFile(const std::string& path) override;
  void CopyFileReplacing(const std::string& from,
                         const std::string& to) override;
  void AppendLine(const std::string& path, const std::string& text) override;
  FileTimes GetFileTimes(const std::string& path) override;
  void SetFileTimes(const std::string& path, const FileTimes& times) override;
  std::string ResolvePath(const std::string& path) override { return path; }
  std::unique_ptr<FolderLock> LockFolder(const std::string& folder,
                                         int wait_seconds) override {
    return platform::LockFolder(folder, wait_seconds);
  }

  uint32_t GetPrivateProfileString(const std::optional<std::string>& section,
                                   const std::optional<std::string>& key,
                                   const std::string& default_value,
                                   uint32_t buffer_size, std::string& out,
                                   const std::string& file) override;
  uint32_t GetPrivateProfileInt(const std::string& section,
                                const std::string& key, int32_t default_value,
                                const std::string& file) override;
  bool WritePrivateProfileString(const std::optional<std::string>& section,
                                 const std::optional<std::string>& key,
                                 const std::optional<std::string>& value,
                                 const std::string& file) override;

 private:
  std::string program_directory_;
  std::string program_file_name_;
  std::string command_line_;
  std::string first_environment_entry_;
};

}  // namespace platform

#endif  // PLATFORM_WINDOWS_HOST_H_
