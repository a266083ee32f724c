#include "jet/query_table.h"

#include <algorithm>
#include <functional>

#include "base/packed_values.h"
#include "jet/query_key.h"

namespace jet {
namespace {

constexpr uint32_t kNoRow = UINT32_MAX;

// A hash map from 64-bit keys to small values, in one array: open
// addressing with linear probing, no tombstones (an erase shifts the
// entries after it back). kFree is no key.
template <typename T>
class FlatMap {
 public:
  static constexpr uint64_t kFree = ~uint64_t{0};

  size_t size() const { return size_; }

  T* Find(uint64_t key) {
    if (slots_.empty()) return nullptr;
    for (size_t i = Home(key);; i = (i + 1) & mask_) {
      if (slots_[i].key == key) return &slots_[i].value;
      if (slots_[i].key == kFree) return nullptr;
    }
  }
  const T* Find(uint64_t key) const {
    return const_cast<FlatMap*>(this)->Find(key);
  }

  // Starts loading the place where `key` is looked for first.
  void Prefetch(uint64_t key) const {
#if defined(__GNUC__) || defined(__clang__)
    if (!slots_.empty()) __builtin_prefetch(&slots_[Home(key)]);
#else
    (void)key;
#endif
  }

  // The entry of `key`, a new one (T()) when there was none.
  T& Insert(uint64_t key) {
    if ((size_ + 1) * 4 > slots_.size() * 3) Grow();
    for (size_t i = Home(key);; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.key == key) return s.value;
      if (s.key == kFree) {
        s.key = key;
        s.value = T();
        ++size_;
        return s.value;
      }
    }
  }

  void Erase(uint64_t key) {
    if (slots_.empty()) return;
    size_t i = Home(key);
    for (;; i = (i + 1) & mask_) {
      if (slots_[i].key == key) break;
      if (slots_[i].key == kFree) return;
    }
    // Entries after the hole that may stand in it move back into it.
    for (size_t j = (i + 1) & mask_; slots_[j].key != kFree;
         j = (j + 1) & mask_) {
      const size_t home = Home(slots_[j].key);
      if (((j - home) & mask_) >= ((j - i) & mask_)) {
        slots_[i] = slots_[j];
        i = j;
      }
    }
    slots_[i] = Slot();
    --size_;
  }

  template <typename F>
  void ForEach(F&& f) {
    for (Slot& s : slots_) {
      if (s.key != kFree) f(s.key, s.value);
    }
  }

 private:
  struct Slot {
    uint64_t key = kFree;
    T value{};
  };

  size_t Home(uint64_t key) const {
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdULL;
    key ^= key >> 33;
    return static_cast<size_t>(key) & mask_;
  }

  void Grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    mask_ = slots_.size() - 1;
    size_ = 0;
    for (const Slot& s : old) {
      if (s.key != kFree) Insert(s.key) = s.value;
    }
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  size_t size_ = 0;
};

// The bytes of the first `columns` cells at `p`.
size_t RowLength(const uint8_t* p, size_t columns) {
  const uint8_t* start = p;
  for (size_t c = 0; c < columns; ++c) p += base::CellLength(p);
  return static_cast<size_t>(p - start);
}

// The cells of a row as stored: the values given, Empty for the columns
// past them.
size_t RowSize(const std::vector<base::Value>& values, size_t columns) {
  size_t size = 0;
  for (size_t c = 0; c < columns; ++c) {
    size += c < values.size() ? base::CellSize(values[c]) : 1;
  }
  return size;
}

void WriteRow(uint8_t* out, const std::vector<base::Value>& values,
              size_t columns) {
  static const base::Value kEmpty;
  for (size_t c = 0; c < columns; ++c) {
    out = base::WriteCell(out, c < values.size() ? values[c] : kEmpty);
  }
}

}  // namespace

// The rows of one column's equality keys, by key hash. Most keys have one
// row, kept in the entry itself; more go to a list of their own.
class TableRows::Index {
 public:
  void Add(uint64_t hash, uint32_t row) {
    Entry& e = map_.Insert(hash);
    if (e.one == kNoRow && e.list == 0) {
      e.one = row;
      return;
    }
    if (e.list == 0) {
      e.list = NewList();
      lists_[e.list - 1] = {e.one};
      e.one = kNoRow;
    }
    std::vector<uint32_t>& ids = lists_[e.list - 1];
    ids.insert(std::upper_bound(ids.begin(), ids.end(), row), row);
  }

  void Remove(uint64_t hash, uint32_t row) {
    Entry* e = map_.Find(hash);
    if (!e) return;
    if (e->list == 0) {
      if (e->one == row) map_.Erase(hash);
      return;
    }
    std::vector<uint32_t>& ids = lists_[e->list - 1];
    auto it = std::lower_bound(ids.begin(), ids.end(), row);
    if (it == ids.end() || *it != row) return;
    ids.erase(it);
    if (ids.size() == 1) {
      e->one = ids.front();
      std::vector<uint32_t>().swap(ids);
      free_lists_.push_back(e->list);
      e->list = 0;
    }
  }

  std::span<const uint32_t> Find(uint64_t hash) const {
    const Entry* e = map_.Find(hash);
    if (!e) return {};
    if (e->list == 0) return {&e->one, 1};
    return lists_[e->list - 1];
  }

 private:
  struct Entry {
    uint32_t one = kNoRow;  // the row when the key has one
    uint32_t list = 0;      // else 1 + its place in lists_
  };

  uint32_t NewList() {
    if (!free_lists_.empty()) {
      const uint32_t list = free_lists_.back();
      free_lists_.pop_back();
      return list;
    }
    lists_.emplace_back();
    return static_cast<uint32_t>(lists_.size());
  }

  FlatMap<Entry> map_;
  std::vector<std::vector<uint32_t>> lists_;
  std::vector<uint32_t> free_lists_;
};

// The cells of the rows in blocks of bytes that never move while in use,
// and where each row starts, by packed row id.
class TableRows::Store {
 public:
  explicit Store(size_t columns) : columns_(columns) {}

  size_t columns() const { return columns_; }
  size_t size() const { return rows_.size(); }

  const uint8_t* Row(uint32_t packed) const {
    const uint64_t* at = rows_.Find(packed);
    return at ? Address(*at) : nullptr;
  }

  void Prefetch(uint32_t packed) const { rows_.Prefetch(packed); }

  const uint8_t* CellOf(const uint8_t* row, size_t column) const {
    for (size_t c = 0; c < column; ++c) row += base::CellLength(row);
    return row;
  }

  template <typename F>
  void ForEachId(F&& f) {
    rows_.ForEach(
        [&](uint64_t key, uint64_t) { f(static_cast<uint32_t>(key)); });
  }

  // Stores the row under `packed`, in its old place when it fits there.
  void Put(uint32_t packed, const std::vector<base::Value>& values) {
    Put(packed, RowSize(values, columns_),
        [&](uint8_t* out) { WriteRow(out, values, columns_); });
  }
  void Put(uint32_t packed, std::span<const uint8_t> cells) {
    Put(packed, cells.size(),
        [&](uint8_t* out) { std::copy(cells.begin(), cells.end(), out); });
  }

  void Erase(uint32_t packed) {
    const uint64_t* at = rows_.Find(packed);
    if (!at) return;
    const size_t size = RowLength(Address(*at), columns_);
    live_ -= size;
    garbage_ += size;
    rows_.Erase(packed);
  }

 private:
  static constexpr size_t kBlockBytes = 64 * 1024;
  static constexpr size_t kFirstBlockBytes = 1024;

  // A row of `size` bytes that `write` puts at the address it is given.
  template <typename F>
  void Put(uint32_t packed, size_t size, F&& write) {
    uint64_t& at = rows_.Insert(packed);
    if (at != 0) {
      uint8_t* old = Address(at);
      const size_t old_size = RowLength(old, columns_);
      if (size <= old_size) {
        write(old);
        live_ -= old_size - size;
        garbage_ += old_size - size;
        return;
      }
      live_ -= old_size;
      garbage_ += old_size;
    }
    at = Allocate(size);
    write(Address(at));
    live_ += size;
    if (garbage_ > live_ && garbage_ > kBlockBytes) Compact();
  }

  struct Block {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    size_t used = 0;
  };

  // A place: 1 + block number in the high half, the offset in the low one
  // (0 is no place).
  uint8_t* Address(uint64_t at) const {
    return blocks_[(at >> 32) - 1].bytes.get() + (at & 0xFFFFFFFF);
  }

  uint64_t Allocate(size_t size) {
    if (blocks_.empty() || blocks_.back().size - blocks_.back().used < size) {
      const size_t grown = blocks_.empty()
                               ? kFirstBlockBytes
                               : std::min(kBlockBytes, blocks_.back().size * 2);
      Block block;
      block.size = std::max(size, grown);
      block.bytes = std::make_unique_for_overwrite<uint8_t[]>(block.size);
      blocks_.push_back(std::move(block));
    }
    Block& block = blocks_.back();
    const uint64_t at = (uint64_t{blocks_.size()} << 32) | block.used;
    block.used += size;
    return at;
  }

  // Copies the live rows into new blocks.
  void Compact() {
    std::vector<Block> old;
    old.swap(blocks_);
    garbage_ = 0;
    rows_.ForEach([&](uint64_t, uint64_t& at) {
      const uint8_t* row = old[(at >> 32) - 1].bytes.get() + (at & 0xFFFFFFFF);
      const size_t size = RowLength(row, columns_);
      at = Allocate(size);
      std::copy(row, row + size, Address(at));
    });
  }

  size_t columns_;
  FlatMap<uint64_t> rows_;  // by packed row id
  std::vector<Block> blocks_;
  size_t live_ = 0;     // bytes of the stored rows
  size_t garbage_ = 0;  // bytes of rows replaced or erased
};

TableRows::TableRows(std::shared_ptr<const TableDef> def)
    : def_(std::move(def)),
      store_(std::make_unique<Store>(def_->columns.size())),
      indexes_(def_->columns.size()) {}

TableRows::TableRows(std::shared_ptr<const TableDef> def,
                     const std::vector<Row>& rows)
    : TableRows(std::move(def)) {
  for (const Row& row : rows) Insert(row.id, row.values);
}

TableRows::~TableRows() = default;

size_t TableRows::size() const { return store_->size(); }

std::shared_ptr<const std::vector<RowId>> TableRows::Ids() {
  if (!ids_) {
    std::vector<uint32_t> packed;
    packed.reserve(store_->size());
    store_->ForEachId([&](uint32_t p) { packed.push_back(p); });
    std::sort(packed.begin(), packed.end());
    auto ids = std::make_shared<std::vector<RowId>>();
    ids->reserve(packed.size());
    for (uint32_t p : packed) ids->push_back(RowId::FromPacked(p));
    ids_ = std::move(ids);
  }
  return ids_;
}

bool TableRows::Contains(RowId id) const {
  // Finding the row's cells serves the values asked for next.
  if (store_->columns() == 0) return store_->Row(id.Packed()) != nullptr;
  return CellAt(id, 0) != nullptr;
}

void TableRows::Prefetch(RowId id) const { store_->Prefetch(id.Packed()); }

const uint8_t* TableRows::CellAt(RowId id, size_t column) const {
  // The cell of the row last asked for, found before: at once.
  if (id.Packed() == cached_row_ && column < cached_known_) {
    return cached_cells_[column];
  }
  return FindCell(id, column);
}

const uint8_t* TableRows::FindCell(RowId id, size_t column) const {
  if (id.Packed() != cached_row_) {
    const uint8_t* p = store_->Row(id.Packed());
    if (!p) return nullptr;
    cached_cells_.resize(store_->columns() + 1);
    cached_cells_[0] = p;
    cached_known_ = store_->columns() > 0 ? 1 : 0;  // cells that are there
    cached_row_ = id.Packed();
  }
  if (column >= store_->columns()) return nullptr;
  // The cells up to the one asked for, found once per row.
  for (; cached_known_ <= column; ++cached_known_) {
    const uint8_t* before = cached_cells_[cached_known_ - 1];
    cached_cells_[cached_known_] = before + base::CellLength(before);
  }
  return cached_cells_[column];
}

base::Value TableRows::Cell(RowId id, size_t column) const {
  const uint8_t* cell = CellAt(id, column);
  return cell ? base::ReadCell(cell) : base::Value();
}

std::vector<base::Value> TableRows::Values(RowId id) const {
  std::vector<base::Value> values;
  Values(id, values);
  return values;
}

void TableRows::Values(RowId id, std::vector<base::Value>& out) const {
  const uint8_t* p = store_->Row(id.Packed());
  if (!p) {
    out.clear();
    return;
  }
  out.resize(store_->columns());
  for (base::Value& value : out) {
    value = base::ReadCell(p);
    p += base::CellLength(p);
  }
}

bool TableRows::CellKey(const uint8_t* cell, std::string& out) {
  out.clear();
  switch (base::CellType(cell)) {
    case base::ValueType::kText:
      AppendTextKey(out, base::CellBytes(cell));
      return true;
    case base::ValueType::kBinary:
      return false;
    default:
      return AppendEqualityKey(out, base::ReadCell(cell));
  }
}

bool TableRows::HasKey(RowId id, size_t column, std::string_view key) const {
  const uint8_t* cell = CellAt(id, column);
  return cell && CellKey(cell, key_) && key_ == key;
}

uint64_t TableRows::KeyHash(std::string_view key) {
  const uint64_t h = std::hash<std::string_view>()(key);
  return h == FlatMap<int>::kFree ? h - 1 : h;
}

std::span<const uint32_t> TableRows::Lookup(size_t column, uint64_t key_hash) {
  if (column >= indexes_.size()) return {};
  std::unique_ptr<Index>& index = indexes_[column];
  if (!index) {
    index = std::make_unique<Index>();
    indexed_ = true;
    // Rows go in storage order, so every list starts out sorted.
    for (const RowId& id : *Ids()) {
      const uint8_t* cell = store_->CellOf(store_->Row(id.Packed()), column);
      if (CellKey(cell, key_)) index->Add(KeyHash(key_), id.Packed());
    }
  }
  return index->Find(key_hash);
}

void TableRows::AddToIndexes(RowId id, const std::vector<base::Value>& values) {
  for (size_t c = 0; c < indexes_.size() && c < values.size(); ++c) {
    if (!indexes_[c]) continue;
    key_.clear();
    if (AppendEqualityKey(key_, values[c])) {
      indexes_[c]->Add(KeyHash(key_), id.Packed());
    }
  }
}

void TableRows::RemoveFromIndexes(RowId id) {
  const uint8_t* row = store_->Row(id.Packed());
  if (!row) return;
  for (size_t c = 0; c < indexes_.size(); ++c) {
    if (indexes_[c] && CellKey(store_->CellOf(row, c), key_)) {
      indexes_[c]->Remove(KeyHash(key_), id.Packed());
    }
  }
}

void TableRows::Insert(RowId id, const std::vector<base::Value>& values) {
  // A reused slot replaces whatever the cache still had there.
  if (indexed_) RemoveFromIndexes(id);
  AddToIndexes(id, values);
  store_->Put(id.Packed(), values);
  cached_row_ = kNoRow;
  ids_.reset();
}

void TableRows::InsertCells(RowId id, std::span<const uint8_t> cells) {
  if (indexed_) RemoveFromIndexes(id);
  const uint8_t* cell = cells.data();
  for (size_t c = 0; indexed_ && c < indexes_.size(); ++c) {
    if (indexes_[c] && CellKey(cell, key_)) {
      indexes_[c]->Add(KeyHash(key_), id.Packed());
    }
    cell += base::CellLength(cell);
  }
  store_->Put(id.Packed(), cells);
  cached_row_ = kNoRow;
  ids_.reset();
}

void TableRows::Update(RowId id, RowId moved_to,
                       const std::vector<base::Value>& values) {
  const uint8_t* row = store_->Row(id.Packed());
  if (!(moved_to == id) || !row) {
    Erase(id);
    Insert(moved_to, values);
    return;
  }
  // Same place: only the indexes of changed keys need work.
  static const base::Value kEmpty;
  std::string new_key;
  for (size_t c = 0; c < indexes_.size(); ++c) {
    if (!indexes_[c]) continue;
    const uint8_t* cell = store_->CellOf(row, c);
    const base::Value& value = c < values.size() ? values[c] : kEmpty;
    // A text left as it was keeps its key (the common case: an edit
    // changes other columns than those the program looks rows up by).
    if (value.type() == base::ValueType::kText &&
        base::CellType(cell) == base::ValueType::kText &&
        base::CellBytes(cell) == value.AsText()) {
      continue;
    }
    const bool had = CellKey(cell, key_);
    new_key.clear();
    const bool has = AppendEqualityKey(new_key, value);
    if (had == has && (!had || key_ == new_key)) continue;
    if (had) indexes_[c]->Remove(KeyHash(key_), id.Packed());
    if (has) indexes_[c]->Add(KeyHash(new_key), id.Packed());
  }
  cached_row_ = kNoRow;
  store_->Put(id.Packed(), values);
}

void TableRows::Erase(RowId id) {
  if (!store_->Row(id.Packed())) return;
  RemoveFromIndexes(id);
  store_->Erase(id.Packed());
  cached_row_ = kNoRow;
  ids_.reset();
}

}  // namespace jet
