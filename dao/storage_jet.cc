// Storage on the engine's writer (jet::DatabaseWriter): the file held in
// memory; Save replaces the file with the whole image at once (a temporary
// file beside it, synced, renamed over it), so the file on disk is always
// either as it was or as committed, never a mix.
#include "base/runtime_error.h"
#include "dao/dao.h"
#include "dao/errors.h"
#include "dao/storage.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "jet/integrity.h"

namespace dao_jet {
namespace {

uint8_t StoredType(int dao_type) {
  namespace f = jet::format;
  switch (dao_type) {
    case dao::dbBoolean:
      return f::kTypeBoolean;
    case dao::dbByte:
      return f::kTypeByte;
    case dao::dbInteger:
      return f::kTypeInteger;
    case dao::dbLong:
      return f::kTypeLong;
    case dao::dbCurrency:
      return f::kTypeCurrency;
    case dao::dbSingle:
      return f::kTypeSingle;
    case dao::dbDouble:
      return f::kTypeDouble;
    case dao::dbDate:
      return f::kTypeDate;
    case dao::dbBinary:
      return f::kTypeBinary;
    case dao::dbText:
      return f::kTypeText;
    case dao::dbLongBinary:
      return f::kTypeOle;
    case dao::dbMemo:
      return f::kTypeMemo;
    case dao::dbGUID:
      return f::kTypeGuid;
    case dao::dbDecimal:
      return f::kTypeNumeric;
  }
  Throw(kInvalidFieldType, kSourceTableDefs);
}

class JetStorage : public Storage {
 public:
  JetStorage(const std::string& path, const std::vector<uint8_t>* image)
      : path_(path),
        writer_(image ? jet::DatabaseWriter::FromCheckedBytes(*image)
                      : jet::DatabaseWriter::Open(path)) {}

  jet::RowId InsertRow(std::string_view table,
                       std::vector<base::Value>& values) override {
    jet::RowId id = writer_->Insert(table, ByNumber(table, values));
    const jet::TableDef& def = writer_->Def(table);
    for (size_t i = 0; i < def.columns.size() && i < values.size(); ++i) {
      const jet::ColumnDef& c = def.columns[i];
      if ((c.flags & jet::format::kColFlagAutoNumber) &&
          c.type == jet::format::kTypeLong &&
          (values[i].IsNull() || values[i].IsEmpty())) {
        values[i] =
            base::Value::Long(static_cast<int32_t>(def.last_autonumber));
      }
    }
    return id;
  }

  jet::RowId UpdateRow(std::string_view table, jet::RowId id,
                       const std::vector<base::Value>& values) override {
    writer_->Update(table, id, ByNumber(table, values));
    return id;  // a row that moves keeps its id
  }

  void CreateTable(const std::string& name,
                   const std::vector<NewColumn>& columns) override {
    std::vector<jet::FieldDesc> fields;
    for (const NewColumn& c : columns) {
      if (c.size < 0 || c.size > 0xFFFF) {
        Throw(kInvalidFieldType, kSourceTableDefs);
      }
      fields.push_back(
          {c.name, StoredType(c.type), static_cast<uint16_t>(c.size)});
    }
    writer_->CreateTable(name, fields);
  }

  void DropTable(std::string_view table) override { writer_->DropTable(table); }

  void RenameColumn(std::string_view table, std::string_view from,
                    const std::string& to) override {
    writer_->RenameColumn(table, from, to);
  }

  // A damaged image (an engine fault) is refused, not committed.
  void Save() override {
    writer_->Flush();
    if (!jet::FindDamage(writer_->store()).empty()) ThrowDamaged(path_);
    writer_->Save(path_);
  }

  std::unique_ptr<jet::Database> OpenReader() override {
    writer_->Flush();
    return jet::Database::FromBytes(writer_->bytes(), path_);
  }

 private:
  // Values in column order as the writer takes them: by column number. The
  // values themselves where both orders agree (tables this engine made).
  const std::vector<base::Value>& ByNumber(
      std::string_view table, const std::vector<base::Value>& values) {
    const jet::TableDef& def = writer_->Def(table);
    bool same =
        values.size() == def.max_cols && values.size() == def.columns.size();
    for (size_t i = 0; same && i < values.size(); ++i) {
      same = def.columns[i].number == i;
    }
    if (same) return values;
    by_number_.assign(def.max_cols, base::Value::Null());
    for (size_t i = 0; i < def.columns.size() && i < values.size(); ++i) {
      uint16_t n = def.columns[i].number;
      if (by_number_.size() <= n) {
        by_number_.resize(n + 1u, base::Value::Null());
      }
      by_number_[n] = values[i];
    }
    return by_number_;
  }

  std::string path_;
  std::unique_ptr<jet::DatabaseWriter> writer_;
  std::vector<base::Value> by_number_;  // reused between rows
};

}  // namespace

std::unique_ptr<Storage> OpenStorage(
    const std::string& path, const std::vector<uint8_t>* checked_image) {
  return std::make_unique<JetStorage>(path, checked_image);
}

}  // namespace dao_jet
