#ifndef JET_CATALOG_H_
#define JET_CATALOG_H_

// The system catalog MSysObjects (TDEF on page 2): one row per object; a
// local table's Id holds its TDEF page. Read-only; damage raises 3049.

#include <cstdint>
#include <string>
#include <vector>

#include "jet/bytes.h"
#include "jet/format.h"
#include "jet/page_file.h"

namespace jet {

// One row of MSysObjects, the columns the engine uses.
struct CatalogEntry {
  RowId row;       // where the catalog row is stored
  int32_t id = 0;  // for a local table: its TDEF page
  int32_t parent_id = 0;
  std::string name;
  int16_t type = 0;
  uint32_t flags = 0;

  // The TDEF page when the entry is a table, else 0.
  uint32_t TablePage() const {
    return type == format::kObjectTypeTable
               ? static_cast<uint32_t>(id) & format::kObjectIdPageMask
               : 0;
  }
};

struct TableEntry {
  std::string name;
  uint32_t tdef_page = 0;
  bool system = false;  // MSys… tables and objects flagged as system
};

// Every row of MSysObjects (TDEF on page 2), in stored order.
std::vector<CatalogEntry> ReadCatalogEntries(const PageSource& file);

// The Id of the "Tables" container (a child of the catalog root), 0 when
// the catalog has none.
int32_t TablesContainerId(const std::vector<CatalogEntry>& entries);

class Catalog {
 public:
  // Reads MSysObjects (TDEF on page 2).
  static Catalog Read(const PageSource& file);

  const std::vector<CatalogEntry>& entries() const { return entries_; }
  // Local tables in the "Tables" container, in catalog order.
  const std::vector<TableEntry>& tables() const { return tables_; }
  int32_t tables_container_id() const { return tables_container_id_; }
  // The table of that name (case-insensitive), or nullptr.
  const TableEntry* FindTable(std::string_view name) const;

 private:
  std::vector<CatalogEntry> entries_;
  std::vector<TableEntry> tables_;
  int32_t tables_container_id_ = 0;
};

}  // namespace jet

#endif  // JET_CATALOG_H_
