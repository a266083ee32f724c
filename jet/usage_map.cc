#include "jet/usage_map.h"

#include "jet/data_page.h"

namespace jet {
namespace {

void AddBits(Bytes bits, uint64_t first_page, uint32_t page_count,
             UsageMap& out) {
  for (size_t i = 0; i < bits.size(); ++i) {
    uint8_t b = bits[i];
    if (b == 0) continue;
    for (int k = 0; k < 8; ++k) {
      if (!(b & (1u << k))) continue;
      uint64_t p = first_page + i * 8 + k;
      if (p < page_count) {
        out.pages.push_back(static_cast<uint32_t>(p));
      } else {
        out.past_end = true;
      }
    }
  }
}

}  // namespace

UsageMap ParseUsageMap(const PageSource& file, Bytes row) {
  UsageMap m;
  const uint8_t type = U8(row, 0, "usage map type");
  if (type == format::kMapInline) {
    const uint32_t start = U32(row, format::kMapInlineStart, "usage map start");
    if (row.size() > format::kMapInlineBits) {
      AddBits(row.subspan(format::kMapInlineBits), start, file.page_count(), m);
    }
  } else if (type == format::kMapReference) {
    size_t k = (row.size() - 1) / 4;
    for (size_t j = 0; j < k; ++j) {
      uint32_t mp = U32(row, format::kMapReferencePages + 4 * j);
      m.map_pages.push_back(mp);
      const uint64_t first = uint64_t{j} * format::kPagesPerMapPage;
      if (mp == 0 || (first >= file.page_count() && mp >= file.page_count()))
        continue;
      Bytes page = file.ReadPage(mp);
      if (page[0] != format::kPageUsageMap) {
        ThrowCorrupt("usage map points to a page that is no map page");
      }
      AddBits(page.subspan(format::kMapPageBits), first, file.page_count(), m);
    }
  } else {
    ThrowCorrupt("unknown usage map type");
  }
  return m;
}

UsageMap ReadUsageMap(const PageSource& file, RowId location) {
  Bytes page = file.ReadPage(location.page);
  if (page[0] != format::kPageData)
    ThrowCorrupt("usage map row on a non-data page");
  RowSlot s = GetRowSlot(page, location.row);
  if (s.deleted) ThrowCorrupt("usage map row is deleted");
  return ParseUsageMap(file, SlotBytes(page, s));
}

}  // namespace jet
