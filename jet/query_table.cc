#include "jet/query_table.h"

#include <algorithm>

#include "jet/query_key.h"

namespace jet {

TableRows::TableRows(std::shared_ptr<const TableDef> def, std::vector<Row> rows)
    : def_(std::move(def)), indexes_(def_->columns.size()) {
  rows_.reserve(rows.size());
  for (Row& row : rows) {
    row.values.resize(def_->columns.size());
    rows_.emplace(row.id.Packed(), std::move(row.values));
  }
}

std::shared_ptr<const std::vector<RowId>> TableRows::Ids() {
  if (!ids_) {
    std::vector<uint32_t> packed;
    packed.reserve(rows_.size());
    for (const auto& entry : rows_) packed.push_back(entry.first);
    std::sort(packed.begin(), packed.end());
    auto ids = std::make_shared<std::vector<RowId>>();
    ids->reserve(packed.size());
    for (uint32_t p : packed) ids->push_back(RowId::FromPacked(p));
    ids_ = std::move(ids);
  }
  return ids_;
}

const std::vector<base::Value>* TableRows::Find(RowId id) const {
  auto it = rows_.find(id.Packed());
  return it == rows_.end() ? nullptr : &it->second;
}

const std::vector<RowId>& TableRows::Lookup(size_t column,
                                            const std::string& key) {
  static const std::vector<RowId> kNone;
  if (column >= indexes_.size()) return kNone;
  std::unique_ptr<Index>& index = indexes_[column];
  if (!index) {
    index = std::make_unique<Index>();
    index->reserve(rows_.size());
    // Rows go in storage order, so every list starts out sorted.
    for (const RowId& id : *Ids()) {
      std::optional<std::string> k = EqualityKey(rows_.at(id.Packed())[column]);
      if (k) (*index)[*k].push_back(id);
    }
  }
  auto it = index->find(key);
  return it == index->end() ? kNone : it->second;
}

void TableRows::IndexValue(size_t c, const base::Value& value, RowId id,
                           bool add) {
  if (!indexes_[c]) return;
  std::optional<std::string> k = EqualityKey(value);
  if (!k) return;
  if (add) {
    std::vector<RowId>& ids = (*indexes_[c])[*k];
    ids.insert(std::upper_bound(ids.begin(), ids.end(), id, RowIdLess()), id);
    return;
  }
  auto it = indexes_[c]->find(*k);
  if (it == indexes_[c]->end()) return;
  std::erase(it->second, id);
  if (it->second.empty()) indexes_[c]->erase(it);
}

void TableRows::AddToIndexes(RowId id, const std::vector<base::Value>& values) {
  for (size_t c = 0; c < indexes_.size(); ++c)
    IndexValue(c, values[c], id, true);
}

void TableRows::RemoveFromIndexes(RowId id,
                                  const std::vector<base::Value>& values) {
  for (size_t c = 0; c < indexes_.size(); ++c) {
    IndexValue(c, values[c], id, false);
  }
}

void TableRows::Insert(RowId id, std::vector<base::Value> values) {
  values.resize(def_->columns.size());
  Erase(id);  // a reused slot replaces whatever the cache still had there
  AddToIndexes(id, values);
  rows_.emplace(id.Packed(), std::move(values));
  ids_.reset();
}

void TableRows::Update(RowId id, RowId moved_to,
                       std::vector<base::Value> values) {
  auto it = rows_.find(id.Packed());
  if (!(moved_to == id) || it == rows_.end()) {
    Erase(id);
    Insert(moved_to, std::move(values));
    return;
  }
  // Same place: only the indexes of changed columns need work.
  values.resize(def_->columns.size());
  std::vector<base::Value>& old = it->second;
  for (size_t c = 0; c < indexes_.size(); ++c) {
    if (!indexes_[c] || old[c] == values[c]) continue;
    if (EqualityKey(old[c]) == EqualityKey(values[c])) continue;
    IndexValue(c, old[c], id, false);
    IndexValue(c, values[c], id, true);
  }
  old = std::move(values);
}

void TableRows::Erase(RowId id) {
  auto it = rows_.find(id.Packed());
  if (it == rows_.end()) return;
  RemoveFromIndexes(id, it->second);
  rows_.erase(it);
  ids_.reset();
}

}  // namespace jet
