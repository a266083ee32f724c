#ifndef DAO_RECORDSET_H_
#define DAO_RECORDSET_H_

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dao/dao.h"
#include "dao/open_file.h"
#include "jet/query_table.h"

namespace dao_jet {

// Field positions by the names the program asked for, shared by the record
// sets of one column list (one query shape) on one table definition, so a
// name is looked up among the columns once.
struct FieldNames {
  std::shared_ptr<const jet::TableDef> def;  // the names hold for this one
  std::vector<std::pair<std::string, size_t>> known;
  // Where the next look-up starts: the program mostly asks for the fields
  // in the same order, row after row.
  size_t next = 0;
};

class RecordsetField;

// What a record set and its fields share: the rows it visits (fixed when it
// opens, plus the rows added through it), the position, and the row being
// built by AddNew or Edit.
struct Cursor {
  enum class Mode { kNone, kAddNew, kEdit };

  std::shared_ptr<OpenFile> file;
  std::string table;  // stored name
  std::shared_ptr<jet::TableRows> rows;
  std::vector<size_t> columns;        // the fields' positions in the table
  std::shared_ptr<FieldNames> names;  // for `columns`
  // The rows: those fixed at the open (shared with the table's own list
  // while nothing changes it), then those added through this set.
  std::shared_ptr<const std::vector<jet::RowId>> fixed;
  std::vector<jet::RowId> added;
  size_t current = 0;  // == Count() at the end
  Mode mode = Mode::kNone;
  std::vector<base::Value> buffer;  // whole row, table column order
  bool closed = false;
  // The field objects, one per column, made at the first access; each one
  // handed out shares the ownership of the cursor. Never grows once made.
  std::vector<RecordsetField> fields;

  Cursor();
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;
  // Lets the file forget rows no record set uses any more.
  ~Cursor();

  void CheckOpen() const;
  size_t Count() const { return fixed->size() + added.size(); }
  jet::RowId At(size_t i) const {
    return i < fixed->size() ? (*fixed)[i] : added[i - fixed->size()];
  }
  void Replace(size_t i, jet::RowId id);
  // The current row, still stored (3021 at the end, 3167 when the row is
  // gone).
  jet::RowId CurrentRow() const;
};

// A table-type record set or a dynaset over `cursor`.
std::shared_ptr<dao::Recordset> MakeRecordset(std::shared_ptr<Cursor> cursor);

}  // namespace dao_jet

#endif  // DAO_RECORDSET_H_
