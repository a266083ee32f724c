#ifndef JET_QUERY_TABLE_H_
#define JET_QUERY_TABLE_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/value.h"
#include "jet/database.h"
#include "jet/tdef.h"

namespace jet {

// Orders row ids as a table scan meets them: page by page, slot by slot.
struct RowIdLess {
  bool operator()(const RowId& a, const RowId& b) const {
    return a.Packed() < b.Packed();
  }
};

// The rows of one table in storage order, kept in memory for the queries
// the program repeats per row, with an equality index per column built on
// first use. Whoever writes the table reports each change here, so the rows
// and indexes always match the file.
//
// Rows are kept as cells (base/packed_values.h), one per column, the cells
// of a row side by side in blocks of bytes; a row that grows moves to the
// end and the room it left is reclaimed once it outweighs the live rows.
// An index maps a hash of the equality key to the rows, so a hash shared by
// two keys lists the rows of both: callers check the key on the row.
class TableRows {
 public:
  explicit TableRows(std::shared_ptr<const TableDef> def);
  TableRows(std::shared_ptr<const TableDef> def, const std::vector<Row>& rows);
  TableRows(const TableRows&) = delete;
  TableRows& operator=(const TableRows&) = delete;
  ~TableRows();

  const TableDef& def() const { return *def_; }
  const std::shared_ptr<const TableDef>& shared_def() const { return def_; }
  // A new definition of the same columns (a column was renamed).
  void SetDef(std::shared_ptr<const TableDef> def) { def_ = std::move(def); }
  size_t size() const;

  // Every row id in storage order; shared until the set of rows changes.
  std::shared_ptr<const std::vector<RowId>> Ids();
  bool Contains(RowId id) const;
  // A hint that the row is asked for soon: a walk over the rows of a large
  // table otherwise waits for memory at every row.
  void Prefetch(RowId id) const;
  // The value of a column (position in the definition) of a stored row; the
  // row must be there. The cells of the row last asked for are found at
  // once.
  base::Value Cell(RowId id, size_t column) const;
  // The values of a stored row in column order.
  std::vector<base::Value> Values(RowId id) const;
  // The same into `out`, whose room is reused (empty for a row that is
  // gone).
  void Values(RowId id, std::vector<base::Value>& out) const;
  // Whether the column's value in the stored row has the equality key
  // `key` (see EqualityKey); false for a row that is gone.
  bool HasKey(RowId id, size_t column, std::string_view key) const;

  // The hash an index files an equality key under.
  static uint64_t KeyHash(std::string_view key);
  // Packed ids (RowId::Packed) of the rows whose column has an equality key
  // of this hash, in storage order: the rows with the key, and rarely
  // others. Valid until the next change of the rows.
  std::span<const uint32_t> Lookup(size_t column, uint64_t key_hash);

  void Insert(RowId id, const std::vector<base::Value>& values);
  // Insert of a row given as cells (base/packed_values.h), one per column.
  void InsertCells(RowId id, std::span<const uint8_t> cells);
  // A stored row got new values; `moved_to` differs from `id` when the
  // writer had to give the row another place.
  void Update(RowId id, RowId moved_to, const std::vector<base::Value>& values);
  void Erase(RowId id);

 private:
  class Index;
  class Store;

  void AddToIndexes(RowId id, const std::vector<base::Value>& values);
  void RemoveFromIndexes(RowId id);
  // The cell of a column of a stored row, or nullptr when the row is gone.
  const uint8_t* CellAt(RowId id, size_t column) const;
  // CellAt's way when the cell is not cached yet.
  const uint8_t* FindCell(RowId id, size_t column) const;
  // The key of a cell into `out` (cleared first); false when it has none.
  static bool CellKey(const uint8_t* cell, std::string& out);

  std::shared_ptr<const TableDef> def_;
  std::unique_ptr<Store> store_;
  std::vector<std::unique_ptr<Index>> indexes_;    // by column position
  bool indexed_ = false;                           // one of them is built
  std::shared_ptr<const std::vector<RowId>> ids_;  // null when outdated
  // The cells of the row last looked at, by column position.
  mutable uint32_t cached_row_ = UINT32_MAX;
  mutable std::vector<const uint8_t*> cached_cells_;
  mutable size_t cached_known_ = 0;  // cells found in cached_cells_
  mutable std::string key_;          // scratch for equality keys
};

}  // namespace jet

#endif  // JET_QUERY_TABLE_H_
