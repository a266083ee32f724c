#include "jet/recordset.h"

#include "base/text.h"
#include "jet/errors.h"

namespace jet {

const base::Value& Field::Value() const {
  return owner_->CurrentRow().values[position_];
}

Recordset::Recordset(std::string table_name,
                     std::shared_ptr<const TableDef> def, std::vector<Row> rows)
    : name_(std::move(table_name)),
      def_(std::move(def)),
      rows_(std::move(rows)) {
  fields_.reserve(def_->columns.size());
  for (size_t i = 0; i < def_->columns.size(); ++i) {
    fields_.push_back(Field(this, &def_->columns[i], i));
  }
}

void Recordset::MoveFirst() {
  if (rows_.empty()) ThrowNoCurrentRecord();
  current_ = 0;
}

void Recordset::MoveNext() {
  if (current_ >= rows_.size()) ThrowNoCurrentRecord();
  ++current_;
}

const Field& Recordset::Fields(size_t position) const {
  if (position >= fields_.size()) ThrowItemNotFound();
  return fields_[position];
}

const Field& Recordset::Fields(std::string_view name) const {
  for (const Field& f : fields_) {
    if (base::EqualsIgnoreCase(f.Name(), name)) return f;
  }
  ThrowItemNotFound();
}

const Row& Recordset::CurrentRow() const {
  if (current_ >= rows_.size()) ThrowNoCurrentRecord();
  return rows_[current_];
}

}  // namespace jet
