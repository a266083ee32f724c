#include "jet/page_allocator.h"

#include <algorithm>
#include <optional>

#include "base/runtime_error.h"
#include "jet/errors.h"
#include "jet/file_io.h"
#include "jet/format.h"
#include "jet/usage_map.h"

namespace jet {

PageStore::PageStore(std::vector<uint8_t> file) : data_(std::move(file)) {
  if (data_.empty() || data_.size() % kPageSize != 0) {
    ThrowCorrupt("file length is not a whole number of pages");
  }
}

std::span<uint8_t> PageStore::Page(uint32_t n) {
  if (n >= page_count()) ThrowCorrupt("page number beyond the end of the file");
  KeepOldContent(n);
  return std::span<uint8_t>(data_.data() + size_t{n} * kPageSize, kPageSize);
}

std::span<const uint8_t> PageStore::Page(uint32_t n) const {
  if (n >= page_count()) ThrowCorrupt("page number beyond the end of the file");
  return std::span<const uint8_t>(data_.data() + size_t{n} * kPageSize,
                                  kPageSize);
}

uint32_t PageStore::AppendPage() {
  if (data_.size() + kPageSize > (uint64_t{2} << 30)) {
    throw base::Error(base::err::kDiskFull, kErrorSource, {},
                      "the database has reached its maximum size of 2 GB");
  }
  data_.resize(data_.size() + kPageSize, 0);
  return page_count() - 1;
}

void PageStore::KeepOldContent(uint32_t n) {
  if (change_depth_ == 0 || n >= change_page_count_) return;
  if (n >= undo_flags_.size()) undo_flags_.resize(size_t{n} + 1, false);
  if (undo_flags_[n]) return;
  KeepOldRange(n, 0, kPageSize);
  undo_flags_[n] = true;
}

void PageStore::KeepOldRange(uint32_t n, size_t offset, size_t length) {
  // Room first, so that running out of memory keeps the two lists in step.
  if (undo_ranges_.size() == undo_ranges_.capacity()) {
    undo_ranges_.reserve(std::max<size_t>(16, 2 * undo_ranges_.capacity()));
  }
  const auto first = data_.begin() + size_t{n} * kPageSize + offset;
  undo_bytes_.insert(undo_bytes_.end(), first, first + length);
  undo_ranges_.push_back(
      {n, static_cast<uint16_t>(offset), static_cast<uint16_t>(length)});
}

std::span<uint8_t> PageStore::PageRanges(
    uint32_t n, std::initializer_list<std::pair<size_t, size_t>> ranges) {
  if (n >= page_count()) ThrowCorrupt("page number beyond the end of the file");
  const bool keep = change_depth_ > 0 && n < change_page_count_ &&
                    !(n < undo_flags_.size() && undo_flags_[n]);
  for (const auto& [offset, length] : ranges) {
    if (offset > kPageSize || length > kPageSize - offset)
      ThrowCorrupt("page range beyond the page");
    if (keep && length > 0) KeepOldRange(n, offset, length);
  }
  return std::span<uint8_t>(data_.data() + size_t{n} * kPageSize, kPageSize);
}

void PageStore::BeginChange() {
  if (change_depth_++ > 0) return;
  change_page_count_ = page_count();
  change_free_hint_ = free_hint_;
}

void PageStore::EndChange() {
  if (change_depth_ == 0 || --change_depth_ > 0) return;
  ClearUndo();
}

void PageStore::ClearUndo() {
  for (const Kept& k : undo_ranges_) {
    if (k.page < undo_flags_.size()) undo_flags_[k.page] = false;
  }
  undo_ranges_.clear();
  // The room stays for the next unit unless a large one left much of it.
  if (undo_bytes_.capacity() > kKeptUndoPages * kPageSize) {
    std::vector<uint8_t>().swap(undo_bytes_);
  } else {
    undo_bytes_.clear();
  }
}

void PageStore::RollBack() {
  if (change_depth_ == 0) return;
  change_depth_ = 0;
  // Last first: a range kept after its page was changed holds bytes that
  // an earlier copy restores.
  size_t end = undo_bytes_.size();
  for (size_t i = undo_ranges_.size(); i-- > 0;) {
    const Kept& k = undo_ranges_[i];
    end -= k.length;
    std::copy(undo_bytes_.begin() + end, undo_bytes_.begin() + end + k.length,
              data_.begin() + size_t{k.page} * kPageSize + k.offset);
  }
  ClearUndo();
  data_.resize(size_t{change_page_count_} * kPageSize);
  free_hint_ = change_free_hint_;
}

namespace {

// The bytes of a usage-map row; read-only for a const store.
template <typename Store>
auto MapRowBytes(Store& store, uint32_t map_ptr) {
  const RowId ref = RowId::FromPacked(map_ptr);
  auto page = store.Page(ref.page);
  if (page[0] != format::kPageData)
    ThrowCorrupt("usage map row is not on a data page");
  const RowSlot s = GetRowSlot(page, ref.row);
  if (s.length() < format::kMapInlineBits)
    ThrowCorrupt("usage map row too short");
  return page.subspan(s.start, s.end - s.start);
}

// Where the bit of page `n` lives in a usage map: a page and a byte on it.
// Found through read-only access, so looking keeps no undo copy.
struct MapBit {
  uint32_t page = 0;
  size_t byte = 0;
  int bit = 0;
};

// The bit of page `n` in the map whose row is at `map_ptr`, or nullopt when
// the map does not cover the page (outside an inline map's range, or no
// bitmap page for it in a reference map).
std::optional<MapBit> FindMapBit(const PageStore& store, uint32_t map_ptr,
                                 uint32_t n) {
  const RowId ref = RowId::FromPacked(map_ptr);
  const Bytes row = MapRowBytes(store, map_ptr);
  const size_t at =
      static_cast<size_t>(row.data() - store.Page(ref.page).data());
  if (row[0] == format::kMapInline) {
    const uint32_t start = U32(row, format::kMapInlineStart);
    const uint32_t bits = (row.size() - format::kMapInlineBits) * 8u;
    if (n < start || n - start >= bits) return std::nullopt;
    return MapBit{ref.page, at + format::kMapInlineBits + (n - start) / 8,
                  static_cast<int>((n - start) % 8)};
  }
  if (row[0] != format::kMapReference) ThrowCorrupt("unknown usage map type");
  const size_t slot =
      format::kMapReferencePages + 4 * size_t{n / format::kPagesPerMapPage};
  if (slot + 4 > row.size()) return std::nullopt;
  const uint32_t map_page = U32(row, slot);
  if (map_page == 0) return std::nullopt;
  if (store.Page(map_page)[0] != format::kPageUsageMap)
    ThrowCorrupt("usage map bitmap page has the wrong type");
  const uint32_t k = n % format::kPagesPerMapPage;
  return MapBit{map_page, format::kMapPageBits + k / 8,
                static_cast<int>(k % 8)};
}

void SetBit(std::span<uint8_t> bits, size_t n, bool on) {
  uint8_t& b = bits[n / 8];
  const auto mask = static_cast<uint8_t>(1 << (n % 8));
  b = on ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
}

void SetMapBit(PageStore& store, const MapBit& at, bool on) {
  SetBit(store.Page(at.page), at.byte * 8 + static_cast<size_t>(at.bit), on);
}

// The inline global map's bitmap for pages [start, start + 8 * length): old
// bits where the old map covered a page, free beyond the file, in use
// elsewhere.
std::vector<uint8_t> GlobalMapBits(const PageStore& store, Bytes old_row,
                                   uint32_t start, size_t length) {
  const uint32_t old_start = U32(old_row, format::kMapInlineStart);
  const Bytes old_bits = old_row.subspan(format::kMapInlineBits);
  std::vector<uint8_t> bits(length, 0);
  for (size_t i = 0; i < length * 8; ++i) {
    const uint64_t p = start + uint64_t{i};
    const uint64_t k = p - old_start;
    bool free = p >= store.page_count();
    if (p >= old_start && k < old_bits.size() * 8u) {
      free = (old_bits[k / 8] >> (k % 8) & 1) != 0;
    }
    if (free) bits[i / 8] |= static_cast<uint8_t>(1 << (i % 8));
  }
  return bits;
}

// Makes the inline global map (row 0 of page 1) cover page `n` as the file
// grows: the row is lengthened while page 1 has room (rows after it move
// down); beyond that (files over about 128 MB) its window slides forward, as
// other Jet writers do: pages below the window count as in use and are not
// reused, pages above it as free. False when the map is a reference map or
// starts above `n`.
bool GrowGlobalMap(PageStore& store, uint32_t n) {
  auto page = store.Page(format::kGlobalMapPage);
  const RowSlot s = GetRowSlot(page, 0);
  if (page[s.start] != format::kMapInline) return false;
  uint32_t start = U32(page, s.start + format::kMapInlineStart);
  if (n < start) return false;
  std::vector<std::vector<uint8_t>> images;
  size_t others = 0;
  for (uint16_t r = 0; r < RowCount(page); ++r) {
    const RowSlot rs = GetRowSlot(page, r);
    images.emplace_back(page.begin() + rs.start, page.begin() + rs.end);
    if (r > 0) others += images.back().size() + 2;
  }
  // The steps Access lengthens the map by.
  size_t length = ((n - start) / 8 + 1 + format::kMapInlineBits + 63) / 64 * 64;
  const size_t room = format::kPageSize - format::kDataRowTable - others - 2 -
                      format::kMapInlineBits;
  if (length > room) {
    length =
        std::max(room / 64 * 64, images[0].size() - format::kMapInlineBits);
    // Half the window ahead of `n`, on a byte boundary.
    const size_t half = length * 4;
    if (n > half) start = std::max<uint32_t>(start, (n - half) / 8 * 8);
  }
  std::vector<uint8_t> row(format::kMapInlineBits, 0);
  row[0] = format::kMapInline;
  PutU32(row, format::kMapInlineStart, start);
  const std::vector<uint8_t> bits =
      GlobalMapBits(store, images[0], start, length);
  row.insert(row.end(), bits.begin(), bits.end());
  images[0] = std::move(row);
  InitDataPage(page, U32(page, format::kDataOwner));
  for (auto& img : images) DataPageAddRow(page, img);
  return true;
}

}  // namespace

constexpr uint32_t kGlobalMap = format::kGlobalMapPage << 8;  // row 0

bool PageStore::IsFree(uint32_t n) const {
  const std::optional<MapBit> at = FindMapBit(*this, kGlobalMap, n);
  return at && (Page(at->page)[at->byte] >> at->bit & 1);
}

void PageStore::SetGlobalBit(uint32_t n, bool free) {
  std::optional<MapBit> at = FindMapBit(*this, kGlobalMap, n);
  if (!at && !free && GrowGlobalMap(*this, n))
    at = FindMapBit(*this, kGlobalMap, n);
  if (!at) {
    if (free) return;  // outside the map counts as free already
    ThrowCorrupt("global usage map cannot hold the page");
  }
  SetMapBit(*this, *at, free);
}

uint32_t PageStore::Allocate() {
  // Reuse a page the map lists as free; the hint keeps this linear overall.
  for (uint32_t n = std::max(free_hint_, format::kFirstAllocatablePage);
       n < page_count(); ++n) {
    if (IsFree(n)) {
      free_hint_ = n + 1;
      SetGlobalBit(n, false);
      auto p = Page(n);
      std::fill(p.begin(), p.end(), 0);
      return n;
    }
  }
  free_hint_ = page_count() + 1;
  const uint32_t n = AppendPage();
  SetGlobalBit(n, false);
  return n;
}

void PageStore::Free(uint32_t n) {
  if (n < format::kFirstAllocatablePage)
    ThrowCorrupt("attempt to free a fixed page");
  auto p = Page(n);
  std::fill(p.begin(), p.begin() + 4, 0);
  SetGlobalBit(n, true);
  free_hint_ = std::min(free_hint_, n);
}

void PageStore::Save(const std::string& path) const {
  const ReplaceResult result = ReplaceFileContents(path, data_);
  switch (result) {
    case ReplaceResult::kDone:
      return;
    case ReplaceResult::kWriteFailed:
      throw base::Error(base::err::kDeviceIoError, kErrorSource, {},
                        "writing '" + path +
                            "' failed, the disk may be full; it is unchanged");
    case ReplaceResult::kNotWritable:
      throw base::Error(base::err::kPathFileAccessError, kErrorSource, {},
                        "'" + path + "' is read-only");
    case ReplaceResult::kNoTempFile:
      throw base::Error(base::err::kPathFileAccessError, kErrorSource, {},
                        "cannot write beside '" + path + "'");
    case ReplaceResult::kRenameFailed:
      break;
  }
  throw base::Error(base::err::kPathFileAccessError, kErrorSource, {},
                    "cannot replace '" + path + "'");
}

// --- data pages ---

void InitDataPage(std::span<uint8_t> page, uint32_t owner) {
  std::fill(page.begin(), page.end(), 0);
  page[0] = format::kPageData;
  page[1] = 0x01;
  PutU16(page, format::kDataFreeSpace, format::kDataInitialFreeSpace);
  PutU32(page, format::kDataOwner, owner);
}

namespace {

size_t SlotEntry(uint16_t row) { return format::kDataRowTable + 2u * row; }

// The first byte in use by rows: rows are packed from the page's end down.
size_t LowestRowStart(Bytes page) {
  const uint16_t n = RowCount(page);
  if (n == 0) return format::kPageSize;
  const RowSlot s = GetRowSlot(page, n - 1);
  if (s.start == 0) ThrowCorrupt("row extent");  // a stale deleted extent
  return s.start;
}

}  // namespace

bool DataPageFits(Bytes page, size_t length) {
  const uint16_t n = RowCount(page);
  if (n >= format::kMaxRowsPerPage) return false;
  const size_t table_end = SlotEntry(n + 1);
  const size_t low = LowestRowStart(page);
  return low >= table_end && low - table_end >= length;
}

uint16_t DataPageAddRow(std::span<uint8_t> page, Bytes row, uint16_t flags) {
  if (!DataPageFits(page, row.size()))
    ThrowCorrupt("row does not fit the page");
  const uint16_t n = RowCount(page);
  const auto start = static_cast<uint16_t>(LowestRowStart(page) - row.size());
  std::copy(row.begin(), row.end(), page.begin() + start);
  PutU16(page, SlotEntry(n), static_cast<uint16_t>(start | flags));
  PutU16(page, format::kDataRowCount, static_cast<uint16_t>(n + 1));
  PutU16(page, format::kDataFreeSpace,
         static_cast<uint16_t>(start - SlotEntry(n + 1)));
  return n;
}

uint16_t DataPageAddRow(PageStore& store, uint32_t n, Bytes row) {
  const Bytes before = store.ReadPage(n);
  if (!DataPageFits(before, row.size()))
    ThrowCorrupt("row does not fit the page");
  // The header with the row table up to the new entry, and the row's bytes.
  const uint16_t count = RowCount(before);
  const size_t start = LowestRowStart(before) - row.size();
  return DataPageAddRow(
      store.PageRanges(n, {{0, SlotEntry(count + 1)}, {start, row.size()}}),
      row);
}

bool DataPageReplaceRow(std::span<uint8_t> page, uint16_t row, Bytes image) {
  const uint16_t n = RowCount(page);
  const RowSlot target = GetRowSlot(page, row);
  if (target.start == 0) ThrowCorrupt("row extent");
  const size_t old_len = target.end - target.start;
  const size_t table_end = SlotEntry(n);
  const size_t low = LowestRowStart(page);
  if (image.size() > old_len && image.size() - old_len > low - table_end) {
    return false;
  }
  // Rows below `row` shift by the difference; they are contiguous from
  // `low` up to the target's start.
  const std::ptrdiff_t delta = static_cast<std::ptrdiff_t>(old_len) -
                               static_cast<std::ptrdiff_t>(image.size());
  std::vector<uint8_t> below(page.begin() + low, page.begin() + target.start);
  for (uint16_t r = row; r < n; ++r) {
    const uint16_t e = U16(page, SlotEntry(r));
    PutU16(page, SlotEntry(r),
           static_cast<uint16_t>(((e & format::kRowOffsetMask) + delta) |
                                 (e & ~format::kRowOffsetMask)));
  }
  const size_t new_start = target.end - image.size();
  std::copy(image.begin(), image.end(), page.begin() + new_start);
  std::copy(
      below.begin(), below.end(),
      page.begin() + static_cast<std::ptrdiff_t>(new_start - below.size()));
  const size_t new_low = new_start - below.size();
  if (new_low > low) std::fill(page.begin() + low, page.begin() + new_low, 0);
  PutU16(page, format::kDataFreeSpace,
         static_cast<uint16_t>(new_low - table_end));
  return true;
}

void DataPageFlagRow(std::span<uint8_t> page, uint16_t row, uint16_t flags) {
  GetRowSlot(page, row);  // checks the row exists
  PutU16(page, SlotEntry(row),
         static_cast<uint16_t>(U16(page, SlotEntry(row)) | flags));
}

// --- usage maps ---

std::vector<uint8_t> InlineMapRow(uint32_t start,
                                  std::span<const uint32_t> pages) {
  std::vector<uint8_t> row(format::kMapRowLength, 0);
  PutU32(row, format::kMapInlineStart, start);
  const auto bits = std::span<uint8_t>(row).subspan(format::kMapInlineBits);
  for (uint32_t p : pages) {
    if (p < start || p - start >= bits.size() * 8) {
      ThrowCorrupt("page outside an inline usage map");
    }
    SetBit(bits, p - start, true);
  }
  return row;
}

std::vector<uint32_t> MapPages(const PageStore& store, uint32_t map_ptr) {
  return ParseUsageMap(store, MapRowBytes(store, map_ptr)).pages;
}

void AddMarkedPages(const PageStore& store, RowId map,
                    std::initializer_list<uint8_t> types, uint32_t owner,
                    std::set<uint32_t>& pages) {
  static_assert(format::kIndexOwner == format::kDataOwner);
  for (uint32_t p : MapPages(store, map.Packed())) {
    Bytes page = store.ReadPage(p);
    if (std::find(types.begin(), types.end(), page[0]) != types.end() &&
        U32(page, format::kDataOwner) == owner) {
      pages.insert(p);
    }
  }
}

void MapSetPage(PageStore& store, uint32_t map_ptr, uint32_t page,
                bool present) {
  if (const std::optional<MapBit> at = FindMapBit(store, map_ptr, page)) {
    SetMapBit(store, *at, present);
    return;
  }
  if (!present) return;
  auto row = MapRowBytes(store, map_ptr);
  if (row[0] == format::kMapReference) {
    // No bitmap page for this range yet.
    const size_t slot = format::kMapReferencePages +
                        4 * size_t{page / format::kPagesPerMapPage};
    if (slot + 4 > row.size()) ThrowCorrupt("usage map cannot hold the page");
    const uint32_t map_page = store.Allocate();
    auto mp = store.Page(map_page);
    mp[0] = format::kPageUsageMap;
    mp[1] = 0x01;
    PutU32(MapRowBytes(store, map_ptr), slot, map_page);
    SetMapBit(store, *FindMapBit(store, map_ptr, page), true);
    return;
  }
  // Out of an inline map's range: move the range, or turn it into a
  // reference map.
  std::vector<uint32_t> pages = MapPages(store, map_ptr);
  pages.push_back(page);
  const uint32_t first = *std::min_element(pages.begin(), pages.end()) / 8 * 8;
  const uint32_t last = *std::max_element(pages.begin(), pages.end());
  const auto bits = row.subspan(format::kMapInlineBits);
  std::fill(row.begin() + 1, row.end(), 0);
  if (last - first < bits.size() * 8) {
    PutU32(row, format::kMapInlineStart, first);
    for (uint32_t p : pages) SetBit(bits, p - first, true);
    return;
  }
  row[0] = format::kMapReference;
  for (uint32_t p : pages) MapSetPage(store, map_ptr, p, true);
}

}  // namespace jet
