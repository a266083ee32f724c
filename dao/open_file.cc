#include "dao/open_file.h"

#include "base/text.h"
#include "dao/errors.h"
#include "jet/file_io.h"
#include "jet/integrity.h"
#include "jet/query_exec.h"

namespace dao_jet {
namespace {

constexpr size_t kMaxKeptFiles = 16;

// The whole file, read through the engine's file access (UTF-8 paths, wide
// on Windows); 3024 when it cannot be read.
std::vector<uint8_t> ReadImage(const std::string& path) {
  auto file = jet::RandomAccessFile::Open(path);
  std::optional<uint64_t> size = file ? file->RegularFileSize() : std::nullopt;
  if (!size || *size > SIZE_MAX) {
    Throw(kCannotOpenFile, kSourceWorkspace, path);
  }
  std::vector<uint8_t> image(static_cast<size_t>(*size));
  if (!file->ReadAt(0, image.data(), image.size())) {
    Throw(kDiskReadError, kSourceWorkspace);
  }
  return image;
}

// A reader over the file at `path`, refusing damage a lenient reader would
// read around.
std::unique_ptr<jet::Database> OpenChecked(const std::string& path) {
  auto reader = jet::Database::FromBytes(ReadImage(path), path);  // 3343 first
  if (!jet::FindDamage(*reader->file().image()).empty()) ThrowDamaged(path);
  return reader;
}

}  // namespace

OpenFile::OpenFile(std::string path, FileIdentity identity,
                   std::shared_ptr<ChangeWatch> watch, int token)
    : path_(std::move(path)),
      identity_(identity),
      watch_(std::move(watch)),
      token_(token),
      reader_(OpenChecked(path_)) {}

const std::string* OpenFile::TableName(std::string_view table) const {
  auto known = names_.find(table);
  if (known != names_.end()) return &known->second;
  const jet::TableEntry* entry = reader_->catalog().FindTable(table);
  if (!entry) return nullptr;
  return &names_.emplace(std::string(table), entry->name).first->second;
}

void OpenFile::DropUnusedRows(const jet::TableRows* keep) {
  for (auto it = tables_.begin(); it != tables_.end();) {
    const jet::TableRows* rows = it->second.get();
    long spellings = 0;
    for (const auto& [spelling, named] : spellings_) {
      if (named.get() == rows) ++spellings;
    }
    if (rows == keep || written_.count(rows) != 0 ||
        it->second.use_count() > 1 + spellings ||
        !dropped_once_.insert(it->first).second) {
      ++it;
      continue;
    }
    std::erase_if(spellings_, [&](const auto& entry) {
      return entry.second.get() == rows;
    });
    it = tables_.erase(it);
  }
}

std::shared_ptr<jet::TableRows> OpenFile::Rows(std::string_view table) {
  auto known = spellings_.find(table);
  if (known != spellings_.end()) return known->second;
  const std::string* name = TableName(table);
  if (!name) jet::ThrowInputTableNotFound(table);
  std::string key = base::UpperCase(*name);
  auto it = tables_.find(key);
  if (it == tables_.end()) {
    auto rows =
        std::make_shared<jet::TableRows>(reader_->SharedTableDef(*name));
    reader_->VisitRowCells(*name,
                           [&](jet::RowId id, std::span<const uint8_t> cells) {
                             rows->InsertCells(id, cells);
                           });
    it = tables_.emplace(std::move(key), std::move(rows)).first;
  }
  spellings_.emplace(std::string(table), it->second);
  return it->second;
}

bool OpenFile::IsCurrent(std::string_view table,
                         const jet::TableRows* rows) const {
  // A spelling asked for names the entry of tables_ it was found under.
  auto known = spellings_.find(table);
  if (known != spellings_.end()) return known->second.get() == rows;
  auto it = tables_.find(base::UpperCase(table));
  return it != tables_.end() && it->second.get() == rows;
}

Storage& OpenFile::storage() {
  if (!storage_) {
    try {
      if (!jet::CanWrite(path_)) {
        Throw(kReadOnly, kSourceDatabase);
      }
      // The writer starts from the image read and checked at the open
      // while the file is still that one; else it reads the file anew.
      std::optional<FileIdentity> now = IdentityOf(path_);
      const bool unchanged =
          !dirty_ && now && *now == identity_ && !watch_->Changed(token_);
      storage_ =
          OpenStorage(path_, unchanged ? reader_->file().image() : nullptr);
    } catch (const base::RuntimeError& e) {
      // Changes asked for were lost: the file cannot be committed as built.
      if (!write_failure_) write_failure_ = e;
      throw;
    }
  }
  return *storage_;
}

void OpenFile::ChangedStructure() {
  dirty_ = true;
  reader_ = storage().OpenReader();
  spellings_.clear();
  names_.clear();
  for (auto it = tables_.begin(); it != tables_.end();) {
    const jet::TableEntry* entry = reader_->catalog().FindTable(it->first);
    if (!entry || entry->tdef_page != it->second->def().tdef_page) {
      it = tables_.erase(it);
    } else {
      it->second->SetDef(reader_->SharedTableDef(entry->name));
      ++it;
    }
  }
}

void OpenFile::Commit() {
  if (write_failure_) throw *write_failure_;
  if (!dirty_ || !storage_) return;
  WithSource(kSourceDatabase, [&] { storage_->Save(); });
  dirty_ = false;
  // What the watch saw now was our own writing: the file is a new one in the
  // old one's place, with an identity of its own.
  token_ = watch_->Watch(path_);
  watch_->Clear(token_);
  if (std::optional<FileIdentity> now = IdentityOf(path_)) identity_ = *now;
}

std::shared_ptr<OpenFile> OpenFiles::Open(const std::string& path,
                                          const FileIdentity& seen) {
  if (std::shared_ptr<OpenFile> kept = Kept(path, seen)) return kept;
  // Not served from memory: the file is looked at anew before it is read.
  return Open(path);
}

std::shared_ptr<OpenFile> OpenFiles::Kept(const std::string& path,
                                          const FileIdentity& identity) {
  // A file unchanged since it was read (same identity, ctime included, so
  // no change of its permissions either) is readable as it was then.
  auto it = files_.find(path);
  if (it != files_.end() && it->second->identity() == identity &&
      !watch_->Changed(it->second->token())) {
    return it->second;
  }
  return nullptr;
}

std::shared_ptr<OpenFile> OpenFiles::Open(const std::string& path) {
  std::optional<FileIdentity> identity = IdentityOf(path);
  if (!identity) {
    Throw(kCannotOpenFile, kSourceWorkspace, path);
  }
  if (std::shared_ptr<OpenFile> kept = Kept(path, *identity)) return kept;
  if (!jet::CanRead(path)) {
    Throw(kCouldNotUseFile, kSourceWorkspace, path,
          "it is already opened exclusively by another user, or you need "
          "permission to view its data");
  }
  // Watch first, then read: a change made meanwhile shows at the next open.
  int token = watch_->Watch(path);
  watch_->Clear(token);
  auto file = std::make_shared<OpenFile>(path, *identity, watch_, token);
  files_[path] = file;
  if (files_.size() > kMaxKeptFiles) {
    // Forget files no Database object holds any more and with nothing to
    // commit.
    std::erase_if(files_, [&](const auto& entry) {
      return entry.second.use_count() == 1 && !entry.second->dirty() &&
             entry.first != path;
    });
  }
  return file;
}

void OpenFiles::Commit(const std::string& path) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second->Commit();
}

void OpenFiles::Drop(const std::string& path) { files_.erase(path); }

}  // namespace dao_jet
