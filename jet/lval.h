#ifndef JET_LVAL_H_
#define JET_LVAL_H_

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

}  // namespace jet

#endif  // JET_LVAL_H_
