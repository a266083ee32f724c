// The file layer on POSIX: file descriptors with pread and pwrite; whole
// files replaced through a temporary file, fsync and rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "jet/file_io.h"

namespace jet {
namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

std::unique_ptr<RandomAccessFile> RandomAccessFile::Open(
    const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::unique_ptr<RandomAccessFile>(new RandomAccessFile(fd));
}

RandomAccessFile::~RandomAccessFile() { Close(); }

std::optional<uint64_t> RandomAccessFile::RegularFileSize() const {
  struct stat st;
  if (handle_ < 0 || ::fstat(Fd(handle_), &st) != 0 || !S_ISREG(st.st_mode)) {
    return std::nullopt;
  }
  return static_cast<uint64_t>(st.st_size);
}

bool RandomAccessFile::ReadAt(uint64_t offset, uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t r = ::pread(Fd(handle_), data + done, size - done,
                        static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    done += static_cast<size_t>(r);
  }
  return true;
}

bool RandomAccessFile::Close() {
  if (handle_ < 0) return true;
  int fd = Fd(handle_);
  handle_ = -1;
  return ::close(fd) == 0;
}

bool CanRead(const std::string& path) {
  return ::access(path.c_str(), R_OK) == 0;
}

bool CanWrite(const std::string& path) {
  return ::access(path.c_str(), W_OK) == 0;
}

namespace {

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Creates a new file beside `target` under a name no other writer uses;
// the mode is 0666 less the umask, as for any new file.
int CreateTempBeside(const std::string& target, std::string* name) {
  static std::atomic<unsigned> counter{0};
  std::random_device seed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    *name = target + ".tmp" + std::to_string(::getpid()) + "-" +
            std::to_string(counter++) + "-" + std::to_string(seed() % 100000);
    int fd =
        ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Flushes the folder holding `path`, so that a rename in it is durable.
void SyncFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : path.substr(0, slash);
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A symbolic link is followed, so the file it names gets the new content.
std::string ResolveLink(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string resolved(real);
  std::free(real);
  return resolved;
}

}  // namespace

ReplaceResult ReplaceFileContents(const std::string& path,
                                  std::span<const uint8_t> bytes) {
  const std::string target = ResolveLink(path);
  struct stat old;
  const bool exists = ::stat(target.c_str(), &old) == 0;
  // Refused as Windows refuses a read-only file, even for the superuser.
  if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 ||
                 ::access(target.c_str(), W_OK) != 0)) {
    return ReplaceResult::kNotWritable;
  }
  std::string tmp;
  int fd = CreateTempBeside(target, &tmp);
  if (fd < 0) return ReplaceResult::kNoTempFile;
  bool ok = WriteAll(fd, bytes);
  if (ok && exists) {
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    if (ok && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Only the superuser may give the file away; the content matters more.
    }
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(tmp.c_str());
    return ReplaceResult::kWriteFailed;
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return ReplaceResult::kRenameFailed;
  }
  SyncFolderOf(target);
  return ReplaceResult::kDone;
}

}  // namespace jet
