#ifndef JET_CATALOG_WRITER_H_
#define JET_CATALOG_WRITER_H_

// Changes to tables as a whole: definitions loaded with the reader and
// stored back, rows appended, index B-trees (index_page.h) rebuilt from the
// live rows, catalog rows inserted and new
// tables created. These change pages in place; a caller wraps them in a unit
// of change (PageStore::BeginChange) so a failure leaves the store as
// before.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/value.h"
#include "jet/catalog.h"
#include "jet/format.h"
#include "jet/index_page.h"
#include "jet/page_allocator.h"
#include "jet/table_scan.h"
#include "jet/tdef.h"
#include "jet/tdef_writer.h"

namespace jet {

// Reads a table definition from the store.
TableDef LoadTableDef(const PageStore& store, uint32_t tdef_page);
// Serializes and writes it back (TDEF chain adjusted).
void StoreTableDef(PageStore& store, const TableDef& def);
// Writes only the row count, last AutoNumber and unique-entry counters, which
// live on the first TDEF page; the rest of the definition stays byte for byte.
void StoreTableCounters(PageStore& store, const TableDef& def);

// The key of a stored row for one real index. nullopt when the index ignores
// nulls and every key column is NULL.
std::optional<IndexKey> RowIndexKey(const TableDef& def,
                                    const RealIndexDef& index,
                                    std::span<const uint8_t> row);

// Rebuilds every real index of a table from its live rows and raises the
// unique-entry counters where needed (the caller stores the definition).
void RebuildIndexes(PageStore& store, TableDef& def);

// Adds a row image to a table: on the page given by `hint` (the page last
// written) when it has room, else on a new data page that joins the table's
// owned and free-space maps. Updates `def.row_count` (not stored).
RowId AppendRowImage(PageStore& store, TableDef& def,
                     std::span<const uint8_t> row, uint32_t* hint);

// Values by column number for the named columns, Null elsewhere; a missing
// column fails (3049) unless its value is Null.
std::vector<base::Value> RowValues(
    const TableDef& def,
    std::initializer_list<std::pair<const char*, base::Value>> values);

// Appends rows (values by column number) to a table without unique keys to
// check: all rows first, then one index rebuild and the counters.
void AppendRows(PageStore& store, uint32_t tdef_page,
                const std::vector<std::vector<base::Value>>& rows);

// --- the system catalog ---

// One MSysObjects row as the engine writes it.
struct CatalogRow {
  int32_t id;
  int32_t parent;
  std::string name;
  int16_t type;
  uint32_t flags;
  base::Value owner;
  base::Value lvprop = base::Value::Null();
};

// Inserts one MSysObjects row, created and updated `now`, and brings the
// catalog's indexes and row count up to date.
RowId InsertCatalogRow(PageStore& store, const CatalogRow& r, double now);

// Creates an empty user table with the given fields and no indexes: TDEF,
// usage maps, catalog row with both index entries, and MSysACEs rows for the
// new table. Table names compare without regard to case: an existing name
// fails with 3010 "Table 'X' already exists.". Returns the TDEF page.
uint32_t CreateTable(PageStore& store, const std::string& name,
                     const std::vector<FieldDesc>& fields, double now);

// Checks a table or column name the way Jet does (1-64 characters, no
// leading space, no control characters, none of . ! ` [ ]); fails with 3125.
void ValidateObjectName(const std::string& name);

// The current time as an OLE date (local time is not known here: UTC).
double NowAsOleDate();

}  // namespace jet

#endif  // JET_CATALOG_WRITER_H_
