#ifndef DAO_IDENTITY_H_
#define DAO_IDENTITY_H_

#include <cstdint>
#include <optional>
#include <string>

namespace dao_jet {

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

// nullopt when there is no such file. Paths are UTF-8.
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace dao_jet

#endif  // DAO_IDENTITY_H_
