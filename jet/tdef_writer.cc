#include "jet/tdef_writer.h"

#include <algorithm>

#include "base/runtime_error.h"
#include "jet/errors.h"
#include "jet/format.h"

namespace jet {
namespace {

constexpr size_t kPage = format::kPageSize;
constexpr size_t kContinuationPayload = kPage - format::kTdefPageHeader;

}  // namespace

uint16_t FixedAreaSize(const std::vector<ColumnDef>& columns) {
  uint16_t size = 0;
  for (const ColumnDef& c : columns) {
    if (!c.IsFixed()) continue;
    size = std::max<uint16_t>(size,
                              static_cast<uint16_t>(c.fixed_offset + c.length));
  }
  return size;
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
    // Continuation pages carry their payload after a page header.
    const size_t at = i == 0 ? 0 : format::kTdefPageHeader;
    const size_t n = std::min(buffer.size() - pos, kPage - at);
    std::copy(buffer.begin() + pos, buffer.begin() + pos + n, p.begin() + at);
    pos += n;
    const size_t used = at + n;
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
    if (f.type == format::kTypeBoolean || fixed != 0) {
      c.flags = format::kColFlagFixed | format::kColFlagUpdatable;
      c.length = fixed != 0 ? fixed : 1;  // a Boolean: 1 byte at offset 0
      c.var_index = var_index;
      if (fixed != 0) {
        c.fixed_offset = fixed_offset;
        fixed_offset = static_cast<uint16_t>(fixed_offset + fixed);
      }
      if (f.type == format::kTypeNumeric) c.precision = 18;  // scale 0
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
      } else if (f.type == format::kTypeMemo) {
        c.extra_flags = format::kColExtraCompressed;
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
