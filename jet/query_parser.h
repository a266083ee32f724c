#ifndef JET_QUERY_PARSER_H_
#define JET_QUERY_PARSER_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/value.h"

namespace jet {

// One `column = literal` condition of a WHERE clause. The literal is a Text
// value for a quoted string, a Double for a bare number.
struct QueryCondition {
  std::string column;
  base::Value literal;
};

struct QueryOrder {
  std::string column;
  bool descending = false;
};

// The SELECT subset the program sends: one table, `*`/`table.*` or a column
// list, a WHERE of ANDed equalities in any nesting of parentheses, an
// optional ORDER BY and an optional `;`.
struct SelectQuery {
  std::string table;
  bool all_columns = false;
  std::vector<std::string> columns;  // in the order given; empty with `*`
  std::vector<QueryCondition> conditions;
  std::vector<QueryOrder> order_by;
};

// Parses `sql`; anything outside the subset fails with RuntimeError 3075
// (syntax error in query expression). Column and table names are checked
// against the table later, when the query is bound.
SelectQuery ParseSelect(std::string_view sql);

// The end of the number literal starting at `i` (digits and points, then an
// exponent when digits follow it), as the parser reads it.
size_t NumberEnd(std::string_view sql, size_t i);

}  // namespace jet

#endif  // JET_QUERY_PARSER_H_
