#include "platform/fake_host.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "base/text.h"
#include "platform/disk_files.h"
#include "platform/profile_file.h"
#include "platform/terminal_message_box.h"

namespace platform {

namespace {

// A new directory of its own under the system's temporary folder.
std::string MakeTemporaryDirectory() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "corvane-fake-XXXXXX").string();
#ifdef _WIN32
  // No mkdtemp: try random names until one is new.
  std::random_device seed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = pattern.substr(0, pattern.size() - 6) +
                       std::to_string(seed() % 1000000);
    std::error_code error;
    if (std::filesystem::create_directory(name, error)) return name;
  }
#else
  if (mkdtemp(pattern.data()) != nullptr) return pattern;
#endif
  throw std::runtime_error("cannot create a temporary directory");
}

}  // namespace

FakeHost::FakeHost() {
  temp_dir_ = MakeTemporaryDirectory();
  program_directory_ = temp_dir_ + "/Hmi/Corvane";
  std::filesystem::create_directories(program_directory_);
  fault_log_path_ = temp_dir_ + "/HarloServicePack.log";
}

FakeHost::~FakeHost() {
  std::error_code ignored;
  std::filesystem::remove_all(temp_dir_, ignored);
}

std::string FakeHost::ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)),
                    std::istreambuf_iterator<char>());
  return base::Cp1252ToUtf8(bytes);
}

void FakeHost::WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

MsgResult FakeHost::ShowMessage(const MessageBoxRequest& box) {
  shown_boxes_.push_back(box);
  if (answers_.empty()) return DefaultButton(box);
  MsgResult answer = answers_.front();
  answers_.pop_front();
  return answer;
}

bool FakeHost::IsOrdinaryFile(const std::string& path) {
  return disk::IsOrdinaryFile(path);
}
void FakeHost::CopyFileReplacing(const std::string& from,
                                 const std::string& to) {
  disk::CopyFileReplacing(from, to, program_file_name_);
}
void FakeHost::AppendLine(const std::string& path, const std::string& text) {
  disk::AppendLine(path, text, program_file_name_);
}
FileTimes FakeHost::GetFileTimes(const std::string& path) {
  return disk::GetFileTimes(path, program_file_name_);
}
void FakeHost::SetFileTimes(const std::string& path, const FileTimes& times) {
  disk::SetFileTimes(path, times, program_file_name_);
}
std::string FakeHost::ResolvePath(const std::string& path) {
  return disk::ResolvePath(path);
}
std::optional<FoundFile> FakeHost::FindOrdinaryFile(const std::string& path) {
  return disk::FindOrdinaryFile(path, found_files_);
}

uint32_t FakeHost::GetPrivateProfileString(
    const std::optional<std::string>& section,
    const std::optional<std::string>& key, const std::string& default_value,
    uint32_t buffer_size, std::string& out, const std::string& file) {
  return profile::GetStringFromFile(section, key, default_value, buffer_size,
                                    out, file);
}
uint32_t FakeHost::GetPrivateProfileInt(const std::string& section,
                                        const std::string& key,
                                        int32_t default_value,
                                        const std::string& file) {
  return profile::GetIntFromFile(section, key, default_value, file);
}
bool FakeHost::WritePrivateProfileString(
    const std::optional<std::string>& section,
    const std::optional<std::string>& key,
    const std::optional<std::string>& value, const std::string& file) {
  return profile::WriteStringToFile(section, key, value, file);
}

}  // namespace platform
