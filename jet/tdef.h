#ifndef JET_TDEF_H_
#define JET_TDEF_H_

// Table definitions (TDEF, page type 0x02): a header, column descriptors,
// column names, index definitions and the Memo/OLE usage-map list, stored as
// one logical buffer over a chain of pages (continuation pages repeat an
// 8-byte header). Decoded and encoded here, so the layout lives in one place
// (tdef_writer.h writes the page chain). The definition's own length ends the
// chain, not only a next pointer of 0. Every count and offset is checked
// against the buffer; damage raises 3049 and leaves nothing half decoded.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jet/bytes.h"
#include "jet/page_file.h"

namespace jet {

struct ColumnDef {
  std::string name;         // UTF-8
  uint8_t type = 0;         // format::kType*
  uint16_t number = 0;      // column number = null-mask bit
  uint16_t var_index = 0;   // slot in the var-offset table (variable columns)
  uint16_t row_number = 0;  // stored, meaning unknown; kept for writers
  uint8_t precision = 0;    // Numeric
  uint8_t scale = 0;        // Numeric
  uint16_t collation = 0;   // bytes 11..12 as stored (LCID for text)
  uint8_t flags = 0;        // format::kColFlag*
  uint8_t extra_flags = 0;  // format::kColExtra*
  uint16_t fixed_offset = 0;
  uint16_t length = 0;  // bytes; 0 for Memo/OLE

  bool IsFixed() const { return flags & format::kColFlagFixed; }
  bool IsLongValue() const {
    return type == format::kTypeMemo || type == format::kTypeOle;
  }
  bool IsCompressible() const {
    return extra_flags & format::kColExtraCompressed;
  }
};

struct IndexColumn {
  uint16_t column_number = 0;
  bool ascending = true;
};

// Physical index (the key data and its pages).
struct RealIndexDef {
  uint32_t unique_count = 0;  // from the count block
  std::vector<IndexColumn> columns;
  RowId usage_map;
  uint32_t root_page = 0;
  uint8_t flags = 0;  // 0x01 unique, 0x02 ignore nulls, 0x08 required
  std::vector<uint8_t> stored_count;  // the count block as read
  std::vector<uint8_t> stored;        // the definition as read
};

// Index as the user sees it; several may share one real index.
struct LogicalIndexDef {
  std::string name;
  uint32_t number = 0;
  uint32_t real_index = 0;
  uint8_t related_table_type = 0;
  uint32_t related_index = 0;
  uint32_t related_table_page = 0;
  uint8_t cascade_updates = 0;
  uint8_t cascade_deletes = 0;
  uint8_t index_type = 0;       // 1 primary key, 2 foreign key
  std::vector<uint8_t> stored;  // the definition as read
};

// Usage maps of one Memo/OLE column.
struct ColumnMaps {
  uint16_t column_number = 0;
  RowId owned;
  RowId free_space;
};

// A decoded table definition.
struct TableDef {
  uint32_t tdef_page = 0;
  std::vector<uint32_t> continuation_pages;  // chain order, after tdef_page
  uint32_t tdef_length = 0;
  uint32_t row_count = 0;
  uint32_t last_autonumber = 0;
  uint8_t table_type = 0;  // format::kTableTypeUser / System
  uint16_t max_cols = 0;
  uint16_t var_col_count = 0;
  RowId owned_map;
  RowId free_map;
  std::vector<ColumnDef> columns;  // sorted by column number
  std::vector<RealIndexDef> real_indexes;
  std::vector<LogicalIndexDef> logical_indexes;
  std::vector<ColumnMaps> column_maps;
  // What a parse found besides the fields above, so that a definition read
  // from a file serializes back byte for byte (bytes this engine does not
  // model included): the header, each structure's bytes (`stored` members),
  // the column numbers and descriptors in descriptor order. Empty for
  // definitions built here.
  std::vector<uint8_t> stored_header;
  std::vector<uint16_t> descriptor_order;
  std::vector<std::vector<uint8_t>> stored_descriptors;

  // Position in `columns` of the column with that name (case-insensitive),
  // or -1.
  int FindColumn(std::string_view name) const;
  // The column with that number, or nullptr.
  const ColumnDef* ColumnNumbered(uint16_t number) const;
};

// The pages of a table definition joined into one buffer: the first page
// whole, each continuation page without its header.
struct TdefChain {
  std::vector<uint8_t> buffer;
  std::vector<uint32_t> continuation_pages;
};
// Walks the chain from `first`. The walk stops
// at a next pointer of 0 or as soon as the buffer holds the definition's
// length: some writers leave a stale next pointer on the last page, and the
// page it names belongs to something else. A loop, a page of another type
// or an absurd length is damage (3049).
TdefChain ReadTdefChain(const PageSource& file, uint32_t first);

// Reads the TDEF chain starting at `page` and decodes it. Every count,
// offset and length is checked against the buffer; a chain that loops or
// leaves the file is damage.
TableDef ReadTableDef(const PageSource& file, uint32_t page);

// Decodes a logical TDEF buffer (first page + continuation payloads).
TableDef ParseTableDef(Bytes buffer);

// Byte length of a stored type in the fixed area (0 for variable types).
uint16_t FixedLength(uint8_t type);

// Appends a name as a definition stores it: u16 byte length, UTF-16LE.
void AppendName(std::vector<uint8_t>& b, std::string_view utf8);
// Reads such a name at `pos` and moves `pos` past it.
std::string ReadName(Bytes b, size_t& pos);

// The logical TDEF buffer of a table (header through the FF FF terminator),
// the inverse of ParseTableDef: a parsed definition comes back byte for
// byte, with its edits. Columns go in `descriptor_order`, else in the order
// of `t.columns` (Access keeps system tables' descriptors in name order);
// `t.column_maps` gives the Memo/OLE usage-map list in its order.
std::vector<uint8_t> SerializeTdef(const TableDef& t);

}  // namespace jet

#endif  // JET_TDEF_H_
