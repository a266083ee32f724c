#ifndef DB_DAO_PAGE_SYNC_H_
#define DB_DAO_PAGE_SYNC_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dao_jet {

// Brings a database file on disk up to date with its image in memory by
// writing the pages that changed, in place. Which pages changed comes from
// the writer when it can tell; otherwise the image is compared with what
// was last written.
class PageSync {
 public:
  // `on_disk`: the file's pages as they are now.
  explicit PageSync(std::vector<uint8_t> on_disk)
      : on_disk_(std::move(on_disk)) {}

  // Writes the pages of `image` that differ from the file (`dirty`: the
  // page numbers the writer changed, when known), or all of them when
  // `everything`. A failed write raises 57 ("DAO.Database") and leaves
  // every page to be written next time.
  void Write(const std::string& path, const std::vector<uint8_t>& image,
             const std::optional<std::vector<uint32_t>>& dirty,
             bool everything = false);

 private:
  std::vector<uint8_t> on_disk_;
  bool all_ = false;  // the file's state is unknown: write everything
};

// The pages a writer's page store changed since it was last asked, when it
// keeps track (TakeDirtyPages); nullopt leaves the comparison to PageSync.
template <typename Store>
std::optional<std::vector<uint32_t>> DirtyPages(Store& store) {
  if constexpr (requires { store.TakeDirtyPages(); }) {
    auto pages = store.TakeDirtyPages();
    return std::vector<uint32_t>(pages.begin(), pages.end());
  } else {
    return std::nullopt;
  }
}

}  // namespace dao_jet

#endif  // DB_DAO_PAGE_SYNC_H_
