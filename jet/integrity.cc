// Structural check of a database image (see integrity.h). The walk reads
// through the writer's page store, whose accessors are bounds-checked and
// raise 3049; each fault found is recorded with where it was found, and a
// structure that cannot be walked at all ends only its own part of the walk.
//
// Ownership: every page in use belongs to exactly one structure: a table
// definition chain, a table's data pages (its owned map), an index (its
// usage map), a long-value column (its owned map), or a bitmap page of a
// reference usage map. Pages holding usage-map rows are shared by the maps.
#include "jet/integrity.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "base/runtime_error.h"
#include "jet/catalog.h"
#include "jet/catalog_writer.h"
#include "jet/database.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/header.h"
#include "jet/index_page.h"
#include "jet/lval.h"
#include "jet/rc4.h"
#include "jet/row_reader.h"
#include "jet/usage_map.h"

namespace jet {
namespace {

// Keys compare as unsigned bytes (a named function: GCC 12 misreads the
// inlined std::vector comparison inside std::sort here).
bool KeyLess(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  return CompareKeys(a.data(), a.size(), b.data(), b.size()) < 0;
}

std::string PageName(uint32_t page) { return "page " + std::to_string(page); }

struct Checker {
  Checker(const PageStore& s, bool rows)
      : store(s), check_rows(rows), checked_pages(s.page_count()) {}
  const PageStore& store;
  bool check_rows;  // false when only the structure is checked
  std::vector<std::string> problems;
  std::vector<bool> checked_pages;         // pages InUse has looked at
  std::set<uint32_t> beyond_end;           // and those past the end it reported
  std::map<uint32_t, std::string> owners;  // page -> who owns it
  std::set<uint32_t> map_row_pages;
  std::map<uint32_t, std::string> tables;  // TDEF page -> "table NAME"
  std::set<uint32_t> lval_refs;  // packed LVAL rows that rows refer to

  void Problem(const std::string& where, const std::string& what) {
    problems.push_back(where + ": " + what);
  }

  void InUse(const std::string& where, uint32_t page) {
    if (page >= store.page_count()) {
      if (beyond_end.insert(page).second) {
        Problem(where, PageName(page) + " beyond the end of the file");
      }
      return;
    }
    if (checked_pages[page]) return;
    checked_pages[page] = true;
    if (store.IsFree(page)) {
      Problem(where, PageName(page) +
                         " is in use but the global usage map marks it free");
    }
  }

  // Records that `who` owns `page`; a page past the end or owned twice is a
  // fault.
  void Own(const std::string& who, uint32_t page) {
    if (page >= store.page_count()) {
      Problem(who, "lists " + PageName(page) + " past the end of the file");
      return;
    }
    auto [it, added] = owners.emplace(page, who);
    if (!added && it->second != who) {
      Problem(who, PageName(page) + " is also owned by " + it->second);
    }
  }

  // The bitmap pages of a reference map belong to `who`.
  void OwnBitmapPages(const std::string& who, const UsageMap& map) {
    for (uint32_t bitmap : map.map_pages) {
      if (bitmap != 0) Own(who, bitmap);
    }
  }

  // Reads a usage map (3049 when it cannot be read); the bitmap pages of a
  // reference map are owned by `who`; the pages it lists are returned.
  std::vector<uint32_t> ReadMap(const std::string& who, RowId map) {
    const UsageMap usage = ReadUsageMap(store, map);
    map_row_pages.insert(map.page);
    OwnBitmapPages(who + " usage map", usage);
    if (usage.past_end) Problem(who, "lists pages past the end of the file");
    return usage.pages;
  }

  // A free-space map lists pages its owner owns already; some writers leave
  // it out (pointer 0).
  void ReadFreeSpaceMap(const std::string& who, RowId map) {
    if (map.Packed() != 0) ReadMap(who + " free-space", map);
  }

  // Claims every page a map lists for `who`.
  void OwnMap(const std::string& who, RowId map) {
    for (uint32_t p : ReadMap(who, map)) Own(who, p);
  }

  // The structure of one table: its definition, maps, index roots.
  void CheckTableStructure(const std::string& where, const TableDef& def) {
    tables.emplace(def.tdef_page, where);
    Own(where + " definition", def.tdef_page);
    for (uint32_t p : def.continuation_pages) Own(where + " definition", p);
    OwnMap(where, def.owned_map);
    ReadFreeSpaceMap(where, def.free_map);
    for (size_t i = 0; i < def.real_indexes.size(); ++i) {
      const std::string ix = where + " index " + std::to_string(i);
      OwnMap(ix, def.real_indexes[i].usage_map);
      if (def.real_indexes[i].root_page >= store.page_count()) {
        Problem(ix, "root " + PageName(def.real_indexes[i].root_page) +
                        " past the end of the file");
      }
    }
    for (const ColumnMaps& m : def.column_maps) {
      const std::string col =
          where + " column " + std::to_string(m.column_number);
      OwnMap(col + " long values", m.owned);
      ReadFreeSpaceMap(col, m.free_space);
    }
  }

  // Owned pages the global map marks free, and pages in use that nothing
  // owns (when `unowned` is asked for).
  void CheckGlobalMap(bool unowned) {
    OwnBitmapPages("global usage map",
                   ReadUsageMap(store, RowId{format::kGlobalMapPage, 0}));
    for (const auto& [page, who] : owners) {
      if (store.IsFree(page)) {
        Problem(who, PageName(page) +
                         " is in use but the global usage map marks it free");
      }
    }
    if (!unowned) return;
    // Access leaves pages of dropped tables and blank pages in use, so only
    // pages that carry a live table's mark must be owned.
    for (uint32_t p = format::kCatalogTdefPage + 1; p < store.page_count();
         ++p) {
      auto page = store.Page(p);
      if (owners.count(p) || map_row_pages.count(p) || store.IsFree(p))
        continue;
      if (page[0] != format::kPageData && page[0] != format::kPageIndexNode &&
          page[0] != format::kPageIndexLeaf) {
        continue;
      }
      auto table = tables.find(U32(page, format::kDataOwner));
      if (table != tables.end()) {
        Problem(table->second,
                PageName(p) + " in use but no usage map owns it");
      }
    }
  }

  // Leaf entries of an index in tree order, checking page types, owners,
  // free-space fields and node entries on the way.
  void Walk(const std::string& where, uint32_t tdef, uint32_t page, int depth,
            std::vector<std::vector<uint8_t>>& out, std::set<uint32_t>& seen) {
    if (depth > 12 || !seen.insert(page).second) {
      ThrowCorrupt("index tree loops or is too deep");
    }
    InUse(where, page);
    const IndexPage p = DecodeIndexPage(store.ReadPage(page));
    const std::string name = "index page " + std::to_string(page);
    if (p.owner != tdef) Problem(where, name + " names another table");
    if (p.free_space != format::kIndexRoom - p.used) {
      Problem(where, name + " free-space field");
    }
    const size_t shortest = p.type == format::kPageIndexLeaf ? 5 : 9;
    for (const auto& e : p.entries) {
      if (e.size() < shortest) {
        Problem(where, name + ": entry too short");
        return;
      }
    }
    if (p.type == format::kPageIndexLeaf) {
      out.insert(out.end(), p.entries.begin(), p.entries.end());
      return;
    }
    std::vector<std::pair<uint32_t, const std::vector<uint8_t>*>> kids;
    for (const auto& e : p.entries) kids.emplace_back(ChildPage(e), &e);
    if (p.tail != 0) kids.emplace_back(p.tail, nullptr);
    for (const auto& [child, entry] : kids) {
      const size_t before = out.size();
      Walk(where, tdef, child, depth + 1, out, seen);
      if (entry != nullptr && out.size() > before &&
          !std::equal(out.back().begin(), out.back().end(), entry->begin(),
                      entry->end() - 4)) {
        Problem(where, "node entry differs from its child's last entry");
      }
    }
  }

  void CheckIndex(const std::string& where, const TableDef& def,
                  const RealIndexDef& ix,
                  const std::vector<std::pair<RowId, Bytes>>& rows) {
    std::vector<std::vector<uint8_t>> found;
    std::set<uint32_t> seen;
    Walk(where, def.tdef_page, ix.root_page, 0, found, seen);
    std::vector<uint32_t> mapped = MapPages(store, ix.usage_map.Packed());
    for (uint32_t page : seen) {
      if (!std::binary_search(mapped.begin(), mapped.end(), page)) {
        Problem(where,
                "index page " + std::to_string(page) + " not in its usage map");
      }
    }
    for (size_t i = 1; i < found.size(); ++i) {
      if (!(found[i - 1] < found[i])) {
        Problem(where, "entries out of order");
        break;
      }
    }
    // Rows whose key the engine cannot compute (Memo and OLE columns) are
    // left out of the comparison, with their entries; every other row is
    // compared.
    std::vector<std::vector<uint8_t>> expected;
    std::set<std::array<uint8_t, 4>> unknown;
    for (const auto& [id, row] : rows) {
      const std::array<uint8_t, 4> tail = {static_cast<uint8_t>(id.page >> 16),
                                           static_cast<uint8_t>(id.page >> 8),
                                           static_cast<uint8_t>(id.page),
                                           id.row};
      try {
        auto key = RowIndexKey(def, ix, row);
        if (!key) continue;
        key->insert(key->end(), tail.begin(), tail.end());
        expected.push_back(std::move(*key));
      } catch (const base::RuntimeError&) {
        unknown.insert(tail);
      }
    }
    std::vector<std::vector<uint8_t>> got;
    for (const auto& e : found) {
      std::array<uint8_t, 4> tail{};
      if (e.size() >= 4) std::copy(e.end() - 4, e.end(), tail.begin());
      if (!unknown.count(tail)) got.push_back(e);
    }
    std::sort(got.begin(), got.end(), KeyLess);
    std::sort(expected.begin(), expected.end(), KeyLess);
    const bool same = got == expected;
    if (!same) {
      Problem(where, "entries do not match the rows (" +
                         std::to_string(got.size()) + " entries, " +
                         std::to_string(expected.size()) + " expected)");
    }
    if (ix.flags & 0x01) CheckUniqueKeys(where, found);
  }

  // Entries of a unique index in tree order: no two with the same key (keys
  // starting with a 0 byte, a Null first column in ascending order, may
  // repeat).
  void CheckUniqueKeys(const std::string& where,
                       const std::vector<std::vector<uint8_t>>& found) {
    for (size_t i = 1; i < found.size(); ++i) {
      if (std::equal(found[i - 1].begin(), found[i - 1].end() - 4,
                     found[i].begin(), found[i].end() - 4) &&
          found[i - 1].size() == found[i].size() && found[i][0] != 0) {
        Problem(where, "duplicate key in a unique index");
        break;
      }
    }
  }

  // Remembers the LVAL rows a stored long value refers to.
  void NoteLongValue(std::span<const uint8_t> header) {
    for (RowId id : LongValueRows(store, header)) lval_refs.insert(id.Packed());
  }

  // Live LVAL rows that no row refers to.
  void CheckLongValueRows() {
    for (const auto& [p, who] : owners) {
      const Bytes page = store.ReadPage(p);
      if (page[0] != format::kPageData ||
          U32(page, format::kDataOwner) != format::kLvalOwner) {
        continue;
      }
      try {
        const uint16_t rows = RowCount(page);
        for (uint16_t r = 0; r < rows; ++r) {
          if (!GetRowSlot(page, r).deleted && !lval_refs.count(p << 8 | r)) {
            Problem(who, "long value row " + std::to_string(p) + "/" +
                             std::to_string(r) + " that no row refers to");
          }
        }
      } catch (const base::RuntimeError& e) {
        Problem(who, e.description());
      }
    }
  }

  // Rows, long values and indexes of one table.
  void CheckTable(const std::string& where, const TableDef& def, bool system) {
    const uint32_t tdef = def.tdef_page;
    InUse(where, tdef);
    for (uint32_t p : def.continuation_pages) InUse(where, p);
    RowReader reader(store, def);
    // Access keeps its own data in a column type (0x11) that no reader
    // decodes; such rows are checked for their layout only.
    bool decodable = true;
    for (const ColumnDef& c : def.columns) {
      if (c.type == 0 ||
          (c.type > format::kTypeMemo && c.type != format::kTypeGuid &&
           c.type != format::kTypeNumeric)) {
        decodable = false;
      }
    }
    // Rows stay in the store's pages, which the check never changes; they
    // are kept only where an index is compared with them.
    const bool keep_rows = !def.real_indexes.empty();
    std::vector<std::pair<RowId, Bytes>> rows;
    size_t row_total = 0;
    ScanTable(store, def, [&](RowId id, std::span<const uint8_t> row) {
      InUse(where, id.page);
      try {
        if (decodable) reader.Check(Bytes(row));
        const RowLayout layout(Bytes(row), def);
        for (const ColumnDef& c : def.columns) {
          if (!c.IsLongValue() || !layout.MaskBit(c.number)) continue;
          if (auto header = layout.Var(c.var_index)) NoteLongValue(*header);
        }
      } catch (const base::RuntimeError& e) {
        Problem(where, "row " + std::to_string(id.page) + "/" +
                           std::to_string(id.row) + ": " + e.description());
      }
      ++row_total;
      if (keep_rows) rows.emplace_back(id, row);
    });
    if (row_total != def.row_count && (!system || tdef == 2)) {
      Problem(where, "row count " + std::to_string(def.row_count) + ", " +
                         std::to_string(row_total) + " live rows");
    }
    for (const ColumnMaps& m : def.column_maps) {
      for (uint32_t p : MapPages(store, m.owned.Packed())) InUse(where, p);
    }
    for (size_t i = 0; i < def.real_indexes.size(); ++i) {
      try {
        CheckIndex(where + " index " + std::to_string(i), def,
                   def.real_indexes[i], rows);
      } catch (const base::RuntimeError& e) {
        Problem(where + " index " + std::to_string(i), e.description());
      }
    }
  }
};

// The structure of the catalog and of every table it lists; `then` runs on
// each table after its structure (FindDamage checks the rows there).
void WalkTables(Checker& c,
                const std::function<void(const std::string&, const TableDef&,
                                         const CatalogEntry&)>& then) {
  try {
    // The catalog first: with a broken map it may list no table at all.
    c.CheckTableStructure("table MSysObjects",
                          LoadTableDef(c.store, format::kCatalogTdefPage));
    for (const CatalogEntry& o : ReadCatalogEntries(c.store)) {
      if (o.type != format::kObjectTypeTable) continue;
      const uint32_t page = o.TablePage();
      const std::string where = "table " + o.name;
      try {
        const TableDef def = LoadTableDef(c.store, page);
        c.CheckTableStructure(where, def);
        if (then) then(where, def, o);
      } catch (const base::RuntimeError& e) {
        c.Problem(where, e.description());
      }
    }
    c.CheckGlobalMap(c.check_rows);
  } catch (const base::RuntimeError& e) {
    c.Problem("catalog", e.description());
  }
}

}  // namespace

std::vector<std::string> FindStructuralDamage(const PageStore& store) {
  Checker c(store, false);
  WalkTables(c, nullptr);
  return c.problems;
}

std::vector<uint8_t> PlainImage(std::vector<uint8_t> image) {
  if (!IsJet4Header(image)) return image;
  const uint32_t key = ParseHeader(image).db_key;
  if (key == 0) return image;
  const size_t pages = image.size() / format::kPageSize;
  for (size_t n = 1; n < pages; ++n) {
    Rc4ApplyPage(key, static_cast<uint32_t>(n),
                 std::span<uint8_t>(image).subspan(n * format::kPageSize,
                                                   format::kPageSize));
  }
  return image;
}

namespace {

// The pages of an unencoded image in place, read as the reader's PageFile
// reads an image in memory.
class ImageView : public PageSource {
 public:
  explicit ImageView(const std::vector<uint8_t>& image)
      : image_(image),
        pages_(static_cast<uint32_t>(image.size() / format::kPageSize)) {}
  uint32_t page_count() const override { return pages_; }
  Bytes ReadPage(uint32_t n) const override {
    if (n >= pages_) ThrowCorrupt("page number beyond the end of the file");
    return Bytes(image_.data() + size_t{n} * format::kPageSize,
                 format::kPageSize);
  }

 private:
  const std::vector<uint8_t>& image_;
  uint32_t pages_;
};

// Whether the reader opens the image (Database::FromBytes), as "file: "
// and its error when not; empty when it opens. An unencoded image is opened
// in place, in the reader's order of checks, without the copy the reader
// would take of it. Sets `plain` when the image is a Jet 4 file that is not
// RC4-encoded.
std::string Unreadable(const std::vector<uint8_t>& image, bool& plain) {
  plain = false;
  const std::string name = "(database)";
  try {
    if (image.size() < format::kPageSize ||
        image.size() > format::kMaxFileSize) {
      ThrowUnrecognizedFormat(name);
    }
    const Bytes page0(image.data(), format::kPageSize);
    if (!IsJet4Header(page0)) ThrowUnrecognizedFormat(name);
    if (ParseHeader(page0).db_key != 0) {
      (void)Database::FromBytes(image, name);
      return {};
    }
    plain = true;
    (void)Catalog::Read(ImageView(image));
  } catch (const base::RuntimeError& e) {
    return "file: " + e.description();
  }
  return {};
}

// FindDamage's walk over the (decoded) pages, after the reader's open.
std::vector<std::string> CheckStore(const PageStore& store,
                                    const std::string& unreadable) {
  if (!unreadable.empty()) {
    std::vector<std::string> problems = FindStructuralDamage(store);
    problems.push_back(unreadable);
    return problems;
  }
  Checker c(store, true);
  WalkTables(c, [&](const std::string& where, const TableDef& def,
                    const CatalogEntry& o) {
    c.CheckTable(where, def, (o.flags & format::kObjectFlagSystem) != 0);
  });
  try {
    c.CheckLongValueRows();
  } catch (const base::RuntimeError& e) {
    c.Problem("long values", e.description());
  }
  return c.problems;
}

}  // namespace

std::vector<std::string> FindDamage(const std::vector<uint8_t>& image) {
  // The reader's open is tried first, so that the image is never held
  // three times (the caller's, the reader's and the decoded copy the check
  // walks).
  bool plain = false;
  const std::string unreadable = Unreadable(image, plain);
  std::optional<PageStore> store;
  try {
    store.emplace(PlainImage(image));
  } catch (const base::RuntimeError& e) {
    return {"file: " + e.description()};
  }
  return CheckStore(*store, unreadable);
}

std::vector<std::string> FindDamage(const PageStore& store) {
  bool plain = false;
  const std::string unreadable = Unreadable(store.bytes(), plain);
  if (!plain) return FindDamage(store.bytes());
  return CheckStore(store, unreadable);
}

}  // namespace jet
