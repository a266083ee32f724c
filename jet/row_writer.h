#ifndef JET_ROW_WRITER_H_
#define JET_ROW_WRITER_H_

// Row images: the inverse of row_reader.h (u16 column count, fixed area,
// variable data, variable offset table, u16 variable count, null mask).
// Values that do not fit raise 3163; the caller's unit of change puts back
// any long-value rows stored on the way.

#include <cstdint>
#include <vector>

#include "base/value.h"
#include "jet/lval_writer.h"
#include "jet/tdef.h"

namespace jet {

// Stored bytes of a text value: compressed (FF FE + one byte per character)
// when the column allows it and every character is in U+0001..U+00FF, the
// text has more than two and at most 1024 characters; UTF-16LE otherwise.
std::vector<uint8_t> EncodeText(const std::u16string& text, bool compressible);

// The value bytes of one fixed-size column (Booleans excluded). Values are
// converted to the column type with the runtime's rules (13, 6, 94).
std::vector<uint8_t> EncodeFixedValue(const ColumnDef& c, const base::Value& v);

// Builds a row image for `t` from values indexed by column number (missing
// or Empty entries are Null). Memo/OLE data goes through `lval` (needed only
// when the table has such columns). Text longer than the column fails with
// 3163; a row above 4060 bytes fails with 3163 too.
std::vector<uint8_t> EncodeRow(const TableDef& t,
                               const std::vector<base::Value>& by_number,
                               LvalWriter* lval);

}  // namespace jet

#endif  // JET_ROW_WRITER_H_
