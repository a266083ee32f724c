#ifndef JET_TABLE_SCAN_H_
#define JET_TABLE_SCAN_H_

// Table scans: the data pages a table's owned map lists that carry its
// mark, their live rows in page and slot order, overflow rows read at their
// target. Read-only; damage raises 3049.

#include <functional>
#include <vector>

#include "jet/bytes.h"
#include "jet/page_file.h"
#include "jet/tdef.h"

namespace jet {

// The data pages of a table: the pages of its owned-pages map that are data
// pages owned by its TDEF (maps may name stale pages; those are skipped).
std::vector<uint32_t> TableDataPages(const PageSource& file,
                                     const TableDef& def);

// Calls `visit(id, row)` for every live row of the table in storage order:
// page by page, slot by slot. Deleted slots are skipped (moved rows are
// stored as deleted slots); an overflow slot is replaced by the row it
// points to, so every row appears once, at the place of its row id.
void ScanTable(const PageSource& file, const TableDef& def,
               const std::function<void(RowId, Bytes)>& visit);

}  // namespace jet

#endif  // JET_TABLE_SCAN_H_
