#ifndef JET_DATABASE_WRITE_H_
#define JET_DATABASE_WRITE_H_

// The writing side of the engine, on top of PageStore: every public change
// is one unit of change (see PageStore::BeginChange) and reads go through
// the reader's walkers over the same page source. Save replaces the file
// whole; after any failure the file on disk is untouched.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/value.h"
#include "jet/catalog_writer.h"
#include "jet/column_rules.h"
#include "jet/lval_writer.h"
#include "jet/page_allocator.h"
#include "jet/relationships.h"
#include "jet/tdef.h"
#include "jet/tdef_writer.h"

namespace jet {

// The writing side of an open database: the whole file in memory, changed
// page by page, written back with Save (to a temporary file renamed over the
// original, so a failure or crash never leaves a half-written database).
// Every change is all or nothing: when one fails (a value refused, a
// duplicate key, damage found on the way) its pages and the writer's cached
// state are put back as before it, and the writer stays usable.
//
// Rows are addressed by RowId (the header slot; an updated row that moved
// keeps its id). Values are given by column number (TableDef::columns[i]
// .number); a vector shorter than max_cols leaves the rest Null.
class DatabaseWriter {
 public:
  // A new, empty database (nothing is written until Save).
  static std::unique_ptr<DatabaseWriter> CreateNew();
  // An existing file (3024 when it cannot be read, 3343 when it is no Jet 4
  // database, 3049 when its structure is damaged: see FindStructuralDamage;
  // 3051 when encrypted or sorted in a way this engine cannot write).
  static std::unique_ptr<DatabaseWriter> Open(const std::string& path);
  static std::unique_ptr<DatabaseWriter> FromBytes(std::vector<uint8_t> bytes);
  // As FromBytes, for an image that FindDamage found consistent (a superset
  // of the structural check FromBytes makes, which is skipped here).
  static std::unique_ptr<DatabaseWriter> FromCheckedBytes(
      std::vector<uint8_t> bytes);

  // The long-value writer refers to the page store inside this object.
  DatabaseWriter(const DatabaseWriter&) = delete;
  DatabaseWriter& operator=(const DatabaseWriter&) = delete;

  // Writes pending counters and indexes (Flush), then replaces the file at
  // `path` all at once (PageStore::Save: 75 when it is read-only or cannot
  // be replaced, 57 when writing fails); the file is unchanged on failure.
  void Save(const std::string& path);
  const std::vector<uint8_t>& bytes() const { return store_.bytes(); }
  PageStore& store() { return store_; }

  // Local tables (not system objects): name and TDEF page.
  std::vector<std::pair<std::string, uint32_t>> Tables() const;
  // TDEF page of a table by name, ignoring case; 3265 when missing.
  uint32_t FindTable(std::string_view name) const;
  const TableDef& Def(std::string_view name);

  // Schema changes.
  uint32_t CreateTable(const std::string& name,
                       const std::vector<FieldDesc>& fields);
  void DropTable(std::string_view name);
  void RenameColumn(std::string_view table, std::string_view from,
                    const std::string& to);

  // Rows.
  RowId Insert(std::string_view table, const std::vector<base::Value>& values);
  void Update(std::string_view table, RowId id,
              const std::vector<base::Value>& values);
  void Delete(std::string_view table, RowId id);
  // Every live row with its values by column number.
  std::vector<std::pair<RowId, std::vector<base::Value>>> Rows(
      std::string_view table);

  // Writes pending counters (row counts, AutoNumber) and index rebuilds of
  // tables changed since the last call; Save calls it.
  void Flush();

 private:
  struct TableState {
    TableDef def;
    uint32_t insert_hint = 0;  // data page last written
    bool counters_dirty = false;
    bool indexes_dirty = false;
    // Keys held by each unique index (empty set for other indexes), loaded
    // on the first change; keys with a Null column are not held.
    std::vector<std::set<std::string>> unique_keys;
    bool keys_loaded = false;
    // Required / AllowZeroLength of the columns, read on the first change.
    std::optional<ColumnRules> rules;
    // Enforced relationships naming the table, read on the first change,
    // and the table's name as the catalog spells it.
    std::optional<std::vector<Relationship>> links;
    std::string name;
  };
  // A change a cascade makes to a referencing row: new values, or none for
  // a delete.
  struct FollowUp {
    uint32_t tdef;
    RowId id;
    std::optional<std::vector<base::Value>> values;
  };
  const std::vector<Relationship>& Links(TableState& s);
  // The state of the table on the other side of a relationship, or null
  // when the file no longer has it (the relationship is then not checked).
  TableState* OtherTable(std::string_view name);
  // Live rows of the table whose `columns` hold `key`, with their values.
  std::vector<std::pair<RowId, std::vector<base::Value>>> RowsWithKey(
      TableState& s, const std::vector<std::string>& columns,
      const std::vector<base::Value>& key);
  // Whether the table holds `key` in `columns`: looked up in its unique
  // index on exactly those columns (an enforced relationship's referenced
  // side has one), else by a scan.
  bool HoldsKey(TableState& s, const std::vector<std::string>& columns,
                const std::vector<base::Value>& key);
  // Refuses (3201) a row whose foreign key, new or changed against `old`,
  // matches no referenced row.
  void CheckReferencedRows(TableState& s,
                           const std::vector<base::Value>& values,
                           const std::vector<base::Value>* old);
  // The cascades a delete (`now` null) or key change of a referenced row
  // makes; refuses (3200) when rows point at it and nothing cascades.
  std::vector<FollowUp> ReferencingRows(TableState& s,
                                        const std::vector<base::Value>& old,
                                        const std::vector<base::Value>* now);
  void Apply(const std::vector<FollowUp>& follow);
  // Delete's work on a row known to be live, cascades included.
  void DeleteLiveRow(TableState& s, RowId id);
  // Checks the row against the table's unique and required indexes (3022,
  // 3058) and records its keys; `old_row` (update) gives up its keys.
  void CheckKeys(TableState& s, std::span<const uint8_t> row,
                 std::span<const uint8_t> old_row);
  void ForgetKeys(TableState& s, std::span<const uint8_t> row);
  // Refuses values that break a column's Required or AllowZeroLength
  // property (3314, 3315).
  void CheckColumnRules(TableState& s, const std::vector<base::Value>& values);
  // Loads the keys of the unique indexes on the first change of a table and
  // checks that every index can take every row's key (else the change is
  // refused: the indexes could not be rebuilt).
  void LoadKeys(TableState& s);
  explicit DatabaseWriter(PageStore store);
  // Runs `change` as one unit (see the class comment).
  template <typename Change>
  auto AllOrNothing(Change&& change) -> decltype(change());
  TableState& State(std::string_view name);
  void ReleaseLongValues(const TableDef& def, std::span<const uint8_t> row);
  // The stored bytes of a row (after its overflow hop).
  std::vector<uint8_t> RowImage(const TableDef& def, RowId id) const;
  // The same for a row already located.
  std::vector<uint8_t> RowImageAt(RowId at) const;
  // The same bytes in place: valid until the store next changes size.
  Bytes RowBytesAt(RowId at) const;
  // Marks a row deleted and releases its long values.
  void DeleteRow(const TableDef& def, RowId id);
  // Deletes rows of a system table, then rebuilds its indexes and stores its
  // row count.
  void DeleteRows(TableDef& def, const std::vector<RowId>& ids);
  // Where the data of a row lives: the header slot, or the target of its
  // overflow pointer.
  RowId Locate(const TableDef& def, RowId id) const;
  // Steps of DropTable: gives up the table's usage-map rows (adding to
  // `pages` the map pages it alone used), then catalog and permission rows
  // of objects by catalog id.
  void ReleaseMapRows(const TableDef& def, std::set<uint32_t>& pages);
  void DeleteCatalogRows(const std::set<int32_t>& ids);
  // Deletes the table's rows in MSysRelationships; returns the names of
  // their relationships (upper case).
  std::set<std::string> DropRelationships(std::string_view table);
  // Foreign-key logical indexes of other tables that point at `tdef`, and
  // their real indexes when nothing else uses them (index pages added to
  // `pages`).
  void DropForeignKeysTo(uint32_t tdef, std::set<uint32_t>& pages);
  // Steps of RenameColumn: MSysRelationships rows and the property blob.
  void RenameInRelationships(std::string_view table, std::string_view from,
                             const std::string& to);
  void RenameInProperties(uint32_t tdef, std::string_view from,
                          const std::string& to);
  TableState& StateAt(uint32_t tdef_page);
  // Replaces a row (values by column number); the caller runs the unit.
  void UpdateRow(TableState& s, RowId id,
                 const std::vector<base::Value>& values);

  PageStore store_;
  LvalWriter lval_;
  // Upper-cased table name -> TDEF page; rebuilt after schema changes.
  mutable std::map<std::string, uint32_t> names_;
  mutable bool names_valid_ = false;
  // The name FindTable found last, as given, and its page.
  mutable std::string last_name_;
  mutable uint32_t last_page_ = 0;
  // AllOrNothing: units under way, and the counters the outermost one
  // restores on failure (by TDEF page, ascending).
  struct Pending {
    uint32_t page, row_count, last_autonumber;
    bool counters_dirty, indexes_dirty;
  };
  int units_ = 0;
  std::vector<Pending> pending_;
  std::map<uint32_t, TableState> tables_;  // by TDEF page
};

}  // namespace jet

#endif  // JET_DATABASE_WRITE_H_
