#include "db/dao_page_sync.h"

#include <cstring>

#include "base/runtime_error.h"
#include "db/dao_errors.h"
#include "jet/file_io.h"

namespace dao_jet {
namespace {

constexpr size_t kPage = 4096;

}  // namespace

void PageSync::Write(const std::string& path, const std::vector<uint8_t>& image,
                     const std::optional<std::vector<uint32_t>>& dirty,
                     bool everything) {
  if (everything) all_ = true;
  const size_t pages = image.size() / kPage;
  std::vector<uint32_t> changed;
  if (dirty && !all_) {
    for (uint32_t n : *dirty) {
      if (n < pages) changed.push_back(n);
    }
  } else {
    for (uint32_t n = 0; n < pages; ++n) {
      size_t at = size_t{n} * kPage;
      if (all_ || at + kPage > on_disk_.size() ||
          std::memcmp(image.data() + at, on_disk_.data() + at, kPage) != 0) {
        changed.push_back(n);
      }
    }
  }
  if (changed.empty()) return;
  auto failed = [&] {
    all_ = true;
    Throw(base::err::kDeviceIoError, kSourceDatabase,
          "Writing '" + path + "' failed.");
  };
  std::unique_ptr<jet::RandomAccessFile> file =
      jet::RandomAccessFile::Open(path, jet::RandomAccessFile::Mode::kWrite);
  if (!file) failed();
  for (uint32_t n : changed) {
    size_t at = size_t{n} * kPage;
    if (!file->WriteAt(at, image.data() + at, kPage)) {
      file->Close();
      failed();
    }
    if (!dirty) {
      if (on_disk_.size() < at + kPage) on_disk_.resize(at + kPage);
      std::memcpy(on_disk_.data() + at, image.data() + at, kPage);
    }
  }
  if (!file->Close()) failed();
  all_ = false;
}

}  // namespace dao_jet
