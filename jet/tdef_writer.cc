#include "jet/tdef_writer.h"

#include <algorithm>

#include "base/runtime_error.h"
#include "base/text.h"
#include "jet/errors.h"
#include "jet/format.h"

namespace jet {
namespace {

constexpr size_t kPage = PageStore::kPageSize;
constexpr size_t kContinuationPayload = kPage - 8;

void AppendName(std::vector<uint8_t>& b, const std::string& utf8) {
  const std::u16string name = base::Utf8ToUtf16(utf8);
  AppendU16(b, static_cast<uint16_t>(name.size() * 2));
  for (char16_t ch : name) AppendU16(b, static_cast<uint16_t>(ch));
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
    if (!c.IsFixed() || c.type == format::kTypeBoolean) continue;
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
    AppendU32(b, 0);
    AppendU32(b, ix.unique_count);
    AppendU32(b, 0);
  }
  for (const ColumnDef& c : t.columns) {
    b.push_back(c.type);
    AppendU32(b, format::kTdefMagicValue);
    AppendU16(b, c.number);
    AppendU16(b, c.var_index);
    AppendU16(b, c.row_number);
    if (c.type == format::kTypeNumeric) {
      b.push_back(c.precision);
      b.push_back(c.scale);
    } else {
      AppendU16(b, c.collation);
    }
    b.push_back(0);
    b.push_back(0);
    b.push_back(c.flags);
    b.push_back(c.extra_flags);
    AppendU32(b, 0);
    AppendU16(b, c.fixed_offset);
    AppendU16(b, c.length);
  }
  for (const ColumnDef& c : t.columns) AppendName(b, c.name);
  for (const RealIndexDef& ix : t.real_indexes) {
    if (ix.columns.size() > format::kRealIndexColumns) {
      ThrowCorrupt("index with more than 10 columns");
    }
    AppendU32(b, format::kRealIndexMagicValue);
    for (size_t i = 0; i < format::kRealIndexColumns; ++i) {
      if (i < ix.columns.size()) {
        AppendU16(b, ix.columns[i].column_number);
        b.push_back(ix.columns[i].ascending ? 0x01 : 0x00);
      } else {
        AppendU16(b, 0xFFFF);
        b.push_back(0);
      }
    }
    AppendU32(b, ix.usage_map.Packed());
    AppendU32(b, ix.root_page);
    AppendU32(b, 0);
    b.push_back(ix.flags);
    b.insert(b.end(), 5, 0);
  }
  for (const LogicalIndexDef& li : t.logical_indexes) {
    AppendU32(b, format::kTdefMagicValue);
    AppendU32(b, li.number);
    AppendU32(b, li.real_index);
    b.push_back(li.related_table_type);
    AppendU32(b, li.related_index);
    AppendU32(b, li.related_table_page);
    b.push_back(li.cascade_updates);
    b.push_back(li.cascade_deletes);
    b.push_back(li.index_type);
    AppendU32(b, 0);
  }
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

std::vector<uint8_t> ReadTdefBuffer(const PageStore& store, uint32_t page,
                                    std::vector<uint32_t>* chain) {
  TdefChain c = ReadTdefChain(store, page);
  if (chain) *chain = std::move(c.continuation_pages);
  return std::move(c.buffer);
}

void WriteTdef(PageStore& store, uint32_t first_page,
               const std::vector<uint8_t>& buffer) {
  std::vector<uint32_t> old_chain;
  if (store.Page(first_page)[0] == format::kPageTdef) {
    ReadTdefBuffer(store, first_page, &old_chain);
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
    throw base::RuntimeError(base::err::kInvalidProcedureCall, kErrorSource,
                             "A table needs 1 to 255 fields.");
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
          throw base::RuntimeError(base::err::kInvalidProcedureCall,
                                   kErrorSource,
                                   "Text fields hold at most 255 characters.");
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
      throw base::RuntimeError(base::err::kInvalidProcedureCall, kErrorSource,
                               "Unsupported field type.");
    }
    cols.push_back(std::move(c));
  }
  return cols;
}

}  // namespace jet
