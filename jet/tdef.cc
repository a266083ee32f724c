#include "jet/tdef.h"

#include <algorithm>
#include <unordered_set>

#include "base/text.h"
#include "jet/text_codec.h"

namespace jet {
namespace {

constexpr uint32_t kMaxTdefLength = 256 * 1024;

// Reads `count` names (u16 byte length + UTF-16LE) starting at `pos`.
std::vector<std::string> ReadNames(Bytes b, size_t& pos, size_t count) {
  std::vector<std::string> names;
  names.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    uint16_t len = U16(b, pos, "name length");
    pos += 2;
    names.push_back(DecodeUtf16(Sub(b, pos, len, "name")));
    pos += len;
  }
  return names;
}

}  // namespace

int TableDef::FindColumn(std::string_view name) const {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (base::EqualsIgnoreCase(columns[i].name, name)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

TdefChain ReadTdefChain(const PageSource& file, uint32_t first) {
  TdefChain chain;
  std::unordered_set<uint32_t> seen;
  uint32_t p = first;
  while (true) {
    if (!seen.insert(p).second)
      ThrowCorrupt("table definition pages form a cycle");
    Bytes pg = file.ReadPage(p);
    if (U8(pg, 0) != format::kPageTdef)
      ThrowCorrupt("table definition page has the wrong type");
    if (chain.buffer.empty()) {
      chain.buffer.assign(pg.begin(), pg.end());
    } else {
      Bytes payload = Sub(pg, format::kTdefPageHeader,
                          pg.size() - format::kTdefPageHeader, "tdef page");
      chain.buffer.insert(chain.buffer.end(), payload.begin(), payload.end());
      chain.continuation_pages.push_back(p);
    }
    const uint32_t length =
        U32(Bytes(chain.buffer), format::kTdefLength, "tdef length");
    // 255 columns and 32 indexes with the longest names need about 40 KB.
    if (length > kMaxTdefLength) ThrowCorrupt("table definition too long");
    const uint32_t next = U32(pg, format::kTdefNextPage);
    if (next == 0 || chain.buffer.size() >= length) break;
    p = next;
  }
  return chain;
}

TableDef ReadTableDef(const PageSource& file, uint32_t page) {
  TdefChain chain = ReadTdefChain(file, page);
  TableDef def = ParseTableDef(chain.buffer);
  def.tdef_page = page;
  def.continuation_pages = std::move(chain.continuation_pages);
  return def;
}

TableDef ParseTableDef(Bytes buf) {
  TableDef d;
  d.tdef_length = U32(buf, format::kTdefLength);
  if (d.tdef_length < format::kTdefHeaderSize)
    ThrowCorrupt("table definition too short");
  // Decode only what the definition claims, but never beyond the buffer.
  Bytes b = buf.first(std::min<size_t>(buf.size(), d.tdef_length));
  d.row_count = U32(b, format::kTdefRowCount);
  d.last_autonumber = U32(b, format::kTdefAutoNumber);
  d.table_type = U8(b, format::kTdefTableType);
  d.max_cols = U16(b, format::kTdefMaxCols);
  d.var_col_count = U16(b, format::kTdefVarCols);
  uint16_t col_count = U16(b, format::kTdefColumnCount);
  uint32_t logical_count = U32(b, format::kTdefLogicalIndexCount);
  uint32_t real_count = U32(b, format::kTdefRealIndexCount);
  d.owned_map = ReadRowId(b, format::kTdefOwnedMap);
  d.free_map = ReadRowId(b, format::kTdefFreeMap);
  // Each structure has a fixed minimum size, so counts larger than the
  // buffer can hold are rejected before anything is allocated.
  if (real_count > b.size() / format::kRealIndexCountBlock ||
      logical_count > b.size() / format::kLogicalIndexDefinition ||
      col_count > b.size() / format::kColumnDescriptor) {
    ThrowCorrupt("table definition counts exceed its length");
  }
  size_t pos = format::kTdefHeaderSize;
  d.real_indexes.resize(real_count);
  for (auto& ri : d.real_indexes) {
    ri.unique_count = U32(b, pos + format::kRealIndexUniqueCount);
    pos += format::kRealIndexCountBlock;
  }
  d.columns.resize(col_count);
  for (auto& c : d.columns) {
    Bytes cd = Sub(b, pos, format::kColumnDescriptor, "column descriptor");
    c.type = cd[format::kColType];
    c.number = U16(cd, format::kColNumber);
    c.var_index = U16(cd, format::kColVarIndex);
    c.row_number = U16(cd, format::kColRowNumber);
    c.precision = cd[format::kColPrecision];
    c.scale = cd[format::kColScale];
    c.collation = U16(cd, format::kColPrecision);
    c.flags = cd[format::kColFlags];
    c.extra_flags = cd[format::kColExtraFlags];
    c.fixed_offset = U16(cd, format::kColFixedOffset);
    c.length = U16(cd, format::kColLength);
    pos += format::kColumnDescriptor;
  }
  std::vector<std::string> names = ReadNames(b, pos, col_count);
  for (size_t i = 0; i < col_count; ++i)
    d.columns[i].name = std::move(names[i]);
  for (auto& ri : d.real_indexes) {
    Bytes rd = Sub(b, pos, format::kRealIndexDefinition, "index definition");
    for (uint32_t k = 0; k < format::kRealIndexColumns; ++k) {
      const size_t at = format::kRealIndexColumnList + 3 * k;
      uint16_t col = U16(rd, at);
      if (col == 0xFFFF) continue;
      ri.columns.push_back({col, (rd[at + 2] & 0x01) != 0});
    }
    ri.usage_map = ReadRowId(rd, format::kRealIndexUsageMap);
    ri.root_page = U32(rd, format::kRealIndexRootPage);
    ri.flags = rd[format::kRealIndexFlags];
    pos += format::kRealIndexDefinition;
  }
  d.logical_indexes.resize(logical_count);
  for (auto& li : d.logical_indexes) {
    Bytes ld = Sub(b, pos, format::kLogicalIndexDefinition, "index definition");
    li.number = U32(ld, format::kLogicalIndexNumber);
    li.real_index = U32(ld, format::kLogicalIndexReal);
    li.related_table_type = ld[format::kLogicalRelatedType];
    li.related_index = U32(ld, format::kLogicalRelatedIndex);
    li.related_table_page = U32(ld, format::kLogicalRelatedTable);
    li.cascade_updates = ld[format::kLogicalCascadeUpdates];
    li.cascade_deletes = ld[format::kLogicalCascadeDeletes];
    li.index_type = ld[format::kLogicalIndexType];
    pos += format::kLogicalIndexDefinition;
  }
  names = ReadNames(b, pos, logical_count);
  for (size_t i = 0; i < logical_count; ++i) {
    d.logical_indexes[i].name = std::move(names[i]);
  }
  // Column usage-map list, ended by FFFF. Tolerate a missing terminator at
  // the very end of the definition.
  while (pos + 2 <= b.size()) {
    uint16_t col = U16(b, pos);
    if (col == 0xFFFF) break;
    if (pos + format::kColumnUsageEntry > b.size()) break;
    d.column_maps.push_back(
        {col, ReadRowId(b, pos + 2), ReadRowId(b, pos + 6)});
    pos += format::kColumnUsageEntry;
  }
  std::sort(d.columns.begin(), d.columns.end(),
            [](const ColumnDef& a, const ColumnDef& c) {
              return a.number < c.number;
            });
  for (size_t i = 1; i < d.columns.size(); ++i) {
    if (d.columns[i].number == d.columns[i - 1].number) {
      ThrowCorrupt("two columns share a column number");
    }
  }
  return d;
}

}  // namespace jet
