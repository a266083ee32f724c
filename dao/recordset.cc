#include "dao/recordset.h"

#include "base/text.h"
#include "dao/convert.h"
#include "dao/errors.h"
#include "jet/dao_type.h"
#include "jet/format.h"
#include "jet/query_key.h"

namespace dao_jet {

void Cursor::CheckOpen() const {
  if (closed) ThrowObjectInvalid(kSourceRecordset);
}

void Cursor::Replace(size_t i, jet::RowId id) {
  if (i >= fixed->size()) {
    added[i - fixed->size()] = id;
  } else if (!((*fixed)[i] == id)) {
    auto copy = std::make_shared<std::vector<jet::RowId>>(*fixed);
    (*copy)[i] = id;
    fixed = std::move(copy);
  }
}

jet::RowId Cursor::CurrentRow() const {
  if (current >= Count()) ThrowNoCurrentRecord(kSourceField);
  const jet::RowId id = At(current);
  if (!rows->Contains(id)) Throw(kRecordDeleted, kSourceField);
  return id;
}

// A field of the record set's current row. It lives in its cursor, which
// whoever holds the field keeps alive.
class RecordsetField : public dao::Field {
 public:
  RecordsetField(Cursor* cursor, size_t column)
      : cursor_(cursor), column_(column) {}

  const std::string& Name() const override { return Column().name; }
  void SetName(const std::string&) override { Throw(kReadOnly, kSourceField); }
  int Type() const override {
    return static_cast<int>(jet::DaoTypeOf(Column()));
  }
  int32_t Size() const override { return jet::DaoSizeOf(Column()); }
  base::Value Properties(const std::string& name) const override {
    if (base::EqualsIgnoreCase(name, "Name")) return base::Value::Text(Name());
    if (base::EqualsIgnoreCase(name, "Type")) {
      return base::Value::Integer(static_cast<int16_t>(Type()));
    }
    if (base::EqualsIgnoreCase(name, "Size")) return base::Value::Long(Size());
    Throw(kPropertyNotFound, kSourceField);
  }

  base::Value GetValue() const override {
    cursor_->CheckOpen();
    if (cursor_->mode != Cursor::Mode::kNone) return cursor_->buffer[column_];
    return cursor_->rows->Cell(cursor_->CurrentRow(), column_);
  }

  void SetValue(const base::Value& value) override {
    cursor_->CheckOpen();
    if (cursor_->mode == Cursor::Mode::kNone) {
      Throw(kUpdateWithoutEdit, kSourceField);
    }
    cursor_->buffer[column_] = ConvertForColumn(Column(), value);
  }

 private:
  const jet::ColumnDef& Column() const {
    cursor_->CheckOpen();
    return cursor_->rows->def().columns[column_];
  }

  Cursor* cursor_;
  size_t column_;
};

Cursor::Cursor() = default;

Cursor::~Cursor() {
  rows.reset();
  if (file) file->DropUnusedRows(nullptr);
}

namespace {

class RecordsetFields : public dao::Fields {
 public:
  explicit RecordsetFields(std::shared_ptr<Cursor> cursor)
      : cursor_(std::move(cursor)) {}

  int32_t Count() const override {
    cursor_->CheckOpen();
    return static_cast<int32_t>(cursor_->columns.size());
  }
  std::shared_ptr<dao::Field> Item(int32_t index) override {
    cursor_->CheckOpen();
    if (index < 0 || static_cast<size_t>(index) >= cursor_->columns.size()) {
      ThrowItemNotFound(kSourceFields);
    }
    return FieldAt(static_cast<size_t>(index));
  }
  std::shared_ptr<dao::Field> Item(const std::string& name) override {
    cursor_->CheckOpen();
    if (!cursor_->names) cursor_->names = std::make_shared<FieldNames>();
    FieldNames& names = *cursor_->names;
    if (names.def != cursor_->rows->shared_def()) {
      names.def = cursor_->rows->shared_def();
      names.known.clear();
    }
    const size_t count = names.known.size();
    size_t at = names.next < count ? names.next : 0;
    for (size_t k = 0; k < count; ++k) {
      if (names.known[at].first == name) {
        names.next = at + 1;
        return FieldAt(names.known[at].second);
      }
      if (++at == count) at = 0;
    }
    const size_t i = FindField(name);
    if (names.known.size() < kMaxKnownNames) names.known.emplace_back(name, i);
    return FieldAt(i);
  }
  void Append(const std::shared_ptr<dao::Field>&) override {
    cursor_->CheckOpen();
    ThrowInvalidOperation(kSourceFields);
  }
  void Refresh() override { cursor_->CheckOpen(); }

 private:
  static constexpr size_t kMaxKnownNames = 64;

  // The field of a name (3265 when there is none).
  size_t FindField(const std::string& name) const {
    const jet::TableDef& def = cursor_->rows->def();
    const std::vector<size_t>& columns = cursor_->columns;
    // The program mostly spells names as stored: an exact match first.
    for (size_t i = 0; i < columns.size(); ++i) {
      if (def.columns[columns[i]].name == name) return i;
    }
    for (size_t i = 0; i < columns.size(); ++i) {
      if (jet::SameName(def.columns[columns[i]].name, name)) return i;
    }
    ThrowItemNotFound(kSourceFields);
  }

  // The field objects hold nothing but the cursor and a column, so one per
  // field serves every access.
  std::shared_ptr<dao::Field> FieldAt(size_t i) {
    std::vector<RecordsetField>& made = cursor_->fields;
    if (made.empty()) {
      made.reserve(cursor_->columns.size());
      for (size_t column : cursor_->columns) {
        made.emplace_back(cursor_.get(), column);
      }
    }
    return std::shared_ptr<dao::Field>(cursor_, &made[i]);
  }

  std::shared_ptr<Cursor> cursor_;
};

class RecordsetImpl : public dao::Recordset {
 public:
  explicit RecordsetImpl(std::shared_ptr<Cursor> cursor)
      : cursor_(std::move(cursor)), fields_(cursor_) {}

  int32_t RecordCount() const override {
    cursor_->CheckOpen();
    return static_cast<int32_t>(cursor_->Count());
  }
  bool IsEOF() const override {
    cursor_->CheckOpen();
    return cursor_->current >= cursor_->Count();
  }
  void MoveFirst() override {
    cursor_->CheckOpen();
    cursor_->mode = Cursor::Mode::kNone;
    if (cursor_->Count() == 0) ThrowNoCurrentRecord(kSourceRecordset);
    cursor_->current = 0;
  }
  void MoveNext() override {
    cursor_->CheckOpen();
    cursor_->mode = Cursor::Mode::kNone;
    if (cursor_->current >= cursor_->Count()) {
      ThrowNoCurrentRecord(kSourceRecordset);
    }
    ++cursor_->current;
    // The row after this one is mostly the next to be read.
    if (cursor_->current + 1 < cursor_->Count()) {
      cursor_->rows->Prefetch(cursor_->At(cursor_->current + 1));
    }
  }
  dao::Fields& GetFields() override {
    cursor_->CheckOpen();
    return fields_;
  }

  void AddNew() override {
    cursor_->CheckOpen();
    // A pending AddNew or Edit is dropped, as DAO does.
    // Each column as ConvertForColumn makes Empty: False for a Yes/No
    // column, else Null.
    const std::vector<jet::ColumnDef>& columns = cursor_->rows->def().columns;
    cursor_->buffer.resize(columns.size());
    for (size_t c = 0; c < columns.size(); ++c) {
      cursor_->buffer[c] = columns[c].type == jet::format::kTypeBoolean
                               ? base::Value::Boolean(false)
                               : base::Value::Null();
    }
    cursor_->mode = Cursor::Mode::kAddNew;
  }

  void Edit() override {
    cursor_->CheckOpen();
    cursor_->mode = Cursor::Mode::kNone;
    // The buffer's room is reused row after row.
    WithSource(kSourceRecordset, [&] {
      cursor_->rows->Values(cursor_->CurrentRow(), cursor_->buffer);
    });
    cursor_->mode = Cursor::Mode::kEdit;
  }

  void Update() override {
    cursor_->CheckOpen();
    Cursor& c = *cursor_;
    if (c.mode == Cursor::Mode::kNone) {
      Throw(kUpdateWithoutEdit, kSourceRecordset);
    }
    if (!c.file->IsCurrent(c.table, c.rows.get())) {
      ThrowObjectInvalid(kSourceRecordset);  // its table was dropped
    }
    WithSource(kSourceRecordset, [&] {
      Storage& storage = c.file->storage();
      if (c.mode == Cursor::Mode::kAddNew) {
        jet::RowId id = storage.InsertRow(c.table, c.buffer);
        c.file->Changed(c.rows.get());
        c.rows->Insert(id, c.buffer);
        // The new row joins the set at its end; the position stays.
        bool at_end = c.current >= c.Count();
        c.added.push_back(id);
        if (at_end) c.current = c.Count();
      } else {
        jet::RowId id = c.At(c.current);
        jet::RowId moved_to = storage.UpdateRow(c.table, id, c.buffer);
        c.file->Changed(c.rows.get());
        c.rows->Update(id, moved_to, c.buffer);
        c.Replace(c.current, moved_to);
      }
    });
    c.mode = Cursor::Mode::kNone;
    c.buffer.clear();
  }

  void Close() override {
    cursor_->CheckOpen();
    cursor_->closed = true;
    cursor_->mode = Cursor::Mode::kNone;
  }

 private:
  std::shared_ptr<Cursor> cursor_;
  RecordsetFields fields_;
};

}  // namespace

std::shared_ptr<dao::Recordset> MakeRecordset(std::shared_ptr<Cursor> cursor) {
  return std::make_shared<RecordsetImpl>(std::move(cursor));
}

}  // namespace dao_jet
