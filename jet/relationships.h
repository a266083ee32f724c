#ifndef JET_RELATIONSHIPS_H_
#define JET_RELATIONSHIPS_H_

// Relationships as MSysRelationships stores them: one row per column pair,
// szObject/szColumn naming the referencing (foreign-key) side and
// szReferencedObject/szReferencedColumn the referenced one; icolumn orders
// the pairs and grbit holds the flags below. Jet enforces a relationship
// unless kNotEnforced is set: a referencing row whose key columns are all
// non-Null needs a referenced row with the same key (3201); a referenced
// row that referencing rows point at is not deleted or rekeyed (3200)
// unless the flags say to cascade.

#include <cstdint>
#include <string>
#include <vector>

#include "base/value.h"
#include "jet/page_allocator.h"
#include "jet/tdef.h"

namespace jet {

struct Relationship {
  static constexpr uint32_t kNotEnforced = 0x2;
  static constexpr uint32_t kCascadeUpdates = 0x100;
  static constexpr uint32_t kCascadeDeletes = 0x1000;
  static constexpr uint32_t kCascadeNull = 0x2000;

  std::string name;
  std::string referencing_table;
  std::string referenced_table;
  std::vector<std::string> referencing_columns;  // in icolumn order
  std::vector<std::string> referenced_columns;
  uint32_t flags = 0;

  bool Enforced() const { return !(flags & kNotEnforced); }
};

// The enforced relationships of the file that name `table` on either side
// (ignoring case); none when the file has no MSysRelationships.
std::vector<Relationship> ReadRelationshipsOf(const PageStore& store,
                                              std::string_view table);

// The TDEF page of a system table by name, or 0 when the file has none.
uint32_t SystemTablePage(const PageStore& store, std::string_view name);

// The text in `column` of a row by column number; empty when the column is
// missing or holds no text.
std::string TextOf(const TableDef& def, const std::vector<base::Value>& row,
                   std::string_view column);

// The values of a stored row by column number.
std::vector<base::Value> ValuesByNumber(const PageStore& store,
                                        const TableDef& def, Bytes row);

}  // namespace jet

#endif  // JET_RELATIONSHIPS_H_
