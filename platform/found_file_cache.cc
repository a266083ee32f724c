#include "platform/found_file_cache.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace platform::disk {
namespace {

// Everything that changes what a stat of the file gives: contents, size,
// times, permissions, link count (a file renamed over it), the file moved
// or deleted.
constexpr uint32_t kFileChanges = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE |
                                  IN_MOVE_SELF | IN_DELETE_SELF |
                                  IN_DONT_FOLLOW;
// What changes whether the path still leads to the file: a folder moved or
// deleted. For the file's own folder also its permissions: IN_ATTRIB on a
// folder reports its entries too, and marking them all costs the kernel a
// walk over every cached entry (milliseconds in a large /tmp), so folders
// further up are watched for moves and deletion only.
constexpr uint32_t kFolderMoves =
    IN_MOVE_SELF | IN_DELETE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;
constexpr uint32_t kParentChanges = kFolderMoves | IN_ATTRIB;

// Whether `path` is absolute and every element of it a plain name: no "."
// or "..", no empty element. What it names is then what its text says, as
// long as none of its elements is a symbolic link (see Watch).
bool IsPlainAbsolute(const std::string& path) {
  if (path.size() < 2 || path[0] != '/' || path.back() == '/') return false;
  size_t start = 1;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string_view part(path.data() + start, slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = slash + 1;
  }
  return true;
}

}  // namespace

FoundFileCache::FoundFileCache() = default;

FoundFileCache::~FoundFileCache() {
  if (fd_ >= 0) ::close(fd_);
}

void FoundFileCache::Forget() {
  for (int wd : watches_) inotify_rm_watch(fd_, wd);
  watches_.clear();
  watched_.clear();
  found_.reset();
}

bool FoundFileCache::Quiet() {
  bool quiet = true;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return quiet;
    for (ssize_t at = 0;
         at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      // A folder's watch also tells of changes to the entries inside it;
      // those are not on the path (the next element has a watch of its
      // own). Events about the watched object itself carry no name.
      if (event.len == 0 || event.wd < 0) quiet = false;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
    }
  }
}

std::optional<FoundFile> FoundFileCache::Find(const std::string& path) {
  if (found_ && path == watched_) {
    if (Quiet()) return found_;
    Forget();
  }
  // Watches are set up for a file found at the last look, not for every
  // file looked at once, nor for one that is missing.
  if (path == last_found_ && path != watched_ && path != unwatchable_) {
    Watch(path);
  }
  return std::nullopt;
}

void FoundFileCache::Watch(const std::string& path) {
  // The watch is made when first needed: most hosts never need one.
  if (fd_ == kNotMade) fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  Forget();
  last_found_.clear();  // tried once until the file is found again
  if (fd_ < 0) return;
  Quiet();  // what happened before does not count
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return;  // gone meanwhile
  const bool plain = IsPlainAbsolute(path) && path == real;
  free(real);
  if (!plain) {
    unwatchable_ = path;  // through a link, or not in plain form: never kept
    return;
  }
  int wd = inotify_add_watch(fd_, path.c_str(), kFileChanges);
  for (size_t slash = path.size(); wd >= 0 && slash > 0;) {
    watches_.push_back(wd);
    slash = path.rfind('/', slash - 1);
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    wd =
        inotify_add_watch(fd_, folder.c_str(),
                          watches_.size() == 1 ? kParentChanges : kFolderMoves);
    if (slash == 0) {
      if (wd >= 0) watches_.push_back(wd);
      break;
    }
  }
  if (wd < 0) {
    if (errno != ENOENT) unwatchable_ = path;  // no watches to be had
    Forget();
    return;
  }
  watched_ = path;
}

void FoundFileCache::Remember(const FoundFile& file) {
  last_found_ = file.path;
  if (file.path == watched_ && file.identity) found_ = file;
}

}  // namespace platform::disk
