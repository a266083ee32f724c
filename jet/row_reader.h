#ifndef JET_ROW_READER_H_
#define JET_ROW_READER_H_

// Row images of a table: u16 column count, the fixed columns at their
// offsets, variable-length data, the variable offset table (u16 each,
// reversed, with an end entry), u16 variable count, then the null mask
// (one bit per column). Every offset is checked against the row (3049).
//
// A row keeps the layout of the moment it was written: columns added to the
// table later (number >= the row's column count) read as Null, and a row
// written while the table had only fixed-size columns has no variable part
// at all (Access adds columns without rewriting rows).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/value.h"
#include "jet/bytes.h"
#include "jet/page_file.h"
#include "jet/tdef.h"

namespace jet {

// Where each column's bytes sit inside one row image. Positions are checked
// against the row when the layout is built.
class RowLayout {
 public:
  // `def`: the row's table. The row ends with the var-offset table when one
  // of the table's variable columns is within the row's column count.
  RowLayout(Bytes row, const TableDef& def);

  uint16_t column_count() const { return column_count_; }
  // Null-mask bit of a column number (false beyond the row's column count).
  bool MaskBit(uint16_t column_number) const;
  // The fixed-area bytes of a column, or nullopt when the row predates it.
  std::optional<Bytes> Fixed(const ColumnDef& c) const;
  // The bytes of variable slot `index`, or nullopt when the row has no such
  // slot.
  std::optional<Bytes> Var(uint16_t index) const;

 private:
  Bytes row_;
  uint16_t column_count_ = 0;
  Bytes mask_;
  size_t fixed_end_ = 0;  // first byte after the fixed area's room
  uint16_t var_count_ = 0;
  size_t var_table_ = 0;  // offset of off[0]
  uint16_t eod_ = 0;
};

// Decodes row images of one table into values (column order of the TableDef).
class RowReader {
 public:
  RowReader(const PageSource& file, const TableDef& def)
      : file_(file), def_(def) {}

  std::vector<base::Value> Decode(Bytes row) const;
  void Decode(Bytes row, std::vector<base::Value>& out) const;
  // The same values as cells (base/packed_values.h) into `out`, replacing
  // its contents; `text` is room for decoding texts.
  void DecodeCells(Bytes row, std::vector<uint8_t>& out,
                   std::string& text) const;
  // Raises whatever Decode would raise for `row` without keeping the
  // values: texts and short binary data are only located (decoding them
  // cannot fail), long values are read.
  void Check(Bytes row) const;

 private:
  base::Value DecodeColumn(const RowLayout& layout, const ColumnDef& c) const;
  // The stored bytes of a column other than a Boolean; nullopt for Null.
  std::optional<Bytes> ColumnBytes(const RowLayout& layout,
                                   const ColumnDef& c) const;

  const PageSource& file_;
  const TableDef& def_;
};

// A fixed-width value from its stored bytes (`bytes.size()` >= the type's
// width is checked).
base::Value DecodeFixedValue(const ColumnDef& c, Bytes bytes);

}  // namespace jet

#endif  // JET_ROW_READER_H_
