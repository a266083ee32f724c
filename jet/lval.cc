#include "jet/lval.h"

#include <unordered_set>

#include "jet/data_page.h"

namespace jet {
namespace {

// The slot of a long-value row; long-value rows are never overflow rows.
Bytes LvalRow(const PageSource& file, RowId id) {
  Bytes page = file.ReadPage(id.page);
  if (page[0] != format::kPageData)
    ThrowCorrupt("long value on a non-data page");
  RowSlot s = GetRowSlot(page, id.row);
  return SlotBytes(page, s);
}

}  // namespace

LvalHeader ParseLvalHeader(Bytes field) {
  LvalHeader h;
  uint32_t word = U32(field, 0, "long value header");
  h.length = word & format::kLvalLengthMask;
  h.kind = static_cast<uint8_t>(word >> 24) & 0xC0;
  h.first = ReadRowId(field, 4, "long value header");
  return h;
}

std::vector<uint8_t> ReadLongValue(const PageSource& file, Bytes field) {
  LvalHeader h = ParseLvalHeader(field);
  CheckRange(field, 0, format::kLvalHeaderSize, "long value header");
  // No value can be longer than the file that holds it; checking first keeps
  // a damaged length from allocating gigabytes.
  if (h.length > static_cast<uint64_t>(file.page_count()) * format::kPageSize) {
    ThrowCorrupt("long value longer than the file");
  }
  if (h.kind == format::kLvalInline) {
    Bytes data =
        Sub(field, format::kLvalHeaderSize, h.length, "inline long value");
    return std::vector<uint8_t>(data.begin(), data.end());
  }
  if (h.kind == format::kLvalSingle) {
    Bytes row = LvalRow(file, h.first);
    Bytes data = Sub(row, 0, h.length, "long value row");
    return std::vector<uint8_t>(data.begin(), data.end());
  }
  if (h.kind != format::kLvalChain) ThrowCorrupt("unknown long value kind");
  std::vector<uint8_t> out;
  out.reserve(h.length);
  std::unordered_set<uint32_t> seen;
  RowId id = h.first;
  while (out.size() < h.length) {
    if (!seen.insert(id.Packed()).second)
      ThrowCorrupt("long value chain forms a cycle");
    Bytes row = LvalRow(file, id);
    RowId next = ReadRowId(row, 0, "long value chain pointer");
    Bytes data = row.subspan(4);
    size_t take = std::min<size_t>(data.size(), h.length - out.size());
    out.insert(out.end(), data.begin(), data.begin() + take);
    if (out.size() < h.length) {
      if (next.Packed() == 0) ThrowCorrupt("long value chain ends early");
      id = next;
    }
  }
  return out;
}

std::vector<RowId> LongValueRows(const PageSource& file, Bytes field) {
  std::vector<RowId> rows;
  if (field.size() < format::kLvalHeaderSize) return rows;
  const LvalHeader h = ParseLvalHeader(field);
  if (h.kind == format::kLvalInline) return rows;
  std::unordered_set<uint32_t> seen;
  for (RowId id = h.first;
       id.Packed() != 0 && seen.insert(id.Packed()).second;) {
    Bytes page = file.ReadPage(id.page);
    if (page[0] != format::kPageData ||
        U32(page, format::kDataOwner) != format::kLvalOwner) {
      ThrowCorrupt("long value pointer does not lead to an LVAL page");
    }
    const RowSlot s = GetRowSlot(page, id.row);
    rows.push_back(id);
    if (h.kind != format::kLvalChain || s.length() < 4) break;
    id = ReadRowId(page, s.start);
  }
  return rows;
}

}  // namespace jet
