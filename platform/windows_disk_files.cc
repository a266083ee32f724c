// The file operations of disk_files.h on Windows, through the Win32 calls
// with wide (UTF-16) paths. The file system matches names without regard to
// case itself, so paths are used as given.
#include <optional>
#include <string>

#include "base/runtime_error.h"
#include "base/text.h"
#include "platform/disk_files.h"
#include "platform/windows_api.h"

namespace platform::disk {
namespace {

std::wstring Wide(const std::string& utf8) {
  std::u16string s = base::Utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

[[noreturn]] void ThrowForError(DWORD error, const std::string& source) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      throw base::Error(base::err::kFileNotFound, source);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      throw base::Error(base::err::kPathNotFound, source);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      throw base::Error(base::err::kPermissionDenied, source);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
      throw base::Error(base::err::kDeviceIoError, source);
    default:
      throw base::Error(base::err::kPathFileAccessError, source);
  }
}

// Closes a handle when leaving scope.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

 private:
  HANDLE h_;
};

constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

Handle OpenForAttributes(const std::string& path, DWORD access) {
  return Handle(CreateFileW(Wide(path).c_str(), access, kShareAll, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                            nullptr));
}

bool WriteAll(HANDLE h, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(
        bytes.size() - done > 1u << 30 ? 1u << 30 : bytes.size() - done);
    DWORD written = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr)) {
      return false;
    }
    done += written;
  }
  return true;
}

// A name beside `path` that no other run uses at the same time.
std::wstring TemporaryBeside(const std::string& path) {
  static unsigned counter = 0;
  return Wide(path) + L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter);
}

// Writes `bytes` to a new file beside `path` and moves it over `path`, so
// `path` is never half-written. Returns 0 or the failing step's error code.
DWORD ReplaceAtomically(const std::string& path, const std::string& bytes) {
  std::wstring temp = TemporaryBeside(path);
  DWORD error = 0;
  {
    Handle h(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return GetLastError();
    if (!WriteAll(h.get(), bytes) || !FlushFileBuffers(h.get())) {
      error = GetLastError();
    }
  }
  if (error == 0 &&
      !MoveFileExW(temp.c_str(), Wide(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != 0) DeleteFileW(temp.c_str());
  return error;
}

// Rewrites an existing file in place: the fallback for profiles in a folder
// where no new file can be created but the file itself may be written.
DWORD RewriteInPlace(const std::string& path, const std::string& bytes) {
  Handle h(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                       nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr));
  if (!h.valid()) return GetLastError();
  if (!WriteAll(h.get(), bytes) || !FlushFileBuffers(h.get())) {
    return GetLastError();
  }
  return 0;
}

uint64_t Ticks(const FILETIME& t) {
  return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

FILETIME FromTicks(uint64_t ticks) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return t;
}

}  // namespace

std::string ResolvePath(const std::string& path) { return path; }

bool IsOrdinaryFile(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// The file system matches letter case itself: the name is its own
// resolution. The attributes carry no file index, so no identity is given.
std::optional<FoundFile> FindOrdinaryFile(const std::string& path,
                                          FoundFileCache& /*cache*/) {
  if (!IsOrdinaryFile(path)) return std::nullopt;
  return FoundFile{path, std::nullopt};
}

FoundFileCache::FoundFileCache() = default;
FoundFileCache::~FoundFileCache() = default;
std::optional<FoundFile> FoundFileCache::Find(const std::string& /*path*/) {
  return std::nullopt;
}
void FoundFileCache::Remember(const FoundFile& /*file*/) {}

void CopyFileReplacing(const std::string& from, const std::string& to,
                       const std::string& source) {
  if (from.empty() || to.empty()) {
    throw base::Error(base::err::kBadFileNameOrNumber, source);
  }
  DWORD attributes = GetFileAttributesW(Wide(from).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    ThrowForError(GetLastError(), source);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    ThrowForError(ERROR_ACCESS_DENIED, source);
  }
  // CopyFileW keeps the source's attributes and last-write time, as on
  // Linux; the copy lands beside the destination and is moved over it.
  std::wstring temp = TemporaryBeside(to);
  if (!CopyFileW(Wide(from).c_str(), temp.c_str(), TRUE)) {
    DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    ThrowForError(error, source);
  }
  if (!MoveFileExW(temp.c_str(), Wide(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD error = GetLastError();
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp.c_str());
    ThrowForError(error, source);
  }
}

void AppendLine(const std::string& path, const std::string& text,
                const std::string& source) {
  if (path.empty()) {
    throw base::Error(base::err::kPathFileAccessError, source);
  }
  Handle h(CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) ThrowForError(GetLastError(), source);
  if (!WriteAll(h.get(), base::Utf8ToCp1252(text) + "\r\n")) {
    ThrowForError(GetLastError(), source);
  }
}

FileTimes GetFileTimes(const std::string& path, const std::string& source) {
  Handle h = OpenForAttributes(path, FILE_READ_ATTRIBUTES);
  if (!h.valid()) ThrowForError(GetLastError(), source);
  FILETIME creation, access, write;
  if (!GetFileTime(h.get(), &creation, &access, &write)) {
    ThrowForError(GetLastError(), source);
  }
  FileTimes times;
  times.creation = Ticks(creation);
  times.last_access = Ticks(access);
  times.last_write = Ticks(write);
  return times;
}

void SetFileTimes(const std::string& path, const FileTimes& times,
                  const std::string& source) {
  Handle h = OpenForAttributes(path, FILE_WRITE_ATTRIBUTES);
  if (!h.valid()) ThrowForError(GetLastError(), source);
  FILETIME creation, access, write;
  if (times.creation) creation = FromTicks(*times.creation);
  if (times.last_access) access = FromTicks(*times.last_access);
  if (times.last_write) write = FromTicks(*times.last_write);
  if (!SetFileTime(h.get(), times.creation ? &creation : nullptr,
                   times.last_access ? &access : nullptr,
                   times.last_write ? &write : nullptr)) {
    ThrowForError(GetLastError(), source);
  }
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  if (path.empty() || !IsOrdinaryFile(path)) return std::nullopt;
  Handle h(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (true) {
    DWORD n = 0;
    if (!ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr)) {
      return std::nullopt;
    }
    if (n == 0) return bytes;
    bytes.append(buffer, n);
  }
}

bool ReplaceWholeFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // The profile functions refuse a read-only file; a replacing rename
  // would not (on every file system).
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  DWORD error = ReplaceAtomically(path, bytes);
  if (error == ERROR_ACCESS_DENIED && exists)
    error = RewriteInPlace(path, bytes);
  return error == 0;
}

}  // namespace platform::disk
