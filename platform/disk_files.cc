#include "platform/disk_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "base/text.h"

namespace platform::disk {
namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kEpochDifferenceSeconds = 11644473600ULL;
constexpr uint64_t kTicksPerSecond = 10000000ULL;

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

[[noreturn]] void ThrowForErrno(int error, const std::string& source) {
  switch (error) {
    case ENOENT:
      throw base::Error(base::err::kFileNotFound, source);
    case ENOTDIR:
      throw base::Error(base::err::kPathNotFound, source);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      throw base::Error(base::err::kPermissionDenied, source);
    case ENOSPC:
    case EIO:
      throw base::Error(base::err::kDeviceIoError, source);
    default:
      throw base::Error(base::err::kPathFileAccessError, source);
  }
}

// Closes a descriptor when leaving scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The name in `dir` equal to `name` without regard to case, or "".
std::string FindIgnoringCase(const std::string& dir, const std::string& name) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return "";
  // Several names may differ only in case; take the smallest so the choice
  // does not depend on directory order.
  std::string found;
  while (dirent* entry = readdir(d)) {
    std::string candidate = entry->d_name;
    if (candidate == "." || candidate == "..") continue;
    if (base::EqualsIgnoreCase(candidate, name) &&
        (found.empty() || candidate < found)) {
      found = candidate;
    }
  }
  closedir(d);
  return found;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

uint64_t ToTicks(const timespec& t) {
  return (static_cast<uint64_t>(t.tv_sec) + kEpochDifferenceSeconds) *
             kTicksPerSecond +
         static_cast<uint64_t>(t.tv_nsec) / 100;
}

// The ticks and the nanoseconds below one tick back as a time.
timespec FromTicks(uint64_t ticks, uint32_t sub_tick_ns) {
  timespec t{};
  int64_t seconds = static_cast<int64_t>(ticks / kTicksPerSecond) -
                    static_cast<int64_t>(kEpochDifferenceSeconds);
  t.tv_sec = static_cast<time_t>(seconds);
  t.tv_nsec = static_cast<long>((ticks % kTicksPerSecond) * 100 +
                                (sub_tick_ns < 100 ? sub_tick_ns : 0));
  return t;
}

// Rewrites the existing file `path` in place: the fallback for small files
// (profiles) where no temporary file can be created beside it (a folder
// without write right but a writable file, which Windows would edit).
int RewriteInPlace(const std::string& path, const std::string& bytes,
                   const timespec* times) {
  FileDescriptor fd(open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  if (fd.get() < 0) return errno;
  int error = 0;
  if (!WriteAll(fd.get(), bytes.data(), bytes.size())) error = errno;
  if (error == 0 && times != nullptr && futimens(fd.get(), times) != 0) {
    error = errno;
  }
  if (error == 0 && fsync(fd.get()) != 0) error = errno;
  if (close(fd.Release()) != 0 && error == 0) error = errno;
  return error;
}

// Writes `bytes` to a new temporary file beside `path` and renames it over
// `path`; `mode` becomes the file's mode. A symbolic link is followed, so
// the file it names is replaced, not the link. With `allow_in_place` an
// existing file in a folder without write right is rewritten in place.
// Returns 0 or the errno of the failing step (the temporary file is removed
// then).
int ReplaceAtomically(const std::string& link_or_path, const std::string& bytes,
                      mode_t mode, const timespec* times, bool allow_in_place) {
  std::string path = link_or_path;
  if (char* real = realpath(link_or_path.c_str(), nullptr)) {
    path = real;
    free(real);
  }
  std::string temp = path + ".tmp-XXXXXX";
  FileDescriptor fd(mkstemp(temp.data()));
  if (fd.get() < 0) {
    int error = errno;
    if (allow_in_place && (error == EACCES || error == EPERM) && Exists(path)) {
      return RewriteInPlace(path, bytes, times);
    }
    return error;
  }
  int error = 0;
  if (!WriteAll(fd.get(), bytes.data(), bytes.size())) error = errno;
  if (error == 0 && fchmod(fd.get(), mode) != 0) error = errno;
  if (error == 0 && times != nullptr && futimens(fd.get(), times) != 0) {
    error = errno;
  }
  if (error == 0 && fsync(fd.get()) != 0) error = errno;
  if (close(fd.Release()) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temp.c_str());
    return error;
  }
  FileDescriptor dir(open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY));
  if (dir.get() >= 0) fsync(dir.get());
  return 0;
}

// Reads to the end of `fd`, straight into `out`. `expected_size` (the size
// fstat gave) sizes the buffer once, so a database file is read without
// regrowing and copying it; a file that grew meanwhile is still read whole.
bool ReadAll(int fd, std::string& out, size_t expected_size) {
  size_t used = out.size();
  out.resize(used + expected_size + 1);
  while (true) {
    if (used == out.size()) out.resize(out.size() * 2);
    ssize_t n = read(fd, out.data() + used, out.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      out.resize(used);
      return false;
    }
    if (n == 0) {
      out.resize(used);
      return true;
    }
    used += static_cast<size_t>(n);
  }
}

}  // namespace

std::string ResolvePath(const std::string& path) {
  if (path.empty() || Exists(path)) return path;
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t slash = path.find('/', start);
    parts.push_back(path.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  // For an absolute path parts[0] is "", so `resolved` stays "" until the
  // first element below the root.
  std::string resolved;
  bool matching = true;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    std::string name = part;
    if (matching && !part.empty() && part != "." && part != "..") {
      std::string exact = i == 0 ? part : resolved + "/" + part;
      if (!Exists(exact)) {
        std::string dir = i == 0 ? "." : (resolved.empty() ? "/" : resolved);
        std::string found = FindIgnoringCase(dir, part);
        if (found.empty()) {
          matching = false;  // a new name: kept as given from here on
        } else {
          name = found;
        }
      }
    }
    resolved = i == 0 ? name : resolved + "/" + name;
  }
  return resolved;
}

bool IsOrdinaryFile(const std::string& path) {
  if (path.empty()) return false;
  struct stat st;
  // A name that exists as given resolves to itself: one call, not two.
  if (stat(path.c_str(), &st) == 0) return S_ISREG(st.st_mode);
  return stat(ResolvePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<FoundFile> FindOrdinaryFile(const std::string& path,
                                          FoundFileCache& cache) {
  if (path.empty()) return std::nullopt;
  if (std::optional<FoundFile> kept = cache.Find(path)) return kept;
  struct stat st;
  // stat succeeding on the name as spelled means lstat would too: the name
  // resolves to itself.
  if (stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    FoundFile found{path, base::IdentityFromStat(st)};
    cache.Remember(found);
    return found;
  }
  std::string resolved = ResolvePath(path);
  if (stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return std::nullopt;
  }
  return FoundFile{std::move(resolved), base::IdentityFromStat(st)};
}

void CopyFileReplacing(const std::string& from, const std::string& to,
                       const std::string& source) {
  std::string from_path = ResolvePath(from);
  std::string to_path = ResolvePath(to);
  if (from_path.empty() || to_path.empty()) {
    throw base::Error(base::err::kBadFileNameOrNumber, source);
  }
  FileDescriptor in(open(from_path.c_str(), O_RDONLY));
  if (in.get() < 0) ThrowForErrno(errno, source);
  struct stat st;
  if (fstat(in.get(), &st) != 0) ThrowForErrno(errno, source);
  if (!S_ISREG(st.st_mode)) ThrowForErrno(EISDIR, source);
  std::string bytes;
  if (!ReadAll(in.get(), bytes, static_cast<size_t>(st.st_size))) {
    ThrowForErrno(errno, source);
  }
  timespec times[2] = {st.st_atim, st.st_mtim};
  int error = ReplaceAtomically(to_path, bytes, st.st_mode & 07777, times,
                                /*allow_in_place=*/false);
  if (error != 0) ThrowForErrno(error, source);
}

void AppendLine(const std::string& path, const std::string& text,
                const std::string& source) {
  if (path.empty()) {
    throw base::Error(base::err::kPathFileAccessError, source);
  }
  std::string resolved = ResolvePath(path);
  FileDescriptor fd(open(resolved.c_str(),
                         O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC,
                         0644));
  // A FIFO in the log's place fails here instead of waiting for a reader.
  // With O_CREAT a missing name means a missing folder: Windows calls that
  // "Path not found".
  if (fd.get() < 0) ThrowForErrno(errno == ENOENT ? ENOTDIR : errno, source);
  std::string line = base::Utf8ToCp1252(text) + "\r\n";
  if (!WriteAll(fd.get(), line.data(), line.size())) {
    ThrowForErrno(errno, source);
  }
  if (close(fd.Release()) != 0) ThrowForErrno(errno, source);
}

FileTimes GetFileTimes(const std::string& path, const std::string& source) {
  std::string resolved = ResolvePath(path);
  struct statx stx;
  if (statx(AT_FDCWD, resolved.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME,
            &stx) != 0) {
    ThrowForErrno(errno, source);
  }
  auto ticks = [](const statx_timestamp& t) {
    return ToTicks(
        timespec{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)});
  };
  FileTimes times;
  if (stx.stx_mask & STATX_BTIME) times.creation = ticks(stx.stx_btime);
  times.last_access = ticks(stx.stx_atime);
  times.last_write = ticks(stx.stx_mtime);
  times.last_access_sub_tick_ns = stx.stx_atime.tv_nsec % 100;
  times.last_write_sub_tick_ns = stx.stx_mtime.tv_nsec % 100;
  return times;
}

void SetFileTimes(const std::string& path, const FileTimes& times,
                  const std::string& source) {
  std::string resolved = ResolvePath(path);
  timespec values[2];
  values[0] = times.last_access
                  ? FromTicks(*times.last_access, times.last_access_sub_tick_ns)
                  : timespec{0, UTIME_OMIT};
  values[1] = times.last_write
                  ? FromTicks(*times.last_write, times.last_write_sub_tick_ns)
                  : timespec{0, UTIME_OMIT};
  if (utimensat(AT_FDCWD, resolved.c_str(), values, 0) != 0) {
    ThrowForErrno(errno, source);
  }
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  if (path.empty()) return std::nullopt;
  // Opened without waiting, so that a FIFO or device in the file's place
  // reads as missing instead of blocking the run.
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return std::nullopt;
  struct stat st;
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::string bytes;
  if (!ReadAll(fd.get(), bytes, static_cast<size_t>(st.st_size))) {
    return std::nullopt;
  }
  return bytes;
}

bool ReplaceWholeFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  struct stat st;
  mode_t mode = 0644;
  if (stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return false;
    // Windows refuses to write a read-only file; so do we, also for a
    // user (root) whom the permissions would not stop.
    if ((st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0) {
      return false;
    }
    mode = st.st_mode & 07777;
  }
  return ReplaceAtomically(path, bytes, mode, nullptr,
                           /*allow_in_place=*/true) == 0;
}

}  // namespace platform::disk
