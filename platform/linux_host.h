#ifndef PLATFORM_LINUX_HOST_H_
#define PLATFORM_LINUX_HOST_H_

#include <optional>
#include <string>

#include "platform/folder_lock.h"
#include "platform/found_file_cache.h"
#include "platform/host.h"

namespace platform {

// The real host on Linux. Files and the profile functions work on the disk;
// message boxes are terminal prompts, or go to standard error with their
// default button taken when no terminal is attached.
class LinuxHost : public Host {
 public:
  // `argv` and `envp` as main receives them.
  LinuxHost(int argc, char** argv, char** envp);

  std::string ProgramDirectory() const override;
  std::string ProgramFileName() const override;
  Version ProgramVersion() const override;
  std::string CommandLine() const override;
  std::string FirstEnvironmentEntry() const override;
  char PathSeparator() const override { return '/'; }
  std::string FaultLogPath() const override;
  bool SlashEndsValuesAnywhere() const override { return false; }

  MsgResult ShowMessage(const MessageBoxRequest& box) override;

  bool IsOrdinaryFile(const std::string& path) override;
  void CopyFileReplacing(const std::string& from,
                         const std::string& to) override;
  void AppendLine(const std::string& path, const std::string& text) override;
  FileTimes GetFileTimes(const std::string& path) override;
  void SetFileTimes(const std::string& path, const FileTimes& times) override;
  std::string ResolvePath(const std::string& path) override;
  std::optional<FoundFile> FindOrdinaryFile(const std::string& path) override;
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
  disk::FoundFileCache found_files_;
  std::string program_directory_;
  std::string program_file_name_;
  std::string command_line_;
  std::string first_environment_entry_;
};

}  // namespace platform

#endif  // PLATFORM_LINUX_HOST_H_
