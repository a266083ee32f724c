#ifndef JET_QUERY_TABLE_H_
#define JET_QUERY_TABLE_H_

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/value.h"
#include "jet/database.h"
#include "jet/tdef.h"

namespace jet {

// Orders row ids as a table scan meets them: page by page, slot by slot.
struct RowIdLess {
  bool operator()(const RowId& a, const RowId& b) const {
    return a.Packed() < b.Packed();
  }
};

// The decoded rows of one table in storage order, kept in memory for the
// queries the program repeats per row, with an equality index per column
// built on first use. Whoever writes the table reports each change here, so
// the rows and indexes always match the file.
class TableRows {
 public:
  TableRows(std::shared_ptr<const TableDef> def, std::vector<Row> rows);
  TableRows(const TableRows&) = delete;
  TableRows& operator=(const TableRows&) = delete;

  const TableDef& def() const { return *def_; }
  const std::shared_ptr<const TableDef>& shared_def() const { return def_; }
  // A new definition of the same columns (a column was renamed).
  void SetDef(std::shared_ptr<const TableDef> def) { def_ = std::move(def); }
  size_t size() const { return rows_.size(); }

  // Every row id in storage order; shared until the set of rows changes.
  std::shared_ptr<const std::vector<RowId>> Ids();
  // The values of a row in column order, or nullptr when it is gone.
  const std::vector<base::Value>* Find(RowId id) const;

  // The rows whose column (position in the definition) has this equality
  // key, in storage order.
  const std::vector<RowId>& Lookup(size_t column, const std::string& key);

  void Insert(RowId id, std::vector<base::Value> values);
  // A stored row got new values; `moved_to` differs from `id` when the
  // writer had to give the row another place.
  void Update(RowId id, RowId moved_to, std::vector<base::Value> values);
  void Erase(RowId id);

 private:
  using Index = std::unordered_map<std::string, std::vector<RowId>>;
  // Adds or removes `id` under the equality key of `value` in the index of
  // column `c`, when that index is built and the value has a key.
  void IndexValue(size_t c, const base::Value& value, RowId id, bool add);
  void AddToIndexes(RowId id, const std::vector<base::Value>& values);
  void RemoveFromIndexes(RowId id, const std::vector<base::Value>& values);

  std::shared_ptr<const TableDef> def_;
  // By packed row id; storage order is restored by sorting where needed.
  std::unordered_map<uint32_t, std::vector<base::Value>> rows_;
  std::vector<std::unique_ptr<Index>> indexes_;    // by column position
  std::shared_ptr<const std::vector<RowId>> ids_;  // null when outdated
};

}  // namespace jet

#endif  // JET_QUERY_TABLE_H_
