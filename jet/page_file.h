#ifndef JET_PAGE_FILE_H_
#define JET_PAGE_FILE_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jet/bytes.h"
#include "jet/format.h"
#include "jet/header.h"

namespace jet {

class RandomAccessFile;

using Page = std::array<uint8_t, format::kPageSize>;

// Whole pages of one database file, by number. The reader's walkers (row
// slots, overflow hops, usage maps, table definitions, the catalog) read
// through this, so they serve the file opened for reading (PageFile) and the
// image being changed (PageStore) alike. A page number outside the file is a
// "damaged database" error (3049); the bytes stay valid while the source
// lives and its page is not changed.
class PageSource {
 public:
  virtual ~PageSource() = default;
  virtual uint32_t page_count() const = 0;
  virtual Bytes ReadPage(uint32_t n) const = 0;
};

// Page-level access to one database file: checks that it is a Jet 4.0 file,
// decodes the header, decrypts pages of encrypted files and keeps every page
// it has read (the files we handle are small next to memory). Pages are read
// whole; a page number outside the file is a "damaged database" error.
class PageFile : public PageSource {
 public:
  // Opens a file on disk. Fails with 3343 when it is no Jet 4.0 database,
  // 3024 when it cannot be opened.
  static std::unique_ptr<PageFile> Open(const std::string& path);
  // Reads a database from bytes in memory (tests, fuzzing). `name` stands in
  // for the path in error messages.
  static std::unique_ptr<PageFile> FromBytes(std::vector<uint8_t> bytes,
                                             const std::string& name);

  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  const std::string& path() const { return path_; }
  const Header& header() const { return header_; }
  uint32_t page_count() const override { return page_count_; }

  // The decrypted bytes of page `n`; valid as long as this object.
  Bytes ReadPage(uint32_t n) const override;

  // The whole file as read into memory (FromBytes, or a file read whole at
  // Open), or nullptr when pages are read from the file as needed.
  const std::vector<uint8_t>* image() const {
    return file_ ? nullptr : &bytes_;
  }

  // Drops a cached page, so the next read sees the file again (for writers).
  void Forget(uint32_t n);

 private:
  PageFile() = default;
  void Init(const std::string& name);
  void Load(uint32_t n, Page& out) const;

  std::string path_;
  std::unique_ptr<RandomAccessFile> file_;  // file on disk, or
  std::vector<uint8_t> bytes_;              // the whole file in memory
  uint32_t page_count_ = 0;
  Header header_;
  mutable std::vector<std::unique_ptr<Page>> cache_;
};

}  // namespace jet

#endif  // JET_PAGE_FILE_H_
