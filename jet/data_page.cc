#include "jet/data_page.h"

namespace jet {

uint16_t RowCount(Bytes page) {
  uint16_t n = U16(page, format::kDataRowCount);
  if (format::kDataRowTable + 2u * n > page.size()) {
    ThrowCorrupt("row offset table exceeds the page");
  }
  return n;
}

RowSlot GetRowSlot(Bytes page, uint16_t row) {
  uint16_t n = RowCount(page);
  if (row >= n) ThrowCorrupt("row number beyond the row offset table");
  uint16_t entry = U16(page, format::kDataRowTable + 2u * row);
  RowSlot s;
  s.start = entry & format::kRowOffsetMask;
  s.deleted = (entry & format::kRowDeleted) != 0;
  s.overflow = (entry & format::kRowOverflow) != 0;
  s.end = row == 0 ? static_cast<uint16_t>(format::kPageSize)
                   : static_cast<uint16_t>(
                         U16(page, format::kDataRowTable + 2u * (row - 1)) &
                         format::kRowOffsetMask);
  // Deleted rows may be stale garbage; only a live extent must make sense.
  if (s.start < format::kDataRowTable + 2u * n || s.end < s.start ||
      s.end > format::kPageSize) {
    if (s.deleted && !s.overflow) {
      s.start = s.end = 0;
      return s;
    }
    ThrowCorrupt("row extent outside its page");
  }
  return s;
}

RowId FollowOverflow(const PageSource& file, RowId id) {
  // Jet writes at most one hop; allow a few more and stop any cycle.
  for (int hop = 0; hop < 8; ++hop) {
    Bytes page = file.ReadPage(id.page);
    if (page[0] != format::kPageData)
      ThrowCorrupt("row pointer to a non-data page");
    RowSlot s = GetRowSlot(page, id.row);
    if (!s.overflow) return id;
    id = ReadRowId(SlotBytes(page, s), 0, "overflow pointer");
  }
  ThrowCorrupt("overflow row pointers form a cycle");
}

Bytes LocateRow(const PageSource& file, RowId id) {
  id = FollowOverflow(file, id);
  Bytes page = file.ReadPage(id.page);
  return SlotBytes(page, GetRowSlot(page, id.row));
}

}  // namespace jet
