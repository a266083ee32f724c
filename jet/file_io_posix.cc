// RandomAccessFile on POSIX: a file descriptor with pread and pwrite.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "jet/file_io.h"

namespace jet {
namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

std::unique_ptr<RandomAccessFile> RandomAccessFile::Open(
    const std::string& path, Mode mode) {
  int flags = (mode == Mode::kRead ? O_RDONLY : O_WRONLY) | O_CLOEXEC;
  int fd = ::open(path.c_str(), flags);
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

bool RandomAccessFile::WriteAt(uint64_t offset, const uint8_t* data,
                               size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pwrite(Fd(handle_), data + done, size - done,
                         static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
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

}  // namespace jet
