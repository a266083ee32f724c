#ifndef JET_DATA_PAGE_H_
#define JET_DATA_PAGE_H_

// Data pages (type 0x01): table rows, long-value rows (owner "LVAL") and
// usage-map rows.
//
//   0: type 0x01   1: 0x01   2: u16 free bytes   4: u32 owner (TDEF page)
//   12: u16 row count   14: u16 offset per row, row 0 first
//   ... free space ...   rows packed from the page's end downwards
//
// Row n spans [offset n, offset n-1) (row 0 ends at the page end); the top
// bits of an offset flag the row deleted (0x8000) or an overflow pointer
// (0x4000) whose 4 bytes name the row's real place. Live extents lie behind
// the offset table; a deleted row's extent may be garbage. These readers
// raise 3049 on anything else; the writer's editing half is in
// page_allocator.h.

#include <cstdint>

#include "jet/bytes.h"
#include "jet/page_file.h"

namespace jet {

// One entry of a data page's row offset table, with the row's extent.
struct RowSlot {
  uint16_t start = 0;  // first byte of the row in the page
  uint16_t end = 0;    // one past its last byte
  bool deleted = false;
  bool overflow = false;  // the row holds only a pointer to its real image
  size_t length() const { return size_t{end} - start; }
};

// Number of rows in the offset table of a data page (checked against the
// page size).
uint16_t RowCount(Bytes page);

// The slot of row `row` of a data page; its extent is checked to lie inside
// the page behind the offset table.
RowSlot GetRowSlot(Bytes page, uint16_t row);

// The bytes of a row slot.
inline Bytes SlotBytes(Bytes page, const RowSlot& s) {
  return page.subspan(s.start, s.end - s.start);
}

// Where the row a pointer refers to is stored, following overflow pointers
// (with a hop limit, so a pointer cycle is reported as damage). Deleted flags
// are not looked at: overflow targets carry one.
RowId FollowOverflow(const PageSource& file, RowId id);

// The bytes of the row at FollowOverflow(id).
Bytes LocateRow(const PageSource& file, RowId id);

}  // namespace jet

#endif  // JET_DATA_PAGE_H_
