#ifndef PLATFORM_FOUND_FILE_CACHE_H_
#define PLATFORM_FOUND_FILE_CACHE_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace platform::disk {

// Remembers the last ordinary file found under its own name, so that the
// build's test "does the component database exist?", asked once per row,
// costs one read of a change watch instead of a walk of the path. On Linux
// inotify watches the file and every folder above it: any write, attribute
// or link change of the file, a change of permissions of its folder, and
// any move or deletion of a folder on the path make the next question look
// at the disk again, as does any doubt (a path through a symbolic link, "."
// or "..", a lost event, no watch to be had). Without inotify (Windows)
// nothing is kept.
class FoundFileCache {
 public:
  FoundFileCache();
  ~FoundFileCache();
  FoundFileCache(const FoundFileCache&) = delete;
  FoundFileCache& operator=(const FoundFileCache&) = delete;

  // The file found at `path` when nothing has touched it or its folders
  // since it was remembered. Otherwise nothing; then, when the last look
  // found `path`, it is watched from now on, so that the look the caller
  // makes next can be remembered.
  std::optional<FoundFile> Find(const std::string& path);
  // What a look found (an ordinary file, under the name asked for).
  void Remember(const FoundFile& file);

 private:
  void Watch(const std::string& path);
  void Forget();
  // Reads every pending event; false when one of them counts.
  bool Quiet();

  static constexpr int kNotMade = -2;
  int fd_ = kNotMade;         // inotify, once made; -1 when it could not be
  std::string last_found_;    // the file the last look found
  std::string unwatchable_;   // a path found not to be watchable
  std::string watched_;       // the path the watches are for
  std::vector<int> watches_;  // the file's first, then its folders'
  std::optional<FoundFile> found_;
};

}  // namespace platform::disk

#endif  // PLATFORM_FOUND_FILE_CACHE_H_
