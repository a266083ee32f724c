#include "jet/tdef.h"

#include <algorithm>
#include <unordered_set>

#include "base/text.h"
#include "jet/text_codec.h"

namespace jet {
namespace {

constexpr uint32_t kMaxTdefLength = 256 * 1024;

// Reads `count` names starting at `pos`.
std::vector<std::string> ReadNames(Bytes b, size_t& pos, size_t count) {
  std::vector<std::string> names;
  names.reserve(count);
  for (size_t i = 0; i < count; ++i) names.push_back(ReadName(b, pos));
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

const ColumnDef* TableDef::ColumnNumbered(uint16_t number) const {
  for (const ColumnDef& c : columns) {
    if (c.number == number) return &c;
  }
  return nullptr;
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

namespace {

std::vector<uint8_t> Copy(Bytes b) { return {b.begin(), b.end()}; }

ColumnDef ParseColumn(Bytes cd) {
  ColumnDef c;
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
  return c;
}

void ParseRealIndex(Bytes rd, RealIndexDef& ri) {
  for (uint32_t k = 0; k < format::kRealIndexColumns; ++k) {
    const size_t at = format::kRealIndexColumnList + 3 * k;
    uint16_t col = U16(rd, at);
    if (col == 0xFFFF) continue;
    ri.columns.push_back({col, (rd[at + 2] & 0x01) != 0});
  }
  ri.usage_map = ReadRowId(rd, format::kRealIndexUsageMap);
  ri.root_page = U32(rd, format::kRealIndexRootPage);
  ri.flags = rd[format::kRealIndexFlags];
  ri.stored = Copy(rd);
}

void ParseLogicalIndex(Bytes ld, LogicalIndexDef& li) {
  li.number = U32(ld, format::kLogicalIndexNumber);
  li.real_index = U32(ld, format::kLogicalIndexReal);
  li.related_table_type = ld[format::kLogicalRelatedType];
  li.related_index = U32(ld, format::kLogicalRelatedIndex);
  li.related_table_page = U32(ld, format::kLogicalRelatedTable);
  li.cascade_updates = ld[format::kLogicalCascadeUpdates];
  li.cascade_deletes = ld[format::kLogicalCascadeDeletes];
  li.index_type = ld[format::kLogicalIndexType];
  li.stored = Copy(ld);
}

// The structures after the header, in stored order; `pos` moves past each.
void ParseBody(Bytes b, size_t col_count, size_t logical_count, TableDef& d) {
  size_t pos = format::kTdefHeaderSize;
  for (auto& ri : d.real_indexes) {
    ri.stored_count = Copy(Sub(b, pos, format::kRealIndexCountBlock, "index"));
    ri.unique_count = U32(b, pos + format::kRealIndexUniqueCount);
    pos += format::kRealIndexCountBlock;
  }
  for (size_t i = 0; i < col_count; ++i) {
    Bytes cd = Sub(b, pos, format::kColumnDescriptor, "column descriptor");
    d.columns.push_back(ParseColumn(cd));
    d.descriptor_order.push_back(d.columns.back().number);
    d.stored_descriptors.push_back(Copy(cd));
    pos += format::kColumnDescriptor;
  }
  std::vector<std::string> names = ReadNames(b, pos, col_count);
  for (size_t i = 0; i < col_count; ++i)
    d.columns[i].name = std::move(names[i]);
  for (auto& ri : d.real_indexes) {
    ParseRealIndex(Sub(b, pos, format::kRealIndexDefinition, "index"), ri);
    pos += format::kRealIndexDefinition;
  }
  d.logical_indexes.resize(logical_count);
  for (auto& li : d.logical_indexes) {
    ParseLogicalIndex(Sub(b, pos, format::kLogicalIndexDefinition, "index"),
                      li);
    pos += format::kLogicalIndexDefinition;
  }
  names = ReadNames(b, pos, logical_count);
  for (size_t i = 0; i < logical_count; ++i) {
    d.logical_indexes[i].name = std::move(names[i]);
  }
  // Column usage-map list, ended by FFFF. Tolerate a missing terminator at
  // the very end of the definition.
  while (pos + format::kColumnUsageEntry <= b.size()) {
    uint16_t col = U16(b, pos);
    if (col == 0xFFFF) break;
    d.column_maps.push_back(
        {col, ReadRowId(b, pos + 2), ReadRowId(b, pos + 6)});
    pos += format::kColumnUsageEntry;
  }
}

}  // namespace

TableDef ParseTableDef(Bytes buf) {
  TableDef d;
  d.tdef_length = U32(buf, format::kTdefLength);
  if (d.tdef_length < format::kTdefHeaderSize)
    ThrowCorrupt("table definition too short");
  // Decode only what the definition claims, but never beyond the buffer.
  Bytes b = buf.first(std::min<size_t>(buf.size(), d.tdef_length));
  d.stored_header = Copy(Sub(b, 0, format::kTdefHeaderSize, "tdef header"));
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
  d.real_indexes.resize(real_count);
  ParseBody(b, col_count, logical_count, d);
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

std::string ReadName(Bytes b, size_t& pos) {
  const uint16_t len = U16(b, pos, "name length");
  std::string name = DecodeUtf16(Sub(b, pos + 2, len, "name"));
  pos += 2 + size_t{len};
  return name;
}

// --- serializing ---

void AppendName(std::vector<uint8_t>& b, std::string_view utf8) {
  const std::u16string name = base::Utf8ToUtf16(utf8);
  AppendU16(b, static_cast<uint16_t>(name.size() * 2));
  for (char16_t ch : name) AppendU16(b, static_cast<uint16_t>(ch));
}

namespace {

// Appends a block of `size` bytes to `b` and returns it: the bytes as read
// when there are any, else zeros with the structure's magic number at 0.
std::span<uint8_t> Block(std::vector<uint8_t>& b, size_t size,
                         const std::vector<uint8_t>& stored, uint32_t magic) {
  const size_t at = b.size();
  b.resize(at + size, 0);
  std::span<uint8_t> d = std::span<uint8_t>(b).subspan(at, size);
  if (stored.size() == size) {
    std::copy(stored.begin(), stored.end(), d.begin());
  } else if (magic != 0) {
    PutU32(d, 0, magic);
  }
  return d;
}

void PutColumnDescriptor(std::vector<uint8_t>& b, const ColumnDef& c,
                         const std::vector<uint8_t>& stored) {
  std::span<uint8_t> d = Block(b, format::kColumnDescriptor, stored, 0);
  d[format::kColType] = c.type;
  if (stored.empty()) PutU32(d, format::kColMagic, format::kTdefMagicValue);
  PutU16(d, format::kColNumber, c.number);
  PutU16(d, format::kColVarIndex, c.var_index);
  PutU16(d, format::kColRowNumber, c.row_number);
  if (c.type == format::kTypeNumeric) {
    d[format::kColPrecision] = c.precision;
    d[format::kColScale] = c.scale;
  } else {
    PutU16(d, format::kColPrecision, c.collation);
  }
  d[format::kColFlags] = c.flags;
  d[format::kColExtraFlags] = c.extra_flags;
  PutU16(d, format::kColFixedOffset, c.fixed_offset);
  PutU16(d, format::kColLength, c.length);
}

void PutRealIndex(std::vector<uint8_t>& b, const RealIndexDef& ix) {
  if (ix.columns.size() > format::kRealIndexColumns) {
    ThrowCorrupt("index with more than 10 columns");
  }
  std::span<uint8_t> d = Block(b, format::kRealIndexDefinition, ix.stored,
                               format::kRealIndexMagicValue);
  for (size_t i = 0; i < format::kRealIndexColumns; ++i) {
    const size_t at = format::kRealIndexColumnList + 3 * i;
    if (i < ix.columns.size()) {
      PutU16(d, at, ix.columns[i].column_number);
      d[at + 2] = ix.columns[i].ascending ? 0x01 : 0x00;
    } else {
      PutU16(d, at, 0xFFFF);
    }
  }
  PutU32(d, format::kRealIndexUsageMap, ix.usage_map.Packed());
  PutU32(d, format::kRealIndexRootPage, ix.root_page);
  d[format::kRealIndexFlags] = ix.flags;
}

void PutLogicalIndex(std::vector<uint8_t>& b, const LogicalIndexDef& li) {
  std::span<uint8_t> d = Block(b, format::kLogicalIndexDefinition, li.stored,
                               format::kTdefMagicValue);
  PutU32(d, format::kLogicalIndexNumber, li.number);
  PutU32(d, format::kLogicalIndexReal, li.real_index);
  d[format::kLogicalRelatedType] = li.related_table_type;
  PutU32(d, format::kLogicalRelatedIndex, li.related_index);
  PutU32(d, format::kLogicalRelatedTable, li.related_table_page);
  d[format::kLogicalCascadeUpdates] = li.cascade_updates;
  d[format::kLogicalCascadeDeletes] = li.cascade_deletes;
  d[format::kLogicalIndexType] = li.index_type;
}

void PutHeader(std::vector<uint8_t>& b, const TableDef& t) {
  std::span<uint8_t> h = Block(b, format::kTdefHeaderSize, t.stored_header, 0);
  if (t.stored_header.empty()) {
    h[0] = format::kPageTdef;
    h[1] = 0x01;
    PutU32(h, format::kTdefMagic, format::kTdefMagicValue);
    h[24] = 0x01;
  }
  PutU32(h, format::kTdefRowCount, t.row_count);
  PutU32(h, format::kTdefAutoNumber, t.last_autonumber);
  h[format::kTdefTableType] = t.table_type;
  PutU16(h, format::kTdefMaxCols, t.max_cols);
  PutU16(h, format::kTdefVarCols, t.var_col_count);
  PutU16(h, format::kTdefColumnCount, static_cast<uint16_t>(t.columns.size()));
  PutU32(h, format::kTdefLogicalIndexCount,
         static_cast<uint32_t>(t.logical_indexes.size()));
  PutU32(h, format::kTdefRealIndexCount,
         static_cast<uint32_t>(t.real_indexes.size()));
  PutU32(h, format::kTdefOwnedMap, t.owned_map.Packed());
  PutU32(h, format::kTdefFreeMap, t.free_map.Packed());
}

// The columns in descriptor order.
std::vector<const ColumnDef*> DescriptorOrder(const TableDef& t) {
  std::vector<const ColumnDef*> out;
  for (const ColumnDef& c : t.columns) out.push_back(&c);
  if (t.descriptor_order.size() != t.columns.size()) return out;
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = t.ColumnNumbered(t.descriptor_order[i]);
    if (out[i] == nullptr) ThrowCorrupt("descriptor order");
  }
  return out;
}

}  // namespace

std::vector<uint8_t> SerializeTdef(const TableDef& t) {
  std::vector<uint8_t> b;
  PutHeader(b, t);
  for (const RealIndexDef& ix : t.real_indexes) {
    PutU32(Block(b, format::kRealIndexCountBlock, ix.stored_count, 0),
           format::kRealIndexUniqueCount, ix.unique_count);
  }
  const std::vector<const ColumnDef*> columns = DescriptorOrder(t);
  const bool as_read = t.descriptor_order.size() == columns.size() &&
                       t.stored_descriptors.size() == columns.size();
  for (size_t i = 0; i < columns.size(); ++i) {
    PutColumnDescriptor(
        b, *columns[i],
        as_read ? t.stored_descriptors[i] : std::vector<uint8_t>{});
  }
  for (const ColumnDef* c : columns) AppendName(b, c->name);
  for (const RealIndexDef& ix : t.real_indexes) PutRealIndex(b, ix);
  for (const LogicalIndexDef& li : t.logical_indexes) PutLogicalIndex(b, li);
  for (const LogicalIndexDef& li : t.logical_indexes) AppendName(b, li.name);
  for (const ColumnMaps& m : t.column_maps) {
    AppendU16(b, m.column_number);
    AppendU32(b, m.owned.Packed());
    AppendU32(b, m.free_space.Packed());
  }
  AppendU16(b, 0xFFFF);
  PutU32(std::span<uint8_t>(b), format::kTdefLength,
         static_cast<uint32_t>(b.size()));
  return b;
}

uint16_t FixedLength(uint8_t type) {
  switch (type) {
    case format::kTypeByte:
      return 1;
    case format::kTypeInteger:
      return 2;
    case format::kTypeLong:
    case format::kTypeSingle:
      return 4;
    case format::kTypeCurrency:
    case format::kTypeDouble:
    case format::kTypeDate:
      return 8;
    case format::kTypeGuid:
      return 16;
    case format::kTypeNumeric:
      return format::kNumericLength;
    default:
      return 0;
  }
}

}  // namespace jet
