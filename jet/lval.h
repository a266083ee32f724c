#ifndef JET_LVAL_H_
#define JET_LVAL_H_

// Long values (Memo/OLE): a 12-byte header in the row (u32 length with the
// kind in its top bits, u32 first row, u32 unused), then the data inline,
// in one LVAL row, or in a chain of LVAL rows each starting with the u32
// pointer to the next. Reading checks lengths, pointers and cycles (3049).

#include <cstdint>
#include <vector>

#include "jet/bytes.h"
#include "jet/page_file.h"

namespace jet {

// The header a Memo/OLE column keeps in its row.
struct LvalHeader {
  uint32_t length = 0;  // bytes of the whole value
  uint8_t kind = 0;     // format::kLvalInline / kLvalSingle / kLvalChain
  RowId first;          // first long-value row (not for inline values)
};

LvalHeader ParseLvalHeader(Bytes field);

// The bytes of a long value whose row field is `field` (header + inline
// data). Chains are followed with cycle detection; the collected length must
// match the header exactly.
std::vector<uint8_t> ReadLongValue(const PageSource& file, Bytes field);

// The long-value rows a value stored outside its row occupies, in chain
// order (empty for an inline value or a field too short for a header). A
// chain is followed to a next pointer of 0 and ends at a row met before; a
// pointer that leads anywhere but to a row of an LVAL page is damage.
std::vector<RowId> LongValueRows(const PageSource& file, Bytes field);

}  // namespace jet

#endif  // JET_LVAL_H_
