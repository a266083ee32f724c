#ifndef JET_RECORDSET_H_
#define JET_RECORDSET_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/value.h"
#include "jet/dao_type.h"
#include "jet/database.h"
#include "jet/tdef.h"

namespace jet {

class Recordset;

// A field of the current record, as DAO shows it.
class Field {
 public:
  const std::string& Name() const { return column_->name; }
  DaoType Type() const { return DaoTypeOf(*column_); }
  int32_t Size() const { return DaoSizeOf(*column_); }
  // Value in the current record; 3021 when there is none.
  const base::Value& Value() const;
  const ColumnDef& column() const { return *column_; }

 private:
  friend class Recordset;
  Field(const Recordset* owner, const ColumnDef* column, size_t position)
      : owner_(owner), column_(column), position_(position) {}
  const Recordset* owner_;
  const ColumnDef* column_;
  size_t position_;
};

// A table-type record set: the table's rows in storage order, read when the
// set is opened, so RecordCount is exact from the start. Positioned on the
// first record (or at EOF when the table is empty).
class Recordset {
 public:
  Recordset(std::string table_name, std::shared_ptr<const TableDef> def,
            std::vector<Row> rows);
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  const std::string& table_name() const { return name_; }
  int32_t RecordCount() const { return static_cast<int32_t>(rows_.size()); }
  bool Eof() const { return current_ >= rows_.size(); }
  // 3021 on an empty set.
  void MoveFirst();
  // 3021 when already past the last record.
  void MoveNext();

  size_t FieldCount() const { return fields_.size(); }
  // By position from 0 (3265 when out of range) or by name, ignoring case
  // (3265 when missing).
  const Field& Fields(size_t position) const;
  const Field& Fields(std::string_view name) const;

  // The current row (3021 when there is none).
  const Row& CurrentRow() const;

 private:
  friend class Field;
  std::string name_;
  std::shared_ptr<const TableDef> def_;
  std::vector<Row> rows_;
  std::vector<Field> fields_;
  size_t current_ = 0;
};

}  // namespace jet

#endif  // JET_RECORDSET_H_
