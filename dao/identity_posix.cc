// FileIdentity from stat(2).
#include <sys/stat.h>

#include "dao/identity.h"

namespace dao_jet {
namespace {

int64_t Nanoseconds(const timespec& t) {
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(st.st_dev),
                      static_cast<uint64_t>(st.st_ino),
                      static_cast<int64_t>(st.st_size), Nanoseconds(st.st_mtim),
                      Nanoseconds(st.st_ctim)};
}

}  // namespace dao_jet
