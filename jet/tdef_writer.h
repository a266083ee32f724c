#ifndef JET_TDEF_WRITER_H_
#define JET_TDEF_WRITER_H_

// Editing table definitions: the TDEF page chain rewritten from a buffer
// (tdef.h encodes and decodes the layout), and the column layout of new
// tables. A failure part-way leaves pages changed that
// the caller's unit of change (PageStore::BeginChange) puts back.

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page_allocator.h"
#include "jet/tdef.h"

namespace jet {

// Writes `buffer` to `first_page` and as many continuation pages as needed,
// reusing the existing chain first and freeing what is left over.
void WriteTdef(PageStore& store, uint32_t first_page,
               const std::vector<uint8_t>& buffer);

// One column of a new user table: name, stored type code and size
// (characters for Text, bytes for Binary; ignored for other types).
struct FieldDesc {
  std::string name;
  uint8_t type = 0;
  uint16_t size = 0;
};

// Column layout for a new user table: numbers in order, fixed offsets packed
// in order, variable slots in order; Text and Memo allow Unicode compression.
std::vector<ColumnDef> LayoutColumns(const std::vector<FieldDesc>& fields);

// Bytes of a row's fixed area for these columns: up to the end of the
// furthest fixed column. Booleans live in the null mask but still count
// with their stored length (1 at offset 0), as in Access's rows, so that a
// row is never shorter than the 4-byte pointer that replaces it when it
// moves.
uint16_t FixedAreaSize(const std::vector<ColumnDef>& columns);

}  // namespace jet

#endif  // JET_TDEF_WRITER_H_
