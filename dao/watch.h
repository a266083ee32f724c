#ifndef DAO_WATCH_H_
#define DAO_WATCH_H_

#include <set>
#include <string>

namespace dao_jet {

// Notices every change made to watched files (inotify), including the ones
// a size-and-time comparison misses: a file of the same size rewritten
// within the same clock tick. Without inotify every file counts as changed
// whenever it is asked about, so nothing stale is ever served.
// On Windows (dao_watch_windows.cc) nothing is watched and no file counts
// as changed: the file's identity, compared by the caller, is the only
// check there (see docs/WINDOWS.md).
class ChangeWatch {
 public:
  ChangeWatch();
  ~ChangeWatch();
  ChangeWatch(const ChangeWatch&) = delete;
  ChangeWatch& operator=(const ChangeWatch&) = delete;

  // Starts (or goes on) watching the file now at `path`; returns its token,
  // -1 when it cannot be watched.
  int Watch(const std::string& path);
  // Whether the file was written, truncated, replaced, moved or had its
  // attributes changed since it was watched or last cleared.
  bool Changed(int token);
  // Forgets what happened so far (the engine's own writes).
  void Clear(int token);

 private:
  void Drain();

  int fd_ = -1;
  bool overflowed_ = false;
  std::set<int> changed_;
};

}  // namespace dao_jet

#endif  // DAO_WATCH_H_
