#include "jet/query_exec.h"

#include <algorithm>

#include "base/runtime_error.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/query_key.h"

namespace jet {
namespace {

// The position of a column by name, or BoundNames::kUnknown.
size_t FindColumn(const TableDef& def, const std::string& name) {
  // The program mostly spells names as stored.
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (def.columns[i].name == name) return i;
  }
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (SameName(def.columns[i].name, name)) return i;
  }
  return BoundNames::kUnknown;
}

// A resolved position; an unknown name is taken for a parameter (3061).
size_t Known(size_t position) {
  if (position == BoundNames::kUnknown) {
    throw base::Error(base::err::kTooFewParameters, kErrorSource);
  }
  return position;
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

}  // namespace

BoundNames ResolveNames(const SelectQuery& query, const TableDef& def) {
  BoundNames names;
  if (query.all_columns) {
    for (size_t i = 0; i < def.columns.size(); ++i) names.columns.push_back(i);
  } else {
    for (const std::string& name : query.columns) {
      names.columns.push_back(FindColumn(def, name));
    }
  }
  for (const QueryCondition& condition : query.conditions) {
    names.conditions.push_back(FindColumn(def, condition.column));
  }
  for (const QueryOrder& order : query.order_by) {
    names.order_by.push_back(FindColumn(def, order.column));
  }
  return names;
}

BoundQuery Bind(const SelectQuery& query, const TableDef& def) {
  std::vector<base::Value> literals;
  literals.reserve(query.conditions.size());
  for (const QueryCondition& c : query.conditions) {
    literals.push_back(c.literal);
  }
  return Bind(query, ResolveNames(query, def), literals, def);
}

BoundQuery Bind(const SelectQuery& query, const BoundNames& names,
                std::span<const base::Value> literals, const TableDef& def) {
  BoundQuery bound;
  bound.columns.reserve(names.columns.size());
  for (size_t position : names.columns) {
    bound.columns.push_back(Known(position));
  }
  bound.conditions.reserve(names.conditions.size());
  for (size_t k = 0; k < names.conditions.size(); ++k) {
    const size_t column = Known(names.conditions[k]);
    const KeyKind column_kind = KeyKindOfColumn(def.columns[column]);
    std::optional<std::string> key = EqualityKey(literals[k]);
    if (column_kind != KeyKindOfValue(literals[k]) || !key) {
      throw base::Error(base::err::kTypeMismatchInCriteria, kErrorSource);
    }
    const uint64_t hash = TableRows::KeyHash(*key);
    bound.conditions.push_back({column, std::move(*key), hash});
  }
  for (size_t k = 0; k < names.order_by.size(); ++k) {
    bound.order_by.push_back(
        {Known(names.order_by[k]), query.order_by[k].descending});
  }
  return bound;
}

std::vector<RowId> Execute(const BoundQuery& query, TableRows& rows) {
  std::vector<RowId> result;
  if (query.conditions.empty()) {
    result = *rows.Ids();
  } else {
    // Start from the condition with the fewest candidates (one with at most
    // one ends the search); check every condition on each candidate, as a
    // key hash may stand for more than one key.
    std::span<const uint32_t> candidates;
    bool first = true;
    for (const BoundQuery::Condition& condition : query.conditions) {
      std::span<const uint32_t> ids =
          rows.Lookup(condition.column, condition.hash);
      if (first || ids.size() < candidates.size()) candidates = ids;
      first = false;
      if (candidates.size() <= 1) break;
    }
    for (uint32_t packed : candidates) {
      const RowId id = RowId::FromPacked(packed);
      bool all = true;
      for (const BoundQuery::Condition& condition : query.conditions) {
        if (!rows.HasKey(id, condition.column, condition.key)) {
          all = false;
          break;
        }
      }
      if (all) result.push_back(id);
    }
  }
  if (!query.order_by.empty()) {
    // The sort columns of every row, read once.
    const size_t width = query.order_by.size();
    std::vector<base::Value> keys;
    keys.reserve(result.size() * width);
    for (const RowId& id : result) {
      for (const BoundQuery::Order& order : query.order_by) {
        keys.push_back(rows.Cell(id, order.column));
      }
    }
    std::vector<size_t> order(result.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      for (size_t k = 0; k < width; ++k) {
        int c = CompareForOrder(keys[a * width + k], keys[b * width + k]);
        if (c != 0) return query.order_by[k].descending ? c > 0 : c < 0;
      }
      return false;
    });
    std::vector<RowId> sorted;
    sorted.reserve(result.size());
    for (size_t i : order) sorted.push_back(result[i]);
    result = std::move(sorted);
  }
  return result;
}

}  // namespace jet
