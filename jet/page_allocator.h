#ifndef JET_PAGE_ALLOCATOR_H_
#define JET_PAGE_ALLOCATOR_H_

// PageStore: the database image in memory while it is changed, and the
// editing half of the data-page and usage-map layouts (data_page.h and
// usage_map.h decode them; this file only changes them).
//
// Invariants: the image is a whole number of pages; the global usage map
// (page 1, row 0) marks a page free (bit set) exactly when nothing owns it;
// pages 0-2 are never allocated or freed. Within a unit of change
// (BeginChange ... EndChange) the first change of a page keeps its old
// content, so RollBack restores the store exactly. A failure (3049 damage, 57
// beyond 2 GB) leaves pages of the unit changed until the caller rolls back.

#include <cstdint>
#include <initializer_list>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "jet/data_page.h"
#include "jet/page_file.h"

namespace jet {

// A database file held in memory for writing: whole 4096-byte pages, the file
// grows by whole pages. Page allocation goes through the global usage map
// (page 1, row 0): a set bit there means "free", a clear bit "in use".
// Everything taken from the file is bounds-checked; damage raises the
// "damaged database" error (3049).
class PageStore : public PageSource {
 public:
  PageStore() = default;
  // Takes a file's bytes; their length must be a multiple of the page size.
  explicit PageStore(std::vector<uint8_t> file);

  uint32_t page_count() const override {
    return static_cast<uint32_t>(data_.size() / kPageSize);
  }
  Bytes ReadPage(uint32_t n) const override { return Page(n); }
  // A page to change (its old content is kept for RollBack).
  std::span<uint8_t> Page(uint32_t n);
  std::span<const uint8_t> Page(uint32_t n) const;
  // A page of which the caller changes only the bytes in `ranges` (offset,
  // length): only their old content is kept, which is cheaper than the whole
  // page when a row is written.
  std::span<uint8_t> PageRanges(
      uint32_t n, std::initializer_list<std::pair<size_t, size_t>> ranges);
  const std::vector<uint8_t>& bytes() const { return data_; }

  // Appends a zeroed page without touching the global map (used while the
  // map itself does not exist yet).
  uint32_t AppendPage();

  // A page for new content: a page inside the file that the global map marks
  // free, else a new page at the end. The page comes back zeroed and marked in
  // use.
  uint32_t Allocate();
  // Marks a page free and clears its header so nothing mistakes it for live.
  void Free(uint32_t n);
  bool IsFree(uint32_t n) const;
  // Sets the global map bit of page `n` (true = free).
  void SetGlobalBit(uint32_t n, bool free);

  // Writes the file all or nothing (see ReplaceFileContents): a failure or a
  // crash leaves the old file as it was. 75 when the target is read-only or
  // cannot be replaced, 57 when writing fails (disk full).
  void Save(const std::string& path) const;

  // Changes between BeginChange and the matching EndChange form one unit:
  // the first time a page is handed out for change its old content is kept,
  // and RollBack puts every such page back and drops the pages appended
  // since, leaving the store as at BeginChange. Units nest; only the
  // outermost one counts.
  void BeginChange();
  void EndChange();
  void RollBack();

  static constexpr uint32_t kPageSize = format::kPageSize;

 private:
  std::vector<uint8_t> data_;
  uint32_t free_hint_ = 0;  // no free page below this one
  void KeepOldContent(uint32_t n);
  void KeepOldRange(uint32_t n, size_t offset, size_t length);
  void ClearUndo();
  static constexpr size_t kKeptUndoPages = 16;
  // The unit of change under way (see BeginChange).
  int change_depth_ = 0;
  uint32_t change_page_count_ = 0;
  uint32_t change_free_hint_ = 0;
  // Page ranges whose old content is kept (whole pages or parts), and that
  // content one after the other in the same order; RollBack puts them back
  // last first. Both keep their room between units.
  struct Kept {
    uint32_t page;
    uint16_t offset, length;
  };
  std::vector<Kept> undo_ranges_;
  std::vector<uint8_t> undo_bytes_;
  std::vector<bool> undo_flags_;  // by page number: whole page kept
};

// --- data pages (type 0x01) ---

// Slots and rows are read with jet/data_page.h; these edit them.

// Starts an empty data page owned by `owner` (a TDEF page, the LVAL tag, or 0
// for usage-map pages).
void InitDataPage(std::span<uint8_t> page, uint32_t owner);
// Whether a row of `length` bytes fits on the page.
bool DataPageFits(Bytes page, size_t length);
// Appends a row below the lowest one; returns its row number. The caller
// checks DataPageFits first (a row that does not fit is an internal error).
uint16_t DataPageAddRow(std::span<uint8_t> page, Bytes row, uint16_t flags = 0);
// The same on page `n` of `store`, keeping only the bytes it changes for
// RollBack.
uint16_t DataPageAddRow(PageStore& store, uint32_t n, Bytes row);
// Replaces the bytes of row `row` with `image` of another length, moving the
// rows stored below it (row numbers and flags stay). False when the page lacks
// the room.
bool DataPageReplaceRow(std::span<uint8_t> page, uint16_t row, Bytes image);
// ORs flag bits into a row's offset entry.
void DataPageFlagRow(std::span<uint8_t> page, uint16_t row, uint16_t flags);

// --- usage maps ---

// An inline usage map row (type 0) starting at `start` with the given pages.
std::vector<uint8_t> InlineMapRow(uint32_t start,
                                  std::span<const uint32_t> pages);

// Adds or removes a page in the map whose row is at `map_ptr`
// ((page << 8) | row). An inline map whose range cannot hold the page is
// moved, or turned into a reference map when the pages span too far.
void MapSetPage(PageStore& store, uint32_t map_ptr, uint32_t page,
                bool present);
// The pages of a map, ascending; a reference map lists only pages inside the
// file.
std::vector<uint32_t> MapPages(const PageStore& store, uint32_t map_ptr);
// Adds the pages a map lists that carry the marks of `owner` (one of the
// page `types`): only those are freed, whatever a damaged map may list.
void AddMarkedPages(const PageStore& store, RowId map,
                    std::initializer_list<uint8_t> types, uint32_t owner,
                    std::set<uint32_t>& pages);

}  // namespace jet

#endif  // JET_PAGE_ALLOCATOR_H_
