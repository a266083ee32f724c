#ifndef BASE_FILE_IDENTITY_H_
#define BASE_FILE_IDENTITY_H_

#include <cstdint>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace base {

// What tells one state of a file on disk from another: any write, copy or
// replacement changes at least one of these. On POSIX: device, inode, size,
// modification and status-change time (nanoseconds). On Windows: volume
// serial number, file index, size, last-write and change time (kept in
// 100-ns units, given here in nanoseconds).
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t mtime_ns = 0;
  int64_t ctime_ns = 0;
  bool operator==(const FileIdentity&) const = default;
};

#ifndef _WIN32
// The identity stat(2) gives; the one place that decides it, so that a look
// at a file made by one layer compares equal to a look made by another.
inline FileIdentity IdentityFromStat(const struct stat& st) {
  auto nanoseconds = [](const timespec& t) {
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
  };
  return FileIdentity{static_cast<uint64_t>(st.st_dev),
                      static_cast<uint64_t>(st.st_ino),
                      static_cast<int64_t>(st.st_size), nanoseconds(st.st_mtim),
                      nanoseconds(st.st_ctim)};
}
#endif

}  // namespace base

#endif  // BASE_FILE_IDENTITY_H_
