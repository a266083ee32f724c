#ifndef JET_INDEX_PAGE_H_
#define JET_INDEX_PAGE_H_

// Index pages and the B-trees made of them. Layout (offsets in format.h):
// type 0x03 (node) or 0x04 (leaf), owner TDEF page, sibling links, the last
// child of a node in the tail field, a bitmap whose bit n marks the end of an
// entry at byte n of the entry area, and the entries, packed from
// kIndexEntries on. Entries after the first drop the prefix they share with
// it. A leaf entry is a key and the row's 3-byte page and row number; a node
// entry is its child's last leaf entry and the child's page number (both
// big-endian). Decoding is the only reader of this layout: the check and the
// writer both go through it; what cannot be decoded raises 3049.

#include <cstdint>
#include <span>
#include <vector>

#include "jet/bytes.h"
#include "jet/format.h"
#include "jet/index_key.h"
#include "jet/page_allocator.h"
#include "jet/tdef.h"

namespace jet {

// One index page, entries whole (shared prefixes put back).
struct IndexPage {
  uint8_t type = format::kPageIndexLeaf;
  uint32_t owner = 0;  // TDEF page of the table
  uint32_t prev = 0;
  uint32_t next = 0;
  uint32_t tail = 0;        // nodes: the last child, 0 for none
  uint16_t free_space = 0;  // as stored
  size_t used = 0;          // entry bytes up to the last bitmap mark
  std::vector<std::vector<uint8_t>> entries;
};

// Decodes an index page; 3049 when it is none or its entries do not decode.
IndexPage DecodeIndexPage(Bytes page);
// Writes `p` over `page` (entries unprefixed); 3049 when they do not fit.
void EncodeIndexPage(std::span<uint8_t> page, const IndexPage& p);

// The child page at the end of a node entry (0 for a shorter entry).
uint32_t ChildPage(const std::vector<uint8_t>& entry);

struct IndexEntry {
  IndexKey key;
  RowId row;
};

// Writes the B-tree of a real index holding exactly `entries` (any order).
// The root page stays where the definition says; other pages of the index's
// usage map are reused, new ones allocated, pages no longer needed freed.
// Returns the number of distinct keys.
uint32_t WriteIndexTree(PageStore& store, uint32_t tdef_page,
                        const RealIndexDef& index,
                        std::vector<IndexEntry> entries);

}  // namespace jet

#endif  // JET_INDEX_PAGE_H_
