#ifndef JET_COLUMN_RULES_H_
#define JET_COLUMN_RULES_H_

// The rules a table's columns carry as properties, which Jet enforces on
// every insert and update: Required (no Null: 3314) and, for Text and Memo,
// AllowZeroLength = False (no empty text: 3315). A column without the
// property is not required and takes empty text, as Jet assumes.
//
// The properties live in the table's catalog row (MSysObjects.LvProp), a
// blob in the "MR2" format:
//   "MR2\0", then blocks: u32 length (header included), u16 type;
//   type 0x80: the property names, each u16 byte length + UTF-16LE;
//   type 0x00: the table's own properties; type 0x01: one column's.
//   A value block starts with its owner's name (u32 length including
//   itself, then u16 byte length + UTF-16LE when longer than 6), then
//   entries: u16 length (itself included), u8 DDL flag, u8 data type,
//   u16 name index, u16 data size, data (a Boolean: one byte, non-zero =
//   True).
// A blob cut short or pointing outside itself raises 3049; a blob of
// another format holds no rules.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/value.h"
#include "jet/bytes.h"
#include "jet/page_file.h"
#include "jet/tdef.h"

namespace jet {

class ColumnRules {
 public:
  // The rules of the table whose definition starts on `def.tdef_page`.
  static ColumnRules Read(const PageSource& file, const TableDef& def);
  // The rules in a property blob, for the columns of `def`; `table` names
  // the table in error texts.
  static ColumnRules FromBlob(Bytes blob, const TableDef& def,
                              const std::string& table);

  // Raises 3314 or 3315 for the first column whose value (indexed by column
  // number; missing = Null) breaks its rule.
  void Check(const TableDef& def,
             const std::vector<base::Value>& by_number) const;

 private:
  struct Rule {
    uint16_t column_number = 0;
    bool required = false;
    bool allow_zero_length = true;
  };
  std::string table_;
  std::vector<Rule> rules_;
};

// The blob with the column block of `from` renamed to `to` (entries
// unchanged), or nullopt when the blob has no block for that column.
std::optional<std::vector<uint8_t>> RenamePropertyOwner(Bytes blob,
                                                        std::string_view from,
                                                        std::string_view to);

}  // namespace jet

#endif  // JET_COLUMN_RULES_H_
