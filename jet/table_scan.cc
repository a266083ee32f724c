#include "jet/table_scan.h"

#include "jet/data_page.h"
#include "jet/usage_map.h"

namespace jet {

std::vector<uint32_t> TableDataPages(const PageSource& file,
                                     const TableDef& def) {
  UsageMap map = ReadUsageMap(file, def.owned_map);
  std::vector<uint32_t> pages;
  pages.reserve(map.pages.size());
  for (uint32_t p : map.pages) {
    Bytes page = file.ReadPage(p);
    if (page[0] != format::kPageData) continue;
    if (U32(page, format::kDataOwner) != def.tdef_page) continue;
    pages.push_back(p);
  }
  return pages;
}

void ScanTable(const PageSource& file, const TableDef& def,
               const std::function<void(RowId, Bytes)>& visit) {
  for (uint32_t p : TableDataPages(file, def)) {
    Bytes page = file.ReadPage(p);
    uint16_t n = RowCount(page);
    for (uint16_t r = 0; r < n && r <= 0xFF; ++r) {
      RowSlot s = GetRowSlot(page, r);
      if (s.deleted) continue;
      RowId id{p, static_cast<uint8_t>(r)};
      if (s.overflow) {
        visit(id, LocateRow(file, id));
      } else {
        visit(id, SlotBytes(page, s));
      }
    }
  }
}

}  // namespace jet
