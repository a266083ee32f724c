#include "jet/query_exec.h"

#include <algorithm>

#include "base/runtime_error.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/query_key.h"

namespace jet {
namespace {

size_t ColumnPosition(const TableDef& def, const std::string& name) {
  // The program mostly spells names as stored.
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (def.columns[i].name == name) return i;
  }
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (SameName(def.columns[i].name, name)) return i;
  }
  throw base::Error(base::err::kTooFewParameters, kErrorSource);
}

KeyKind KeyKindOfColumn(const ColumnDef& c) {
  switch (c.type) {
    case format::kTypeText:
    case format::kTypeMemo:
      return KeyKind::kText;
    case format::kTypeBinary:
    case format::kTypeOle:
    case format::kTypeGuid:
      return KeyKind::kNone;
    default:
      return KeyKind::kNumber;
  }
}

bool Matches(const BoundQuery::Condition& condition,
             const std::vector<base::Value>& values) {
  std::optional<std::string> key = EqualityKey(values[condition.column]);
  return key && *key == condition.key;
}

}  // namespace

BoundQuery Bind(const SelectQuery& query, const TableDef& def) {
  BoundQuery bound;
  if (query.all_columns) {
    for (size_t i = 0; i < def.columns.size(); ++i) bound.columns.push_back(i);
  } else {
    for (const std::string& name : query.columns) {
      bound.columns.push_back(ColumnPosition(def, name));
    }
  }
  for (const QueryCondition& condition : query.conditions) {
    size_t column = ColumnPosition(def, condition.column);
    KeyKind column_kind = KeyKindOfColumn(def.columns[column]);
    std::optional<std::string> key = EqualityKey(condition.literal);
    if (column_kind != KeyKindOfValue(condition.literal) || !key) {
      throw base::Error(base::err::kTypeMismatchInCriteria, kErrorSource);
    }
    bound.conditions.push_back({column, std::move(*key)});
  }
  for (const QueryOrder& order : query.order_by) {
    bound.order_by.push_back(
        {ColumnPosition(def, order.column), order.descending});
  }
  return bound;
}

std::vector<RowId> Execute(const BoundQuery& query, TableRows& rows) {
  std::vector<RowId> result;
  if (query.conditions.empty()) {
    result = *rows.Ids();
  } else {
    // Start from the condition with the fewest candidates; check the rest
    // on each candidate's values.
    const BoundQuery::Condition* seed = nullptr;
    const std::vector<RowId>* candidates = nullptr;
    for (const BoundQuery::Condition& condition : query.conditions) {
      const std::vector<RowId>& ids =
          rows.Lookup(condition.column, condition.key);
      if (!candidates || ids.size() < candidates->size()) {
        candidates = &ids;
        seed = &condition;
      }
      if (ids.empty()) break;
    }
    for (const RowId& id : *candidates) {
      const std::vector<base::Value>* values = rows.Find(id);
      if (!values) continue;
      bool all = true;
      for (const BoundQuery::Condition& condition : query.conditions) {
        if (&condition != seed && !Matches(condition, *values)) {
          all = false;
          break;
        }
      }
      if (all) result.push_back(id);
    }
  }
  if (!query.order_by.empty()) {
    std::stable_sort(
        result.begin(), result.end(), [&](const RowId& a, const RowId& b) {
          const std::vector<base::Value>& x = *rows.Find(a);
          const std::vector<base::Value>& y = *rows.Find(b);
          for (const BoundQuery::Order& order : query.order_by) {
            int c = CompareForOrder(x[order.column], y[order.column]);
            if (c != 0) return order.descending ? c > 0 : c < 0;
          }
          return false;
        });
  }
  return result;
}

}  // namespace jet
