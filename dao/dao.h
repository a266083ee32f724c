#ifndef DAO_DAO_H_
#define DAO_DAO_H_

#include <cstdint>
#include <memory>
#include <string>

#include "base/file_identity.h"
#include "base/runtime_error.h"
#include "base/value.h"

// The DAO-shaped access layer the build procedures call: the objects and
// operations they use, with DAO's behaviour, implemented on our own Jet
// engine (jet/). Objects are handed out as shared pointers; an empty pointer
// is "no object", and using it fails with 91 (Deref).
namespace dao {

using base::Value;

// DAO field type numbers.
enum FieldType : int {
  dbBoolean = 1,
  dbByte = 2,
  dbInteger = 3,
  dbLong = 4,
  dbCurrency = 5,
  dbSingle = 6,
  dbDouble = 7,
  dbDate = 8,
  dbBinary = 9,
  dbText = 10,
  dbLongBinary = 11,
  dbMemo = 12,
  dbGUID = 15,
  dbDecimal = 20,
};

// A column: of a stored table (through a TableDef), of a table definition
// being built (CreateField), or of a record set's current row.
class Field {
 public:
  virtual ~Field() = default;
  virtual const std::string& Name() const = 0;
  // On a stored table's field this renames the column in the file.
  virtual void SetName(const std::string& name) = 0;
  virtual int Type() const = 0;
  virtual int32_t Size() const = 0;
  // "Name", "Type" or "Size"; anything else fails with 3270.
  virtual Value Properties(const std::string& name) const = 0;
  // The current row's value (record-set fields only; 3021 without a current
  // row, 3020 when setting outside AddNew/Edit).
  virtual Value GetValue() const = 0;
  virtual void SetValue(const Value& value) = 0;
};

// A collection of fields. Items by position (from 0) or by name (without
// regard to case); a missing item fails with 3265.
class Fields {
 public:
  virtual ~Fields() = default;
  virtual int32_t Count() const = 0;
  virtual std::shared_ptr<Field> Item(int32_t index) = 0;
  virtual std::shared_ptr<Field> Item(const std::string& name) = 0;
  // Table definitions only: appends a field made by CreateField.
  virtual void Append(const std::shared_ptr<Field>& field) = 0;
  virtual void Refresh() = 0;
};

class TableDef {
 public:
  virtual ~TableDef() = default;
  virtual const std::string& Name() const = 0;
  virtual Fields& GetFields() = 0;
  virtual std::shared_ptr<Field> CreateField(const std::string& name, int type,
                                             int32_t size) = 0;
};

// The table definitions of a database, in collection order.
class TableDefs {
 public:
  virtual ~TableDefs() = default;
  virtual int32_t Count() const = 0;
  virtual std::shared_ptr<TableDef> Item(int32_t index) = 0;
  virtual std::shared_ptr<TableDef> Item(const std::string& name) = 0;
  virtual void Delete(const std::string& name) = 0;
  virtual void Append(const std::shared_ptr<TableDef>& table) = 0;
  virtual void Refresh() = 0;
};

// A table-type record set (opened with a table name; exact RecordCount) or a
// dynaset (opened with a query; rows in the query's order, fixed when it
// opens). Each Update stores one row in the engine (see DBEngine for when
// it reaches the file).
class Recordset {
 public:
  virtual ~Recordset() = default;
  virtual int32_t RecordCount() const = 0;
  virtual bool IsEOF() const = 0;
  virtual void MoveFirst() = 0;  // 3021 on an empty set
  virtual void MoveNext() = 0;   // 3021 past the end
  virtual Fields& GetFields() = 0;
  virtual void AddNew() = 0;
  virtual void Edit() = 0;
  virtual void Update() = 0;
  virtual void Close() = 0;
};

class Database {
 public:
  virtual ~Database() = default;
  // A table name or a SELECT text.
  virtual std::shared_ptr<Recordset> OpenRecordset(
      const std::string& source) = 0;
  virtual TableDefs& GetTableDefs() = 0;
  virtual std::shared_ptr<TableDef> CreateTableDef(const std::string& name) = 0;
  virtual void Close() = 0;
};

class Workspace {
 public:
  virtual ~Workspace() = default;
  // Opens an existing .mdb shared and read-write.
  virtual std::shared_ptr<Database> OpenDatabase(const std::string& path) = 0;
  // The same for a file the caller has just looked at: `seen` is the
  // identity that look gave, taken in place of a look of the open's own (the
  // build opens the component database once per row, each time right after
  // testing that it exists).
  virtual std::shared_ptr<Database> OpenDatabase(
      const std::string& path, const base::FileIdentity& seen) = 0;
};

// Unlike DAO, which writes every change at once, the engine keeps the
// changes to a file in memory (Close included) until CommitChanges puts all
// of them into the file in one atomic replacement. Changes never committed
// are dropped: the file on disk stays as it was.
class DBEngine {
 public:
  virtual ~DBEngine() = default;
  virtual Workspace& Workspaces(int index) = 0;  // 0 only; else 3265
  // Commits the pending changes of the file at `path` (the path it was
  // opened with); nothing when there are none. A failure (the engine's
  // number and text) leaves the file as it was.
  virtual void CommitChanges(const std::string& path) = 0;
  // Drops the pending changes of the file at `path`; it is read anew when
  // next opened.
  virtual void DropChanges(const std::string& path) = 0;
};

// The engine on our Jet implementation.
std::unique_ptr<DBEngine> CreateDBEngine();

// Uses an object variable; "no object" fails with 91 as in the classic
// runtime.
template <typename T>
T& Deref(const std::shared_ptr<T>& object) {
  if (!object) {
    throw base::Error(base::err::kObjectNotSet, "Corvane_Config");
  }
  return *object;
}

}  // namespace dao

#endif  // DAO_DAO_H_
