#include "jet/page_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/runtime_error.h"
#include "jet/rc4.h"

namespace jet {

std::unique_ptr<PageFile> PageFile::Open(const std::string& path) {
  std::unique_ptr<PageFile> f(new PageFile());
  f->path_ = path;
  f->fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (f->fd_ < 0) {
    throw base::RuntimeError(base::err::kCannotOpenFile, kErrorSource,
                             "Could not find file '" + path + "'.");
  }
  struct stat st;
  if (::fstat(f->fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ThrowUnrecognizedFormat(path);
  }
  uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size < format::kPageSize || size > format::kMaxFileSize) {
    ThrowUnrecognizedFormat(path);
  }
  // A file whose length is not a whole number of pages has lost its tail;
  // the pages that are complete stay readable.
  f->page_count_ = static_cast<uint32_t>(size / format::kPageSize);
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

PageFile::~PageFile() {
  if (fd_ >= 0) ::close(fd_);
}

void PageFile::Init(const std::string& name) {
  Page page0;
  Load(0, page0);
  if (!IsJet4Header(page0)) ThrowUnrecognizedFormat(name);
  header_ = ParseHeader(page0);
  cache_.resize(page_count_);
}

void PageFile::Load(uint32_t n, Page& out) {
  uint64_t offset = static_cast<uint64_t>(n) * format::kPageSize;
  if (fd_ >= 0) {
    size_t done = 0;
    while (done < out.size()) {
      ssize_t r = ::pread(fd_, out.data() + done, out.size() - done,
                          static_cast<off_t>(offset + done));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) ThrowCorrupt("page cannot be read");
      done += static_cast<size_t>(r);
    }
  } else {
    std::copy_n(bytes_.begin() + static_cast<ptrdiff_t>(offset), out.size(),
                out.begin());
  }
}

Bytes PageFile::ReadPage(uint32_t n) {
  if (n >= page_count_) ThrowCorrupt("page number beyond the end of the file");
  std::unique_ptr<Page>& slot = cache_[n];
  if (!slot) {
    auto page = std::make_unique<Page>();
    Load(n, *page);
    if (n != 0 && header_.db_key != 0) {
      uint32_t k = header_.db_key ^ n;
      uint8_t key[4] = {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8),
                        static_cast<uint8_t>(k >> 16),
                        static_cast<uint8_t>(k >> 24)};
      Rc4Apply(key, *page);
    }
    slot = std::move(page);
  }
  return Bytes(*slot);
}

void PageFile::Forget(uint32_t n) {
  if (n < cache_.size()) cache_[n].reset();
}

}  // namespace jet
