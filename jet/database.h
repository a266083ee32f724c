#ifndef JET_DATABASE_H_
#define JET_DATABASE_H_

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/function_ref.h"
#include "base/value.h"
#include "jet/catalog.h"
#include "jet/page_file.h"
#include "jet/tdef.h"

namespace jet {

class Recordset;

// One row of a table: where it is stored and its values in column order.
struct Row {
  RowId id;
  std::vector<base::Value> values;
};

// An open Jet 4.0 database. Keeps the page cache, the decoded catalog and
// every table definition it has read.
class Database {
 public:
  // 3343 when the file is no Jet 4.0 database, 3024 when it cannot be
  // opened, 3049 when its catalog is damaged.
  static std::unique_ptr<Database> Open(const std::string& path);
  static std::unique_ptr<Database> FromBytes(std::vector<uint8_t> bytes,
                                             const std::string& name);

  PageFile& file() { return *file_; }
  const Header& header() const { return file_->header(); }
  const Catalog& catalog() const { return catalog_; }

  // Names of the local tables in catalog order; system tables only when
  // asked for.
  std::vector<std::string> TableNames(bool include_system) const;
  bool HasTable(std::string_view name) const;
  // Definition of a table by name, case-insensitively (3265 when missing).
  // The reference stays valid while the database is open.
  const TableDef& GetTableDef(std::string_view name) {
    return *SharedTableDef(name);
  }
  std::shared_ptr<const TableDef> SharedTableDef(std::string_view name);
  // The stored name of a table (its letter case), 3265 when missing.
  const std::string& TableName(std::string_view name) const;

  // Every live row of a table in storage order.
  std::vector<Row> ReadRows(std::string_view name);
  // The same rows one by one as cells, one per column
  // (RowReader::DecodeCells), decoded into one reused buffer.
  void VisitRowCells(
      std::string_view name,
      base::FunctionRef<void(RowId, std::span<const uint8_t>)> visit);

  // A table-type record set on a local table (3078 when it is missing).
  std::unique_ptr<Recordset> OpenRecordset(std::string_view name);

 private:
  explicit Database(std::unique_ptr<PageFile> file);
  const TableEntry& Entry(std::string_view name) const;

  std::unique_ptr<PageFile> file_;
  Catalog catalog_;
  std::map<uint32_t, std::shared_ptr<const TableDef>> defs_;  // by TDEF page
};

}  // namespace jet

#endif  // JET_DATABASE_H_
