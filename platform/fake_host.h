#ifndef PLATFORM_FAKE_HOST_H_
#define PLATFORM_FAKE_HOST_H_

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/found_file_cache.h"
#include "platform/host.h"

namespace platform {

// The host for tests. Owns a fresh temporary directory (removed with the
// host); the program directory and the fault log lie inside it by default.
// Files and the profile functions work on the real disk, as on Linux.
// Message boxes are scripted: each box takes the next queued answer, or its
// default button when the queue is empty, and every box shown is recorded.
class FakeHost : public Host {
 public:
  FakeHost();
  ~FakeHost() override;
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // The temporary directory, e.g. "/tmp/corvane-fake-XXXXXX".
  const std::string& temp_dir() const { return temp_dir_; }

  // Defaults: program directory temp_dir()/"Hmi"/"Corvane" (created),
  // program file name "Corvane_Config", version 1.0.1, empty command line,
  // environment entry "PATH=/usr/bin:/bin", separator '/', fault log
  // temp_dir()/"HarloServicePack.log", the Windows rule for "/" in values.
  void set_program_directory(std::string dir) {
    program_directory_ = std::move(dir);
  }
  void set_program_file_name(std::string name) {
    program_file_name_ = std::move(name);
  }
  void set_program_version(Version v) { version_ = v; }
  void set_command_line(std::string text) { command_line_ = std::move(text); }
  void set_first_environment_entry(std::string entry) {
    environment_entry_ = std::move(entry);
  }
  void set_path_separator(char c) { separator_ = c; }
  void set_fault_log_path(std::string path) {
    fault_log_path_ = std::move(path);
  }
  void set_slash_ends_values_anywhere(bool v) { slash_ends_values_ = v; }

  // Scripted answers, taken in order by the boxes that follow.
  void QueueAnswer(MsgResult answer) { answers_.push_back(answer); }
  // Every box shown so far, oldest first.
  const std::vector<MessageBoxRequest>& shown_boxes() const {
    return shown_boxes_;
  }
  void ClearShownBoxes() { shown_boxes_.clear(); }

  // Test helpers on real files: the whole content as UTF-8 (read as
  // Windows-1252), "" when the file is missing; and writing bytes as given.
  static std::string ReadTextFile(const std::string& path);
  static void WriteBytes(const std::string& path, const std::string& bytes);

  std::string ProgramDirectory() const override { return program_directory_; }
  std::string ProgramFileName() const override { return program_file_name_; }
  Version ProgramVersion() const override { return version_; }
  std::string CommandLine() const override { return command_line_; }
  std::string FirstEnvironmentEntry() const override {
    return environment_entry_;
  }
  char PathSeparator() const override { return separator_; }
  std::string FaultLogPath() const override { return fault_log_path_; }
  bool SlashEndsValuesAnywhere() const override { return slash_ends_values_; }

  MsgResult ShowMessage(const MessageBoxRequest& box) override;

  bool IsOrdinaryFile(const std::string& path) override;
  void CopyFileReplacing(const std::string& from,
                         const std::string& to) override;
  void AppendLine(const std::string& path, const std::string& text) override;
  FileTimes GetFileTimes(const std::string& path) override;
  void SetFileTimes(const std::string& path, const FileTimes& times) override;
  std::string ResolvePath(const std::string& path) override;
  std::optional<FoundFile> FindOrdinaryFile(const std::string& path) override;

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
  std::string temp_dir_;
  std::string program_directory_;
  std::string program_file_name_ = "Corvane_Config";
  Version version_{1, 0, 1};
  std::string command_line_;
  std::string environment_entry_ = "PATH=/usr/bin:/bin";
  char separator_ = '/';
  std::string fault_log_path_;
  bool slash_ends_values_ = true;
  std::deque<MsgResult> answers_;
  std::vector<MessageBoxRequest> shown_boxes_;
};

}  // namespace platform

#endif  // PLATFORM_FAKE_HOST_H_
