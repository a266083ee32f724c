#ifndef DAO_OPEN_FILE_H_
#define DAO_OPEN_FILE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>

#include "base/runtime_error.h"
#include "dao/identity.h"
#include "dao/query_cache.h"
#include "dao/storage.h"
#include "dao/watch.h"
#include "jet/database.h"
#include "jet/query_table.h"

namespace dao_jet {

// One database file as the engine holds it open: the reader, the decoded
// rows of the tables used so far (the authority for their contents once
// loaded) and, from the first change on, the writer's storage. Shared by
// every Database object on the file, and kept by the engine after the last
// Close for as long as the file on disk stays the same. Changes stay here,
// in memory, until Commit puts them all into the file at once; a file the
// engine forgets (or a run that ends) drops them and the file stays as it
// was.
class OpenFile {
 public:
  // Fails like opening the file for reading (3024, 3343, 3049); a file
  // whose structure does not hold together (pages, usage maps or table
  // definitions pointing past the end or at each other wrongly) is 3049
  // even where its rows could be read. `watch` follows the file under
  // `token`.
  OpenFile(std::string path, FileIdentity identity,
           std::shared_ptr<ChangeWatch> watch, int token);

  const std::string& path() const { return path_; }
  const FileIdentity& identity() const { return identity_; }
  int token() const { return token_; }
  jet::Database& reader() { return *reader_; }

  // The rows of a table by name, case-insensitively (3078 when missing).
  std::shared_ptr<jet::TableRows> Rows(std::string_view table);
  // Forgets the decoded rows of tables other than `keep` that no record set
  // uses and that were never written: the reader still holds them, so a
  // later look-up decodes the same rows again. A table is forgotten once at
  // most (one the program comes back to is kept from then on), so a table
  // read once, such as the template, does not stay in memory for the rest
  // of the build, and one queried per row is not decoded per row.
  void DropUnusedRows(const jet::TableRows* keep);
  // Whether `rows` are still the rows of that table (not of one dropped
  // since).
  bool IsCurrent(std::string_view table, const jet::TableRows* rows) const;
  // The stored name of a table, or nullptr.
  const std::string* TableName(std::string_view table) const;

  // The writer, opened on first use; every call through it must be
  // followed by Changed or ChangedStructure.
  Storage& storage();
  // Rows of `rows` were written.
  void Changed(const jet::TableRows* rows) {
    dirty_ = true;
    written_.insert(rows);
  }
  // Tables were created, dropped or renamed: re-reads the catalog and table
  // definitions; rows already loaded stay (a dropped table's go).
  void ChangedStructure();

  // The SELECT texts parsed on this file so far, by shape.
  QueryCache& queries() { return queries_; }

  // Whether there are changes not yet in the file.
  bool dirty() const { return dirty_; }
  // Replaces the file with the current contents at once (nothing when
  // unchanged). A failure (RuntimeError) leaves the file as it was and the
  // changes pending; so does a change that could not be made because the
  // file cannot be written (the first such failure is raised again).
  void Commit();

 private:
  std::string path_;
  FileIdentity identity_;
  std::shared_ptr<ChangeWatch> watch_;  // shared: a Database may outlive
                                        // the engine
  int token_;
  std::unique_ptr<jet::Database> reader_;
  std::unique_ptr<Storage> storage_;
  // By upper-cased stored name, and by the spellings asked for (the
  // program repeats the same name once per row).
  std::map<std::string, std::shared_ptr<jet::TableRows>> tables_;
  std::map<std::string, std::shared_ptr<jet::TableRows>, std::less<>>
      spellings_;
  // Stored table names by the spellings asked for, for the current reader.
  mutable std::map<std::string, std::string, std::less<>> names_;
  // Tables whose rows were written: their cached rows are the only copy of
  // the changes a reader sees, so they are never dropped.
  std::unordered_set<const jet::TableRows*> written_;
  std::set<std::string, std::less<>> dropped_once_;  // upper-cased names
  QueryCache queries_;
  bool dirty_ = false;
  std::optional<base::RuntimeError> write_failure_;
};

// The engine's open files, by path; an entry is served only while the file
// still has the identity it had when the engine last read or wrote it and
// nobody else has touched it since.
class OpenFiles {
 public:
  // 3024 when the file does not exist; reading failures as OpenFile.
  std::shared_ptr<OpenFile> Open(const std::string& path);
  // The same with the file's identity as the caller has just seen it: a
  // file kept in memory is checked against `seen` without a look of its own.
  std::shared_ptr<OpenFile> Open(const std::string& path,
                                 const FileIdentity& seen);
  // Commit on the file at `path` when the engine holds changes for it.
  void Commit(const std::string& path);
  // Forgets the file and any changes not committed.
  void Drop(const std::string& path);

 private:
  // The file kept for `path` when it still has `identity` and nobody wrote
  // to it since; nullptr otherwise.
  std::shared_ptr<OpenFile> Kept(const std::string& path,
                                 const FileIdentity& identity);

  std::shared_ptr<ChangeWatch> watch_ = std::make_shared<ChangeWatch>();
  std::map<std::string, std::shared_ptr<OpenFile>> files_;
};

}  // namespace dao_jet

#endif  // DAO_OPEN_FILE_H_
