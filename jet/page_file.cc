#include "jet/page_file.h"

#include <algorithm>

#include "base/runtime_error.h"
#include "jet/file_io.h"
#include "jet/rc4.h"

namespace jet {

std::unique_ptr<PageFile> PageFile::Open(const std::string& path) {
  std::unique_ptr<PageFile> f(new PageFile());
  f->path_ = path;
  f->file_ = RandomAccessFile::Open(path);
  if (!f->file_) {
    throw base::Error(base::err::kCannotOpenFile, kErrorSource, path);
  }
  std::optional<uint64_t> regular_size = f->file_->RegularFileSize();
  if (!regular_size) ThrowUnrecognizedFormat(path);
  uint64_t size = *regular_size;
  if (size < format::kPageSize || size > format::kMaxFileSize) {
    ThrowUnrecognizedFormat(path);
  }
  // A file whose length is not a whole number of pages has lost its tail;
  // the pages that are complete stay readable.
  f->page_count_ = static_cast<uint32_t>(size / format::kPageSize);
  if (!kOpenFilesCanBeReplaced) {
    // The engine keeps readers in its cache; where an open file cannot be
    // replaced, read it whole now and let go of it.
    std::vector<uint8_t> bytes(size_t{f->page_count_} * format::kPageSize);
    if (!f->file_->ReadAt(0, bytes.data(), bytes.size())) {
      ThrowCorrupt("page cannot be read");
    }
    f->file_.reset();
    f->bytes_ = std::move(bytes);
  }
  f->Init(path);
  return f;
}

std::unique_ptr<PageFile> PageFile::FromBytes(std::vector<uint8_t> bytes,
                                              const std::string& name) {
  std::unique_ptr<PageFile> f(new PageFile());
  f->path_ = name;
  if (bytes.size() < format::kPageSize || bytes.size() > format::kMaxFileSize) {
    ThrowUnrecognizedFormat(name);
  }
  f->page_count_ = static_cast<uint32_t>(bytes.size() / format::kPageSize);
  f->bytes_ = std::move(bytes);
  f->Init(name);
  return f;
}

PageFile::~PageFile() = default;

void PageFile::Init(const std::string& name) {
  Page page0;
  Load(0, page0);
  if (!IsJet4Header(page0)) ThrowUnrecognizedFormat(name);
  header_ = ParseHeader(page0);
  cache_.resize(page_count_);
}

void PageFile::Load(uint32_t n, Page& out) const {
  uint64_t offset = static_cast<uint64_t>(n) * format::kPageSize;
  if (file_) {
    if (!file_->ReadAt(offset, out.data(), out.size())) {
      ThrowCorrupt("page cannot be read");
    }
  } else {
    std::copy_n(bytes_.begin() + static_cast<ptrdiff_t>(offset), out.size(),
                out.begin());
  }
}

Bytes PageFile::ReadPage(uint32_t n) const {
  if (n >= page_count_) ThrowCorrupt("page number beyond the end of the file");
  // An image in memory that needs no decryption serves its pages in place.
  if (!file_ && (n == 0 || header_.db_key == 0)) {
    return Bytes(bytes_.data() + size_t{n} * format::kPageSize,
                 format::kPageSize);
  }
  std::unique_ptr<Page>& slot = cache_[n];
  if (!slot) {
    auto page = std::make_unique<Page>();
    Load(n, *page);
    if (n != 0 && header_.db_key != 0) Rc4ApplyPage(header_.db_key, n, *page);
    slot = std::move(page);
  }
  return Bytes(*slot);
}

void PageFile::Forget(uint32_t n) {
  if (n < cache_.size()) cache_[n].reset();
}

}  // namespace jet
