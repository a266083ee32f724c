#include "jet/tdef_writer.h"

#include <algorithm>

#include "base/runtime_error.h"
#include "base/text.h"
#include "jet/errors.h"
#include "jet/format.h"

namespace jet {
namespace {

constexpr size_t kPage = format::kPageSize;
constexpr size_t kContinuationPayload = kPage - 8;

void AppendName(std::vector<uint8_t>& b, const std::string& utf8) {
  const std::u16string name = base::Utf8ToUtf16(utf8);
  AppendU16(b, static_cast<uint16_t>(name.size() * 2));
  for (char16_t ch : name) AppendU16(b, static_cast<uint16_t>(ch));
}

// Appends a zeroed block of `size` bytes to `b` and returns it.
std::span<uint8_t> Block(std::vector<uint8_t>& b, size_t size) {
  b.resize(b.size() + size, 0);
  return std::span<uint8_t>(b).last(size);
}

void PutColumnDescriptor(std::vector<uint8_t>& b, const ColumnDef& c) {
  std::span<uint8_t> d = Block(b, format::kColumnDescriptor);
  d[format::kColType] = c.type;
  PutU32(d, format::kColMagic, format::kTdefMagicValue);
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
  std::span<uint8_t> d = Block(b, format::kRealIndexDefinition);
  PutU32(d, 0, format::kRealIndexMagicValue);
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
  std::span<uint8_t> d = Block(b, format::kLogicalIndexDefinition);
  PutU32(d, 0, format::kTdefMagicValue);
  PutU32(d, format::kLogicalIndexNumber, li.number);
  PutU32(d, format::kLogicalIndexReal, li.real_index);
  d[format::kLogicalRelatedType] = li.related_table_type;
  PutU32(d, format::kLogicalRelatedIndex, li.related_index);
  PutU32(d, format::kLogicalRelatedTable, li.related_table_page);
  d[format::kLogicalCascadeUpdates] = li.cascade_updates;
  d[format::kLogicalCascadeDeletes] = li.cascade_deletes;
  d[format::kLogicalIndexType] = li.index_type;
}

}  // namespace

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

uint16_t FixedAreaSize(const std::vector<ColumnDef>& columns) {
  uint16_t size = 0;
  for (const ColumnDef& c : columns) {
    if (!c.IsFixed()) continue;
    size = std::max<uint16_t>(size,
                              static_cast<uint16_t>(c.fixed_offset + c.length));
  }
  return size;
}

std::vector<uint8_t> SerializeTdef(const TableDef& t) {
  std::vector<uint8_t> b(format::kTdefHeaderSize, 0);
  std::span<uint8_t> h(b);
  b[0] = format::kPageTdef;
  b[1] = 0x01;
  PutU32(h, format::kTdefMagic, format::kTdefMagicValue);
  PutU32(h, format::kTdefRowCount, t.row_count);
  PutU32(h, format::kTdefAutoNumber, t.last_autonumber);
  b[24] = 0x01;
  b[format::kTdefTableType] = t.table_type;
  uint16_t var_count = 0;
  for (const ColumnDef& c : t.columns) {
    if (!c.IsFixed()) ++var_count;
  }
  PutU16(h, format::kTdefMaxCols, t.max_cols);
  PutU16(h, format::kTdefVarCols, var_count);
  PutU16(h, format::kTdefColumnCount, static_cast<uint16_t>(t.columns.size()));
  PutU32(h, format::kTdefLogicalIndexCount,
         static_cast<uint32_t>(t.logical_indexes.size()));
  PutU32(h, format::kTdefRealIndexCount,
         static_cast<uint32_t>(t.real_indexes.size()));
  PutU32(h, format::kTdefOwnedMap, t.owned_map.Packed());
  PutU32(h, format::kTdefFreeMap, t.free_map.Packed());

  for (const RealIndexDef& ix : t.real_indexes) {
    PutU32(Block(b, format::kRealIndexCountBlock),
           format::kRealIndexUniqueCount, ix.unique_count);
  }
  for (const ColumnDef& c : t.columns) PutColumnDescriptor(b, c);
  for (const ColumnDef& c : t.columns) AppendName(b, c.name);
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

void WriteTdef(PageStore& store, uint32_t first_page,
               const std::vector<uint8_t>& buffer) {
  std::vector<uint32_t> old_chain;
  if (store.Page(first_page)[0] == format::kPageTdef) {
    old_chain = ReadTdefChain(store, first_page).continuation_pages;
  }
  // Pages of the new chain: the first page, then old continuation pages,
  // then new ones.
  size_t continuation = 0;
  if (buffer.size() > kPage) {
    continuation = (buffer.size() - kPage + kContinuationPayload - 1) /
                   kContinuationPayload;
  }
  std::vector<uint32_t> pages{first_page};
  for (size_t i = 0; i < continuation; ++i) {
    pages.push_back(i < old_chain.size() ? old_chain[i] : store.Allocate());
  }
  for (size_t i = continuation; i < old_chain.size(); ++i) {
    store.Free(old_chain[i]);
  }
  size_t pos = 0;
  for (size_t i = 0; i < pages.size(); ++i) {
    auto p = store.Page(pages[i]);
    std::fill(p.begin(), p.end(), 0);
    size_t used;
    if (i == 0) {
      const size_t n = std::min(buffer.size(), kPage);
      std::copy(buffer.begin(), buffer.begin() + n, p.begin());
      pos = n;
      used = n;
    } else {
      const size_t n = std::min(buffer.size() - pos, kContinuationPayload);
      std::copy(buffer.begin() + pos, buffer.begin() + pos + n, p.begin() + 8);
      pos += n;
      used = n + 8;
    }
    p[0] = format::kPageTdef;
    p[1] = 0x01;
    PutU16(p, format::kTdefFreeSpace,
           static_cast<uint16_t>(used + 8 >= kPage ? 0 : kPage - used - 8));
    PutU32(p, format::kTdefNextPage, i + 1 < pages.size() ? pages[i + 1] : 0);
  }
}

std::vector<ColumnDef> LayoutColumns(const std::vector<FieldDesc>& fields) {
  if (fields.empty() || fields.size() > 255) {
    throw base::Error(base::err::kInvalidProcedureCall, kErrorSource, {},
                      "a table needs 1 to 255 fields");
  }
  std::vector<ColumnDef> cols;
  uint16_t fixed_offset = 0;
  uint16_t var_index = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldDesc& f = fields[i];
    ColumnDef c;
    c.name = f.name;
    c.type = f.type;
    c.number = static_cast<uint16_t>(i);
    c.row_number = c.number;
    c.collation = format::kSortGeneralLcid;
    const uint16_t fixed = FixedLength(f.type);
    if (f.type == format::kTypeBoolean) {
      c.flags = format::kColFlagFixed | format::kColFlagUpdatable;
      c.length = 1;
      c.var_index = var_index;
    } else if (fixed != 0) {
      c.flags = format::kColFlagFixed | format::kColFlagUpdatable;
      c.length = fixed;
      c.fixed_offset = fixed_offset;
      c.var_index = var_index;
      fixed_offset = static_cast<uint16_t>(fixed_offset + fixed);
      if (f.type == format::kTypeNumeric) {
        c.precision = 18;
        c.scale = 0;
      }
    } else if (f.type == format::kTypeText || f.type == format::kTypeBinary ||
               f.type == format::kTypeMemo || f.type == format::kTypeOle) {
      c.flags = format::kColFlagUpdatable;
      c.var_index = var_index++;
      if (f.type == format::kTypeText) {
        const uint16_t chars = f.size == 0 ? 255 : f.size;
        if (chars > 255) {
          throw base::Error(base::err::kInvalidProcedureCall, kErrorSource, {},
                            "text fields hold at most 255 characters");
        }
        c.length = static_cast<uint16_t>(chars * 2);
        c.extra_flags = format::kColExtraCompressed;
      } else if (f.type == format::kTypeBinary) {
        c.length = f.size == 0 ? 255 : std::min<uint16_t>(f.size, 255);
      } else {
        if (f.type == format::kTypeMemo) {
          c.extra_flags = format::kColExtraCompressed;
        }
      }
    } else {
      throw base::Error(base::err::kInvalidProcedureCall, kErrorSource, {},
                        "unsupported field type");
    }
    cols.push_back(std::move(c));
  }
  return cols;
}

}  // namespace jet
