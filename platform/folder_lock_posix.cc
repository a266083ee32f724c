#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/folder_lock.h"

namespace platform {
namespace {

class FlockedFolder : public FolderLock {
 public:
  explicit FlockedFolder(int fd) : fd_(fd) {}
  ~FlockedFolder() override {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<FolderLock> LockFolder(const std::string& folder,
                                       int wait_seconds) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::make_unique<FolderLock>();
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(wait_seconds);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      return std::make_unique<FlockedFolder>(fd);
    }
    if ((errno != EWOULDBLOCK && errno != EINTR) ||
        std::chrono::steady_clock::now() >= deadline) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const bool held_by_another = errno == EWOULDBLOCK;
  ::close(fd);
  // A file system without flock locks nothing rather than refusing the run.
  return held_by_another ? nullptr : std::make_unique<FolderLock>();
}

}  // namespace platform
