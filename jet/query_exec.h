#ifndef JET_QUERY_EXEC_H_
#define JET_QUERY_EXEC_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jet/errors.h"
#include "jet/query_parser.h"
#include "jet/query_table.h"
#include "jet/tdef.h"

namespace jet {

// A parsed SELECT tied to one table's columns.
struct BoundQuery {
  struct Condition {
    size_t column = 0;  // position in the table definition
    std::string key;    // equality key of the literal (see EqualityKey)
    uint64_t hash = 0;  // TableRows::KeyHash(key)
  };
  struct Order {
    size_t column = 0;
    bool descending = false;
  };
  std::vector<size_t> columns;  // the result's fields, in select order
  std::vector<Condition> conditions;
  std::vector<Order> order_by;
};

// Resolves the query's names against `def` (case-insensitively). An
// unknown column is taken for a parameter and fails with 3061; a text
// column compared with a number, or a number column with a text, fails
// with 3464.
BoundQuery Bind(const SelectQuery& query, const TableDef& def);

// The positions of a query's names in one table definition, for binding
// many texts of one shape; kUnknown for a name not there (Bind raises its
// error where it comes).
struct BoundNames {
  static constexpr size_t kUnknown = SIZE_MAX;
  std::vector<size_t> columns;  // the select list; every column with `*`
  std::vector<size_t> conditions;
  std::vector<size_t> order_by;
};
BoundNames ResolveNames(const SelectQuery& query, const TableDef& def);
// Bind(query, def) for names resolved already, with `literals` (one per
// condition) in place of the query's own.
BoundQuery Bind(const SelectQuery& query, const BoundNames& names,
                std::span<const base::Value> literals, const TableDef& def);

// The rows the query returns, in its order: storage order, stably sorted by
// ORDER BY. Equalities are answered through the table's indexes.
std::vector<RowId> Execute(const BoundQuery& query, TableRows& rows);

}  // namespace jet

#endif  // JET_QUERY_EXEC_H_
