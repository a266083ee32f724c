#ifndef PLATFORM_HOST_H_
#define PLATFORM_HOST_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/file_identity.h"

namespace platform {

// What the program asks of the operating system. One real implementation per
// operating system (linux_host.*) and a test double (fake_host.*). Failures
// throw base::RuntimeError with the classic runtime numbers (53 file not
// found, 70 permission denied, 75 path/file access error, 76 path not found).
// All texts are UTF-8.

enum class MsgButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class MsgIcon { kNone, kCritical, kQuestion, kExclamation, kInformation };
// The button pressed, numbered as the Windows message box returns them.
enum class MsgResult {
  kNone = 0,
  kOk = 1,
  kCancel = 2,
  kYes = 6,
  kNo = 7,
};

// An ordinary file as Host::FindOrdinaryFile found it: the path as
// resolved, and the file's identity at that moment where the host's look
// yields one (an open right after it needs not look again).
struct FoundFile {
  std::string path;
  std::optional<base::FileIdentity> identity;
};

struct MessageBoxRequest {
  std::string text;
  std::string title;
  MsgButtons buttons = MsgButtons::kOk;
  int default_button = 1;  // 1-based position in the button set
  MsgIcon icon = MsgIcon::kNone;
};

struct Version {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

// File times in 100-ns ticks since 1601-01-01 UTC, as Windows keeps them.
// A time the file system does not keep (creation time on Linux) is absent.
struct FileTimes {
  std::optional<uint64_t> creation;
  std::optional<uint64_t> last_access;
  std::optional<uint64_t> last_write;
  // The nanoseconds below one tick (0-99) of last_access and last_write
  // where the file system keeps them (Linux), so that a time set back is
  // the time read to the nanosecond.
  uint32_t last_access_sub_tick_ns = 0;
  uint32_t last_write_sub_tick_ns = 0;
};

// Held by a run for a folder (Host::LockFolder); released when destroyed.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};

class Host {
 public:
  virtual ~Host() = default;

  // The running program: its folder (no trailing separator except for a
  // root), its file name without extension (on Linux: the file name), its
  // version.
  virtual std::string ProgramDirectory() const = 0;
  virtual std::string ProgramFileName() const = 0;
  virtual Version ProgramVersion() const = 0;
  // Everything after the program's own path, unsplit.
  virtual std::string CommandLine() const = 0;
  // The first "NAME=value" entry of the process environment.
  virtual std::string FirstEnvironmentEntry() const = 0;
  // The host's path separator ("\\" on Windows, "/" on Linux).
  virtual char PathSeparator() const = 0;
  // Where fault-log entries go ("C:\HarloServicePack.log" on Windows).
  virtual std::string FaultLogPath() const = 0;
  // How the command line's "/" ends a value: true where any "/" ends it (the
  // Windows rule), false where only a "/" that starts a new switch does (a
  // blank before it, or a key the program reads and "=" or ":" after it), so
  // that absolute Linux paths survive.
  virtual bool SlashEndsValuesAnywhere() const { return true; }

  // A modal message box; returns the button pressed.
  virtual MsgResult ShowMessage(const MessageBoxRequest& box) = 0;

  // Files. Paths may differ in letter case from the names on disk; the host
  // resolves them as Windows would.
  virtual bool IsOrdinaryFile(const std::string& path) = 0;
  // Copies `from` over `to`; `to` is replaced atomically, never left
  // half-written.
  virtual void CopyFileReplacing(const std::string& from,
                                 const std::string& to) = 0;
  // Appends `text` and CR LF in Windows-1252; creates the file when missing.
  virtual void AppendLine(const std::string& path, const std::string& text) = 0;
  virtual FileTimes GetFileTimes(const std::string& path) = 0;
  // Sets the times that are present and that the file system can keep.
  virtual void SetFileTimes(const std::string& path,
                            const FileTimes& times) = 0;
  // The existing file or directory that `path` names without regard to
  // letter case; `path` itself when nothing matches (a new file keeps the
  // name as given).
  virtual std::string ResolvePath(const std::string& path) = 0;
  // IsOrdinaryFile and ResolvePath in one step: the resolved path when
  // `path` names an ordinary file, nothing otherwise. For a file about to be
  // opened; the disk hosts answer a name that exists as spelled with one
  // look at the disk, and hand on what that look saw.
  virtual std::optional<FoundFile> FindOrdinaryFile(const std::string& path) {
    if (!IsOrdinaryFile(path)) return std::nullopt;
    return FoundFile{ResolvePath(path), std::nullopt};
  }
  // Keeps other instances of the program out of `folder` while the lock
  // lives, waiting up to `wait_seconds` for one inside; nullptr when it is
  // still inside then. The test host's default locks nothing.
  virtual std::unique_ptr<FolderLock> LockFolder(const std::string& /*folder*/,
                                                 int /*wait_seconds*/) {
    return std::make_unique<FolderLock>();
  }

  // The profile (INI) functions with the Windows semantics. An absent
  // section or key is the NULL argument of the Windows call (enumeration,
  // deletion). `buffer_size` is nSize in characters; the result is the
  // count the Windows call returns, the text goes to `out`.
  virtual uint32_t GetPrivateProfileString(
      const std::optional<std::string>& section,
      const std::optional<std::string>& key, const std::string& default_value,
      uint32_t buffer_size, std::string& out, const std::string& file) = 0;
  virtual uint32_t GetPrivateProfileInt(const std::string& section,
                                        const std::string& key,
                                        int32_t default_value,
                                        const std::string& file) = 0;
  // Returns false where the Windows call returns FALSE.
  virtual bool WritePrivateProfileString(
      const std::optional<std::string>& section,
      const std::optional<std::string>& key,
      const std::optional<std::string>& value, const std::string& file) = 0;
};

}  // namespace platform

#endif  // PLATFORM_HOST_H_
