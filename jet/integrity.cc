// Structural check of a database image (see integrity.h). The walk reads
// through the writer's page store, whose accessors are bounds-checked and
// raise 3049; each fault found is recorded with where it was found, and a
// structure that cannot be walked at all ends only its own part of the walk.
#include "jet/integrity.h"

#include <algorithm>
#include <map>
#include <set>

#include "base/runtime_error.h"
#include "jet/catalog_writer.h"
#include "jet/database.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/row_reader.h"

namespace jet {
namespace {

bool KeyLess(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  return CompareKeys(a.data(), a.size(), b.data(), b.size()) < 0;
}

struct Checker {
  const PageStore& store;
  Database& db;
  std::vector<std::string> problems;
  std::set<uint32_t> checked_pages;

  void Problem(const std::string& where, const std::string& what) {
    problems.push_back(where + ": " + what);
  }

  void InUse(const std::string& where, uint32_t page) {
    if (!checked_pages.insert(page).second) return;
    if (page >= store.page_count()) {
      Problem(where,
              "page " + std::to_string(page) + " beyond the end of the file");
    } else if (store.IsFree(page)) {
      Problem(where, "page " + std::to_string(page) +
                         " is in use but the global usage map marks it free");
    }
  }

  // Leaf entries of an index in tree order, checking page types, owners,
  // free-space fields and node entries on the way.
  void Walk(const std::string& where, uint32_t tdef, uint32_t page, int depth,
            std::vector<std::vector<uint8_t>>& out, std::set<uint32_t>& seen) {
    if (depth > 12 || !seen.insert(page).second) {
      throw base::RuntimeError(base::err::kCorruptDatabase, kErrorSource,
                               "index tree loops or is too deep");
    }
    InUse(where, page);
    auto p = store.Page(page);
    if ((p[0] != format::kPageIndexLeaf && p[0] != format::kPageIndexNode) ||
        p[1] != 1) {
      Problem(where, "page " + std::to_string(page) + " is no index page");
      return;
    }
    if (GetU32(p, 4) != tdef) {
      Problem(where,
              "index page " + std::to_string(page) + " names another table");
    }
    const uint16_t prefix = GetU16(p, 24);
    std::vector<std::vector<uint8_t>> entries;
    size_t prev = 0;
    for (size_t bit = 0; bit < 453 * 8; ++bit) {
      if (!(p[27 + bit / 8] >> (bit % 8) & 1)) continue;
      if (bit > kIndexRoom) {
        Problem(where, "entry bitmap past the page");
        break;
      }
      std::vector<uint8_t> e;
      if (!entries.empty()) {
        if (prefix > entries.front().size()) {
          Problem(where, "prefix longer than the first entry");
          return;
        }
        e.assign(entries.front().begin(), entries.front().begin() + prefix);
      }
      e.insert(e.end(),
               p.begin() + static_cast<std::ptrdiff_t>(kIndexEntryStart + prev),
               p.begin() + static_cast<std::ptrdiff_t>(kIndexEntryStart + bit));
      entries.push_back(std::move(e));
      prev = bit;
    }
    if (GetU16(p, 2) != kIndexRoom - prev) {
      Problem(where,
              "index page " + std::to_string(page) + " free-space field");
    }
    if (p[0] == format::kPageIndexLeaf) {
      for (auto& e : entries) {
        if (e.size() < 5) {
          Problem(where, "leaf entry too short");
          continue;
        }
        out.push_back(std::move(e));
      }
      return;
    }
    std::vector<std::pair<uint32_t, const std::vector<uint8_t>*>> kids;
    for (const auto& e : entries) {
      if (e.size() < 9) {
        Problem(where, "node entry too short");
        return;
      }
      const size_t n = e.size();
      kids.emplace_back(static_cast<uint32_t>(e[n - 4]) << 24 | e[n - 3] << 16 |
                            e[n - 2] << 8 | e[n - 1],
                        &e);
    }
    if (GetU32(p, 20) != 0) kids.emplace_back(GetU32(p, 20), nullptr);
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

  void CheckIndex(
      const std::string& where, const TableDef& def, const RealIndexDef& ix,
      const std::vector<std::pair<RowId, std::vector<uint8_t>>>& rows) {
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
      if (!KeyLess(found[i - 1], found[i])) {
        Problem(where, "entries out of order");
        break;
      }
    }
    std::vector<std::vector<uint8_t>> expected;
    bool keys_known = true;
    for (const auto& [id, row] : rows) {
      try {
        auto key = RowIndexKey(def, ix, row);
        if (!key) continue;
        key->push_back(static_cast<uint8_t>(id.page >> 16));
        key->push_back(static_cast<uint8_t>(id.page >> 8));
        key->push_back(static_cast<uint8_t>(id.page));
        key->push_back(id.row);
        expected.push_back(std::move(*key));
      } catch (const base::RuntimeError&) {
        keys_known = false;
      }
    }
    if (keys_known) {
      std::vector<std::vector<uint8_t>> got = found;
      std::sort(got.begin(), got.end(), KeyLess);
      std::sort(expected.begin(), expected.end(), KeyLess);
      const bool same =
          got.size() == expected.size() &&
          std::equal(got.begin(), got.end(), expected.begin(),
                     [](const auto& a, const auto& b) {
                       return CompareKeys(a.data(), a.size(), b.data(),
                                          b.size()) == 0;
                     });
      if (!same) {
        Problem(where, "entries do not match the rows (" +
                           std::to_string(got.size()) + " entries, " +
                           std::to_string(expected.size()) + " expected)");
      }
    } else if (found.size() > rows.size()) {
      Problem(where, "more entries than rows");
    }
    if (ix.flags & 0x01) {
      for (size_t i = 1; i < found.size(); ++i) {
        if (std::equal(found[i - 1].begin(), found[i - 1].end() - 4,
                       found[i].begin(), found[i].end() - 4) &&
            found[i - 1].size() == found[i].size() && found[i][0] != 0) {
          Problem(where, "duplicate key in a unique index");
          break;
        }
      }
    }
  }

  void CheckTable(const std::string& name, uint32_t tdef, bool system) {
    const std::string where = "table " + name;
    TableDef def = LoadTableDef(store, tdef);
    InUse(where, tdef);
    for (uint32_t p : def.continuation_pages) InUse(where, p);
    RowReader reader(db.file(), def);
    // Access keeps its own data in a column type (0x11) that no reader
    // decodes; such rows are checked for their layout only.
    bool decodable = true;
    bool has_var = false;
    for (const ColumnDef& c : def.columns) {
      if (c.type == 0 ||
          (c.type > format::kTypeMemo && c.type != format::kTypeGuid &&
           c.type != format::kTypeNumeric)) {
        decodable = false;
      }
      if (!c.IsFixed()) has_var = true;
    }
    std::vector<std::pair<RowId, std::vector<uint8_t>>> rows;
    ForEachLiveRow(store, def, [&](RowId id, std::span<const uint8_t> row) {
      InUse(where, id.page);
      try {
        if (decodable) {
          reader.Decode(Bytes(row));
        } else {
          RowLayout(Bytes(row), has_var);
        }
      } catch (const base::RuntimeError& e) {
        Problem(where, "row " + std::to_string(id.page) + "/" +
                           std::to_string(id.row) + ": " + e.description());
      }
      rows.emplace_back(id, std::vector<uint8_t>(row.begin(), row.end()));
    });
    if (rows.size() != def.row_count && (!system || tdef == 2)) {
      Problem(where, "row count " + std::to_string(def.row_count) + ", " +
                         std::to_string(rows.size()) + " live rows");
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

}  // namespace

std::vector<std::string> FindDamage(const std::vector<uint8_t>& image) {
  std::unique_ptr<Database> db;
  std::optional<PageStore> store;
  try {
    db = Database::FromBytes(image, "(database)");
    store.emplace(image);
  } catch (const base::RuntimeError& e) {
    return {"file: " + e.description()};
  }
  Checker c{*store, *db, {}, {}};
  try {
    for (const CatalogObject& o : ReadCatalogObjects(*store)) {
      if (o.type != format::kObjectTypeTable) continue;
      const uint32_t page =
          static_cast<uint32_t>(o.id) & format::kObjectIdPageMask;
      try {
        c.CheckTable(o.name, page, (o.flags & format::kObjectFlagSystem) != 0);
      } catch (const base::RuntimeError& e) {
        c.Problem("table " + o.name, e.description());
      }
    }
  } catch (const base::RuntimeError& e) {
    c.Problem("catalog", e.description());
  }
  return c.problems;
}

}  // namespace jet
