#include "dao/watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dao_jet {
namespace {

constexpr uint32_t kChanges =
    IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF;

}  // namespace

ChangeWatch::ChangeWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

ChangeWatch::~ChangeWatch() {
  if (fd_ >= 0) ::close(fd_);
}

int ChangeWatch::Watch(const std::string& path) {
  if (fd_ < 0) return -1;
  return inotify_add_watch(fd_, path.c_str(), kChanges);
}

void ChangeWatch::Drain() {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    for (ssize_t at = 0;
         at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      if (event.mask & IN_Q_OVERFLOW) overflowed_ = true;
      if (event.wd >= 0) changed_.insert(event.wd);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
    }
  }
}

bool ChangeWatch::Changed(int token) {
  if (fd_ < 0 || token < 0) return true;
  Drain();
  return overflowed_ || changed_.count(token) != 0;
}

void ChangeWatch::Clear(int token) {
  if (fd_ < 0) return;
  Drain();
  changed_.erase(token);
}

}  // namespace dao_jet
