#include "jet/index_page.h"

#include <algorithm>
#include <tuple>

#include "jet/errors.h"

namespace jet {

IndexPage DecodeIndexPage(Bytes page) {
  IndexPage p;
  p.type = U8(page, 0);
  if ((p.type != format::kPageIndexLeaf && p.type != format::kPageIndexNode) ||
      U8(page, 1) != 1) {
    ThrowCorrupt("no index page");
  }
  p.owner = U32(page, format::kIndexOwner);
  p.prev = U32(page, format::kIndexPrevPage);
  p.next = U32(page, format::kIndexNextPage);
  p.tail = U32(page, format::kIndexTailPage);
  p.free_space = U16(page, format::kIndexFreeSpace);
  const uint16_t prefix = U16(page, format::kIndexPrefixLength);
  for (size_t bit = 0; bit < (format::kIndexEntries - format::kIndexBitmap) * 8;
       ++bit) {
    if (!(page[format::kIndexBitmap + bit / 8] >> (bit % 8) & 1)) continue;
    if (bit > format::kIndexRoom) ThrowCorrupt("entry bitmap past the page");
    std::vector<uint8_t> e;
    if (!p.entries.empty()) {
      if (prefix > p.entries.front().size())
        ThrowCorrupt("prefix longer than the first entry");
      e.assign(p.entries.front().begin(), p.entries.front().begin() + prefix);
    }
    const auto area = page.begin() + format::kIndexEntries;
    e.insert(e.end(), area + static_cast<std::ptrdiff_t>(p.used),
             area + static_cast<std::ptrdiff_t>(bit));
    p.entries.push_back(std::move(e));
    p.used = bit;
  }
  return p;
}

void EncodeIndexPage(std::span<uint8_t> page, const IndexPage& p) {
  std::fill(page.begin(), page.end(), 0);
  page[0] = p.type;
  page[1] = 0x01;
  PutU32(page, format::kIndexOwner, p.owner);
  PutU32(page, format::kIndexPrevPage, p.prev);
  PutU32(page, format::kIndexNextPage, p.next);
  PutU32(page, format::kIndexTailPage, p.tail);
  size_t pos = 0;
  for (const std::vector<uint8_t>& e : p.entries) {
    if (pos + e.size() > format::kIndexRoom)
      ThrowCorrupt("index page overfull");
    std::copy(e.begin(), e.end(), page.begin() + format::kIndexEntries + pos);
    pos += e.size();
    uint8_t& bits = page[format::kIndexBitmap + pos / 8];
    bits = static_cast<uint8_t>(bits | (1 << (pos % 8)));
  }
  PutU16(page, format::kIndexFreeSpace,
         static_cast<uint16_t>(format::kIndexRoom - pos));
}

uint32_t ChildPage(const std::vector<uint8_t>& e) {
  const size_t n = e.size();
  if (n < 4) return 0;
  return static_cast<uint32_t>(e[n - 4]) << 24 |
         static_cast<uint32_t>(e[n - 3]) << 16 |
         static_cast<uint32_t>(e[n - 2]) << 8 | e[n - 1];
}

// --- writing a tree ---

namespace {

std::vector<uint8_t> LeafEntry(const IndexEntry& e) {
  std::vector<uint8_t> out = e.key;
  out.push_back(static_cast<uint8_t>(e.row.page >> 16));
  out.push_back(static_cast<uint8_t>(e.row.page >> 8));
  out.push_back(static_cast<uint8_t>(e.row.page));
  out.push_back(e.row.row);
  return out;
}

// Groups of consecutive items whose stored bytes fit one page. For node
// levels the last child of a page is kept in the tail field and takes no
// room.
std::vector<std::vector<size_t>> Pack(
    const std::vector<std::vector<uint8_t>>& items, bool tail_free) {
  std::vector<std::vector<size_t>> groups;
  size_t used = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].size() > format::kIndexRoom)
      ThrowCorrupt("index entry too long");
    if (!groups.empty()) {
      const auto& g = groups.back();
      // Bytes the page needs if item i joins it.
      const size_t add = tail_free ? items[g.back()].size() : items[i].size();
      if (used + add <= format::kIndexRoom) {
        groups.back().push_back(i);
        used += add;
        continue;
      }
    }
    groups.push_back({i});
    used = tail_free ? 0 : items[i].size();
  }
  return groups;
}

// One level of the tree, leaves first: its items, the last leaf entry below
// each, their grouping into pages, and the pages.
struct Level {
  std::vector<std::vector<uint8_t>> items;
  std::vector<std::vector<uint8_t>> last_leaf;
  std::vector<std::vector<size_t>> groups;
  std::vector<uint32_t> pages;
};

// The levels of the tree over sorted entries, up to a single root page.
// Node items get room for their child pointer, filled in later.
std::vector<Level> BuildLevels(const std::vector<IndexEntry>& entries) {
  std::vector<Level> levels(1);
  for (const IndexEntry& e : entries) {
    levels[0].items.push_back(LeafEntry(e));
    levels[0].last_leaf.push_back(levels[0].items.back());
  }
  levels[0].groups = Pack(levels[0].items, false);
  if (levels[0].groups.empty()) levels[0].groups.push_back({});
  while (levels.back().groups.size() > 1) {
    if (levels.size() > 8) ThrowCorrupt("index tree too deep");
    Level next;
    const Level& below = levels.back();
    for (const auto& g : below.groups) {
      next.last_leaf.push_back(below.last_leaf[g.back()]);
      next.items.push_back(below.last_leaf[g.back()]);
      next.items.back().insert(next.items.back().end(), 4, 0);
    }
    next.groups = Pack(next.items, true);
    levels.push_back(std::move(next));
  }
  return levels;
}

// Pages for every group: the root keeps its number, others reuse the pages
// of the index (only those that really are this index's), new ones are
// allocated, and reused pages left over are freed.
void AssignPages(PageStore& store, uint32_t tdef_page,
                 const RealIndexDef& index, std::vector<Level>& levels) {
  const uint32_t map_ptr = index.usage_map.Packed();
  std::vector<uint32_t> pool;
  for (uint32_t p : MapPages(store, map_ptr)) {
    const Bytes page = store.ReadPage(p);
    if (p != index.root_page && p >= format::kFirstAllocatablePage &&
        (page[0] == format::kPageIndexNode ||
         page[0] == format::kPageIndexLeaf) &&
        U32(page, format::kIndexOwner) == tdef_page) {
      pool.push_back(p);
    }
  }
  size_t pool_used = 0;
  for (size_t l = 0; l < levels.size(); ++l) {
    for (size_t g = 0; g < levels[l].groups.size(); ++g) {
      uint32_t page;
      if (l + 1 == levels.size()) {
        page = index.root_page;
      } else if (pool_used < pool.size()) {
        page = pool[pool_used++];
      } else {
        page = store.Allocate();
        MapSetPage(store, map_ptr, page, true);
      }
      levels[l].pages.push_back(page);
    }
  }
  for (size_t i = pool_used; i < pool.size(); ++i) {
    MapSetPage(store, map_ptr, pool[i], false);
    store.Free(pool[i]);
  }
  // Child pointers of node items, big-endian.
  for (size_t l = 1; l < levels.size(); ++l) {
    for (size_t i = 0; i < levels[l].items.size(); ++i) {
      auto& item = levels[l].items[i];
      const uint32_t child = levels[l - 1].pages[i];
      for (int k = 0; k < 4; ++k) {
        item[item.size() - 1 - k] = static_cast<uint8_t>(child >> (8 * k));
      }
    }
  }
}

// Writes the pages of one level; siblings are linked within a parent (all
// leaves are linked).
void WriteLevel(PageStore& store, uint32_t tdef_page, const Level& lv,
                const Level* up, bool leaf) {
  std::vector<size_t> parent(lv.groups.size(), 0);
  if (up != nullptr) {
    for (size_t g = 0; g < up->groups.size(); ++g) {
      for (size_t item : up->groups[g]) parent[item] = g;
    }
  }
  for (size_t g = 0; g < lv.groups.size(); ++g) {
    IndexPage p;
    p.type = leaf ? format::kPageIndexLeaf : format::kPageIndexNode;
    p.owner = tdef_page;
    if (g > 0 && (leaf || parent[g - 1] == parent[g])) p.prev = lv.pages[g - 1];
    if (g + 1 < lv.groups.size() && (leaf || parent[g + 1] == parent[g])) {
      p.next = lv.pages[g + 1];
    }
    const auto& grp = lv.groups[g];
    for (size_t k = 0; k < grp.size(); ++k) {
      if (!leaf && grp.size() > 1 && k + 1 == grp.size()) {
        p.tail = ChildPage(lv.items[grp[k]]);
      } else {
        p.entries.push_back(lv.items[grp[k]]);
      }
    }
    EncodeIndexPage(store.Page(lv.pages[g]), p);
  }
}

}  // namespace

uint32_t WriteIndexTree(PageStore& store, uint32_t tdef_page,
                        const RealIndexDef& index,
                        std::vector<IndexEntry> entries) {
  // Keys compare as unsigned bytes, as std::vector does.
  std::sort(entries.begin(), entries.end(),
            [](const IndexEntry& a, const IndexEntry& b) {
              return std::tie(a.key, a.row.page, a.row.row) <
                     std::tie(b.key, b.row.page, b.row.row);
            });
  uint32_t distinct = 0;
  for (size_t k = 0; k < entries.size(); ++k) {
    if (k == 0 || entries[k - 1].key != entries[k].key) ++distinct;
  }
  std::vector<Level> levels = BuildLevels(entries);
  AssignPages(store, tdef_page, index, levels);
  for (size_t l = 0; l < levels.size(); ++l) {
    WriteLevel(store, tdef_page, levels[l],
               l + 1 < levels.size() ? &levels[l + 1] : nullptr, l == 0);
  }
  return distinct;
}

}  // namespace jet
