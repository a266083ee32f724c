#ifndef JET_USAGE_MAP_H_
#define JET_USAGE_MAP_H_

// Usage maps: a set of page numbers stored as a row. Inline (type 0): u32
// first page, then a bitmap. Reference (type 1): u32 numbers of bitmap pages
// (type 0x05, bits from byte 4), each covering kPagesPerMapPage pages in
// turn; 0 for none. Decoding reads, never changes; damage raises 3049.

#include <cstdint>
#include <vector>

#include "jet/bytes.h"
#include "jet/page_file.h"

namespace jet {

// A set of pages stored as a row: inline (start page + bitmap) or by
// reference (pointers to bitmap pages of type 0x05).
struct UsageMap {
  std::vector<uint32_t> map_pages;  // reference maps; 0 = not allocated
  std::vector<uint32_t> pages;      // members, ascending, < page count
  bool past_end = false;            // some member lay past the file's end
};

// Decodes the map stored in `row`. Pages that lie beyond the end of the file
// are left out (and flagged in `past_end`), as are bitmap pages whose range
// starts there: maps routinely cover more than the file holds.
UsageMap ParseUsageMap(const PageSource& file, Bytes row);

// Reads and decodes the map whose row is at `location`.
UsageMap ReadUsageMap(const PageSource& file, RowId location);

}  // namespace jet

#endif  // JET_USAGE_MAP_H_
