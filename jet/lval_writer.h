#ifndef JET_LVAL_WRITER_H_
#define JET_LVAL_WRITER_H_

// Writing long values (layout in lval.h) into LVAL data pages listed by the
// column's owned and free-space maps. The rows a value occupies are found
// with the reader's LongValueRows, so reader and writer agree on a chain.

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "jet/page_allocator.h"
#include "jet/tdef.h"

namespace jet {

// Stores Memo/OLE data and returns what goes into the row's variable slot:
// the 12-byte long-value header, followed by the data when it is kept inline.
// Forms: inline (at most 64 bytes and room in the row), one LVAL row (up to
// 4076 bytes), or a chain of LVAL rows of up to 4072 data bytes each. LVAL
// pages are data pages tagged "LVAL" and listed in the column's two maps.
class LvalWriter {
 public:
  explicit LvalWriter(PageStore& store) : store_(store) {}

  // `room` is how many bytes the row can still give this value inline.
  std::vector<uint8_t> Write(const ColumnMaps& maps,
                             std::span<const uint8_t> data, size_t room);

  // Marks the LVAL rows of a stored header deleted (the value was replaced
  // or its row deleted).
  void Release(std::span<const uint8_t> header);

  // Forgets the cached "current page" of every column (pages were freed).
  void Reset() { current_page_.clear(); }

 private:
  // Adds a row on the column's last page used, or on a new one when that is
  // full; returns the row's pointer.
  uint32_t AddRow(const ColumnMaps& maps, std::span<const uint8_t> row);

  PageStore& store_;
  std::map<uint32_t, uint32_t> current_page_;  // owned map -> last LVAL page
};

}  // namespace jet

#endif  // JET_LVAL_WRITER_H_
