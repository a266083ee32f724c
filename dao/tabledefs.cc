#include "dao/tabledefs.h"

#include <vector>

#include "base/text.h"
#include "dao/errors.h"
#include "jet/dao_type.h"

namespace dao_jet {
namespace {

base::Value FieldProperty(const dao::Field& field, const std::string& name) {
  if (base::EqualsIgnoreCase(name, "Name")) {
    return base::Value::Text(field.Name());
  }
  if (base::EqualsIgnoreCase(name, "Type")) {
    return base::Value::Integer(static_cast<int16_t>(field.Type()));
  }
  if (base::EqualsIgnoreCase(name, "Size")) {
    return base::Value::Long(field.Size());
  }
  Throw(kPropertyNotFound, kSourceField);
}

// Size DAO reports for a field of a fixed type, whatever was asked for.
int32_t NaturalSize(int type, int32_t size) {
  switch (type) {
    case dao::dbBoolean:
    case dao::dbByte:
      return 1;
    case dao::dbInteger:
      return 2;
    case dao::dbLong:
    case dao::dbSingle:
      return 4;
    case dao::dbCurrency:
    case dao::dbDouble:
    case dao::dbDate:
      return 8;
    case dao::dbGUID:
    case dao::dbDecimal:
      return 16;
    case dao::dbMemo:
    case dao::dbLongBinary:
      return 0;
    default:
      return size;
  }
}

// A field made by CreateField: only a description until its table is
// appended.
class NewField : public dao::Field {
 public:
  NewField(std::string name, int type, int32_t size)
      : name_(std::move(name)), type_(type), size_(size) {}

  const std::string& Name() const override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
  int Type() const override { return type_; }
  int32_t Size() const override { return NaturalSize(type_, size_); }
  base::Value Properties(const std::string& name) const override {
    return FieldProperty(*this, name);
  }
  base::Value GetValue() const override { ThrowInvalidOperation(kSourceField); }
  void SetValue(const base::Value&) override {
    ThrowInvalidOperation(kSourceField);
  }

 private:
  std::string name_;
  int type_;
  int32_t size_;
};

// A column of a stored table; renaming it renames the column in the file.
class StoredField : public dao::Field {
 public:
  StoredField(std::shared_ptr<OpenFile> file, std::string table,
              std::string name)
      : file_(std::move(file)),
        table_(std::move(table)),
        name_(std::move(name)) {}

  const std::string& Name() const override { return name_; }
  void SetName(const std::string& name) override {
    if (name == name_) return;
    WithSource(kSourceField, [&] {
      const jet::TableDef& def = file_->reader().GetTableDef(table_);
      int other = def.FindColumn(name);
      if (other >= 0 && other != def.FindColumn(name_)) {
        Throw(kFieldExists, kSourceField);
      }
      file_->storage().RenameColumn(table_, name_, name);
      file_->ChangedStructure();
    });
    name_ = name;
  }
  int Type() const override {
    return static_cast<int>(jet::DaoTypeOf(Column()));
  }
  int32_t Size() const override { return jet::DaoSizeOf(Column()); }
  base::Value Properties(const std::string& name) const override {
    return FieldProperty(*this, name);
  }
  base::Value GetValue() const override { ThrowInvalidOperation(kSourceField); }
  void SetValue(const base::Value&) override {
    ThrowInvalidOperation(kSourceField);
  }

 private:
  const jet::ColumnDef& Column() const {
    return WithSource(kSourceField, [&]() -> const jet::ColumnDef& {
      const jet::TableDef& def = file_->reader().GetTableDef(table_);
      int position = def.FindColumn(name_);
      if (position < 0) ThrowItemNotFound(kSourceField);
      return def.columns[position];
    });
  }

  std::shared_ptr<OpenFile> file_;
  std::string table_;
  std::string name_;
};

class TableDefImpl;

class TableDefFields : public dao::Fields {
 public:
  explicit TableDefFields(TableDefImpl& owner) : owner_(owner) {}
  int32_t Count() const override;
  std::shared_ptr<dao::Field> Item(int32_t index) override;
  std::shared_ptr<dao::Field> Item(const std::string& name) override;
  void Append(const std::shared_ptr<dao::Field>& field) override;
  void Refresh() override {}

 private:
  TableDefImpl& owner_;
};

// A table definition: new (fields kept here) until TableDefs.Append stores
// it, stored (fields read from the file) afterwards.
class TableDefImpl : public dao::TableDef {
 public:
  explicit TableDefImpl(std::string name) : name_(std::move(name)) {}
  TableDefImpl(std::shared_ptr<OpenFile> file, std::string name)
      : file_(std::move(file)), name_(std::move(name)) {}

  const std::string& Name() const override { return name_; }
  dao::Fields& GetFields() override { return fields_; }
  std::shared_ptr<dao::Field> CreateField(const std::string& name, int type,
                                          int32_t size) override {
    return std::make_shared<NewField>(name, type, size);
  }

  bool stored() const { return file_ != nullptr; }
  const std::shared_ptr<OpenFile>& file() const { return file_; }
  std::vector<std::shared_ptr<NewField>>& new_fields() { return new_fields_; }
  const jet::TableDef& Def() const {
    return WithSource(kSourceFields, [&]() -> const jet::TableDef& {
      return file_->reader().GetTableDef(name_);
    });
  }

  // Appended to `file` under the stored name.
  void BecomeStored(std::shared_ptr<OpenFile> file) {
    file_ = std::move(file);
    new_fields_.clear();
  }

 private:
  std::shared_ptr<OpenFile> file_;
  std::string name_;
  std::vector<std::shared_ptr<NewField>> new_fields_;
  TableDefFields fields_{*this};
};

int32_t TableDefFields::Count() const {
  if (!owner_.stored()) return static_cast<int32_t>(owner_.new_fields().size());
  return static_cast<int32_t>(owner_.Def().columns.size());
}

std::shared_ptr<dao::Field> TableDefFields::Item(int32_t index) {
  if (index < 0 || index >= Count()) ThrowItemNotFound(kSourceFields);
  if (!owner_.stored()) return owner_.new_fields()[index];
  return std::make_shared<StoredField>(owner_.file(), owner_.Name(),
                                       owner_.Def().columns[index].name);
}

std::shared_ptr<dao::Field> TableDefFields::Item(const std::string& name) {
  if (!owner_.stored()) {
    for (const std::shared_ptr<NewField>& f : owner_.new_fields()) {
      if (base::EqualsIgnoreCase(f->Name(), name)) return f;
    }
    ThrowItemNotFound(kSourceFields);
  }
  int position = owner_.Def().FindColumn(name);
  if (position < 0) ThrowItemNotFound(kSourceFields);
  return std::make_shared<StoredField>(owner_.file(), owner_.Name(),
                                       owner_.Def().columns[position].name);
}

void TableDefFields::Append(const std::shared_ptr<dao::Field>& field) {
  auto created = std::dynamic_pointer_cast<NewField>(field);
  // Adding columns to a stored table is not something the program does.
  if (owner_.stored() || !created) ThrowInvalidOperation(kSourceFields);
  for (const std::shared_ptr<NewField>& f : owner_.new_fields()) {
    if (base::EqualsIgnoreCase(f->Name(), created->Name())) {
      Throw(kNameExists, kSourceFields);
    }
  }
  owner_.new_fields().push_back(std::move(created));
}

class TableDefsImpl : public dao::TableDefs {
 public:
  explicit TableDefsImpl(std::shared_ptr<OpenFile> file)
      : file_(std::move(file)) {}

  int32_t Count() const override {
    return static_cast<int32_t>(file_->reader().TableNames(false).size());
  }
  std::shared_ptr<dao::TableDef> Item(int32_t index) override {
    std::vector<std::string> names = file_->reader().TableNames(false);
    if (index < 0 || static_cast<size_t>(index) >= names.size()) {
      ThrowItemNotFound(kSourceTableDefs);
    }
    return std::make_shared<TableDefImpl>(file_, names[index]);
  }
  std::shared_ptr<dao::TableDef> Item(const std::string& name) override {
    const std::string* stored = file_->TableName(name);
    if (!stored) ThrowItemNotFound(kSourceTableDefs);
    return std::make_shared<TableDefImpl>(file_, *stored);
  }

  void Delete(const std::string& name) override {
    const std::string* stored = file_->TableName(name);
    if (!stored) ThrowItemNotFound(kSourceTableDefs);
    std::string table = *stored;
    WithSource(kSourceTableDefs, [&] {
      file_->storage().DropTable(table);
      file_->ChangedStructure();
    });
  }

  void Append(const std::shared_ptr<dao::TableDef>& table) override {
    auto def = std::dynamic_pointer_cast<TableDefImpl>(table);
    if (!def) ThrowInvalidOperation(kSourceTableDefs);
    if (def->stored()) {
      Throw(kNameExists, kSourceTableDefs);
    }
    if (file_->TableName(def->Name())) {
      Throw(kTableExists, kSourceTableDefs, def->Name());
    }
    if (def->new_fields().empty()) {
      Throw(kNoFieldDefined, kSourceTableDefs);
    }
    std::vector<NewColumn> columns;
    for (const auto& f : def->new_fields()) {
      columns.push_back({f->Name(), f->Type(), f->Size()});
    }
    WithSource(kSourceTableDefs, [&] {
      file_->storage().CreateTable(def->Name(), columns);
      file_->ChangedStructure();
    });
    def->BecomeStored(file_);
  }

  void Refresh() override {}

 private:
  std::shared_ptr<OpenFile> file_;
};

}  // namespace

std::shared_ptr<dao::TableDef> MakeNewTableDef(const std::string& name) {
  return std::make_shared<TableDefImpl>(name);
}

std::unique_ptr<dao::TableDefs> MakeTableDefs(std::shared_ptr<OpenFile> file) {
  return std::make_unique<TableDefsImpl>(std::move(file));
}

}  // namespace dao_jet
