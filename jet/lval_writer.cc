#include "jet/lval_writer.h"

#include <algorithm>

#include "jet/errors.h"
#include "jet/format.h"
#include "jet/lval.h"

namespace jet {
namespace {

constexpr size_t kMaxInline = format::kLvalMaxInline;
constexpr size_t kMaxSingle = format::kLvalMaxSingleRow;
constexpr size_t kChunk = format::kLvalChunk;

std::vector<uint8_t> MakeLvalHeader(size_t length, uint8_t kind, uint32_t ptr) {
  std::vector<uint8_t> h;
  AppendU32(h, static_cast<uint32_t>(length) | (uint32_t{kind} << 24));
  AppendU32(h, ptr);
  AppendU32(h, 0);
  return h;
}

}  // namespace

uint32_t LvalWriter::AddRow(const ColumnMaps& maps,
                            std::span<const uint8_t> row) {
  const uint32_t owned = maps.owned.Packed();
  auto it = current_page_.find(owned);
  if (it == current_page_.end()) {
    std::vector<uint32_t> pages = MapPages(store_, owned);
    uint32_t last = pages.empty() ? 0 : pages.back();
    it = current_page_.emplace(owned, last).first;
  }
  if (it->second != 0) {
    auto p = store_.Page(it->second);
    if (p[0] == format::kPageData && U32(p, 4) == format::kLvalOwner &&
        DataPageFits(p, row.size())) {
      return (it->second << 8) | DataPageAddRow(p, row);
    }
    // Full: no longer a page with free space.
    MapSetPage(store_, maps.free_space.Packed(), it->second, false);
  }
  const uint32_t page = store_.Allocate();
  InitDataPage(store_.Page(page), format::kLvalOwner);
  MapSetPage(store_, owned, page, true);
  MapSetPage(store_, maps.free_space.Packed(), page, true);
  it->second = page;
  return (page << 8) | DataPageAddRow(store_.Page(page), row);
}

std::vector<uint8_t> LvalWriter::Write(const ColumnMaps& maps,
                                       std::span<const uint8_t> data,
                                       size_t room) {
  if (data.size() > format::kLvalLengthMask) {
    ThrowCorrupt("long value too long");
  }
  if (data.size() <= kMaxInline &&
      format::kLvalHeaderSize + data.size() <= room) {
    std::vector<uint8_t> h =
        MakeLvalHeader(data.size(), format::kLvalInline, 0);
    h.insert(h.end(), data.begin(), data.end());
    return h;
  }
  if (data.size() <= kMaxSingle) {
    return MakeLvalHeader(data.size(), format::kLvalSingle, AddRow(maps, data));
  }
  // Chain: write the chunks back to front so each knows its successor.
  const size_t chunks = (data.size() + kChunk - 1) / kChunk;
  uint32_t next = 0;
  for (size_t i = chunks; i-- > 0;) {
    const size_t begin = i * kChunk;
    const size_t n = std::min(kChunk, data.size() - begin);
    std::vector<uint8_t> row;
    AppendU32(row, next);
    row.insert(row.end(), data.begin() + begin, data.begin() + begin + n);
    next = AddRow(maps, row);
  }
  return MakeLvalHeader(data.size(), format::kLvalChain, next);
}

void LvalWriter::Release(std::span<const uint8_t> header) {
  for (RowId id : LongValueRows(store_, header)) {
    DataPageFlagRow(store_.Page(id.page), id.row,
                    format::kRowDeleted | format::kRowOverflow);
  }
}

}  // namespace jet
