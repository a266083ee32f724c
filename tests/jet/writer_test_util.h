#ifndef TESTS_JET_WRITER_TEST_UTIL_H_
#define TESTS_JET_WRITER_TEST_UTIL_H_

// A small, independent decoder of Jet 4 files for the writer tests: TDEFs,
// rows and index leaves, enough to check what the writer produced without
// relying on the code under test.

#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace jet_test {

using Bytes = std::vector<uint8_t>;
constexpr size_t kPage = 4096;

inline Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline uint16_t U16(const uint8_t* p) { return p[0] | (p[1] << 8); }
inline uint32_t U32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
}

struct Column {
  uint8_t type = 0;
  uint16_t number = 0;
  uint16_t var_index = 0;
  uint8_t flags = 0;
  uint8_t ext_flags = 0;
  uint16_t fixed_offset = 0;
  uint16_t length = 0;
  std::u16string name;
  bool fixed() const { return flags & 0x01; }
};

struct RealIndex {
  std::vector<std::pair<uint16_t, bool>> columns;  // number, ascending
  uint32_t root = 0;
  uint8_t flags = 0;
};

struct Table {
  uint32_t tdef_page = 0;
  uint32_t row_count = 0;
  uint16_t max_cols = 0;
  uint16_t var_cols = 0;
  uint32_t owned_map = 0;
  uint32_t free_map = 0;
  std::vector<Column> columns;
  std::vector<RealIndex> indexes;
  const Column* ByNumber(uint16_t n) const {
    for (const Column& c : columns)
      if (c.number == n) return &c;
    return nullptr;
  }
  const Column* ByName(const std::u16string& n) const {
    for (const Column& c : columns)
      if (c.name == n) return &c;
    return nullptr;
  }
};

class File {
 public:
  explicit File(Bytes data) : data_(std::move(data)) {}
  explicit File(const std::string& path) : data_(ReadFileBytes(path)) {}

  size_t pages() const { return data_.size() / kPage; }
  const uint8_t* Page(uint32_t n) const {
    if (n >= pages()) throw std::runtime_error("page out of range");
    return data_.data() + size_t{n} * kPage;
  }

  // Row bytes of (page,row); nullopt for a deleted slot. Follows overflow.
  std::optional<Bytes> Row(uint32_t page, uint8_t row, bool follow = true,
                           bool* deleted = nullptr) const {
    const uint8_t* p = Page(page);
    uint16_t n = U16(p + 12);
    if (row >= n) throw std::runtime_error("row out of range");
    uint16_t e = U16(p + 14 + 2 * row);
    uint16_t start = e & 0x1FFF;
    uint16_t end = row == 0 ? kPage : (U16(p + 14 + 2 * (row - 1)) & 0x1FFF);
    if (deleted) *deleted = e & 0x8000;
    if (start > end) throw std::runtime_error("bad row extent");
    Bytes bytes(p + start, p + end);
    if ((e & 0x4000) && follow) {
      uint32_t ptr = U32(bytes.data());
      // The target of an overflow pointer is flagged deleted; read it anyway.
      return Row(ptr >> 8, ptr & 0xFF, false, nullptr);
    }
    if ((e & 0x8000) && follow) return std::nullopt;
    return bytes;
  }

  // Pages listed by a usage map stored at a row pointer.
  std::vector<uint32_t> MapPages(uint32_t ptr) const {
    auto row = Row(ptr >> 8, ptr & 0xFF, false);
    std::vector<uint32_t> out;
    if (!row || row->empty()) return out;
    const Bytes& m = *row;
    if (m[0] == 0) {
      uint32_t start = U32(m.data() + 1);
      for (size_t i = 5; i < m.size(); ++i)
        for (int b = 0; b < 8; ++b)
          if (m[i] >> b & 1) out.push_back(start + (i - 5) * 8 + b);
    } else {
      for (size_t j = 0; j * 4 + 1 + 4 <= m.size(); ++j) {
        uint32_t mp = U32(m.data() + 1 + 4 * j);
        if (!mp) continue;
        const uint8_t* p = Page(mp);
        for (size_t i = 4; i < kPage; ++i)
          for (int b = 0; b < 8; ++b)
            if (p[i] >> b & 1) out.push_back(j * 32736 + (i - 4) * 8 + b);
      }
    }
    return out;
  }

  Bytes TdefBuffer(uint32_t page) const {
    Bytes b(Page(page), Page(page) + kPage);
    uint32_t next = U32(b.data() + 4);
    int guard = 0;
    while (next) {
      if (++guard > 1000) throw std::runtime_error("TDEF loop");
      const uint8_t* p = Page(next);
      b.insert(b.end(), p + 8, p + kPage);
      next = U32(p + 4);
    }
    return b;
  }

  Table ReadTable(uint32_t page) const {
    Bytes b = TdefBuffer(page);
    Table t;
    t.tdef_page = page;
    t.row_count = U32(&b[16]);
    t.max_cols = U16(&b[41]);
    t.var_cols = U16(&b[43]);
    uint16_t ncols = U16(&b[45]);
    uint32_t nlog = U32(&b[47]);
    uint32_t nreal = U32(&b[51]);
    t.owned_map = U32(&b[55]);
    t.free_map = U32(&b[59]);
    size_t o = 63 + 12 * nreal;
    for (int i = 0; i < ncols; ++i, o += 25) {
      Column c;
      c.type = b[o];
      c.number = U16(&b[o + 5]);
      c.var_index = U16(&b[o + 7]);
      c.flags = b[o + 15];
      c.ext_flags = b[o + 16];
      c.fixed_offset = U16(&b[o + 21]);
      c.length = U16(&b[o + 23]);
      t.columns.push_back(c);
    }
    for (int i = 0; i < ncols; ++i) {
      uint16_t len = U16(&b[o]);
      o += 2;
      std::u16string name;
      for (int k = 0; k < len / 2; ++k) name += char16_t(U16(&b[o + 2 * k]));
      t.columns[i].name = name;
      o += len;
    }
    for (uint32_t i = 0; i < nreal; ++i, o += 52) {
      RealIndex ix;
      for (int k = 0; k < 10; ++k) {
        uint16_t cn = U16(&b[o + 4 + 3 * k]);
        if (cn != 0xFFFF) ix.columns.push_back({cn, b[o + 6 + 3 * k] & 1});
      }
      ix.root = U32(&b[o + 38]);
      ix.flags = b[o + 46];
      t.indexes.push_back(ix);
    }
    (void)nlog;
    return t;
  }

  // Raw column value of a row (nullopt = NULL); Booleans give one byte 0/1.
  static std::optional<Bytes> Value(const Table& t, const Bytes& row,
                                    const Column& c) {
    uint16_t n = U16(row.data());
    size_t mask_len = (n + 7) / 8;
    const uint8_t* mask = row.data() + row.size() - mask_len;
    bool present = c.number < n && (mask[c.number / 8] >> (c.number % 8) & 1);
    if (c.type == 1) return Bytes{uint8_t(present)};
    if (!present) return std::nullopt;
    if (c.fixed()) {
      size_t at = 2 + c.fixed_offset;
      return Bytes(row.begin() + at, row.begin() + at + c.length);
    }
    size_t tail = row.size() - mask_len;
    uint16_t v = U16(&row[tail - 2]);
    if (c.var_index >= v) return std::nullopt;
    auto off = [&](size_t i) { return U16(&row[tail - 4 - 2 * i]); };
    uint16_t eod = U16(&row[tail - 4 - 2 * v]);
    uint16_t s = off(c.var_index);
    uint16_t e = c.var_index + 1 < v ? off(c.var_index + 1) : eod;
    (void)t;
    return Bytes(row.begin() + s, row.begin() + e);
  }

  // Every live row of a table with its (page, row).
  void ForEachRow(
      const Table& t,
      const std::function<void(uint32_t, uint8_t, const Bytes&)>& f) const {
    for (uint32_t pg : MapPages(t.owned_map)) {
      const uint8_t* p = Page(pg);
      if (p[0] != 1 || U32(p + 4) != t.tdef_page) continue;
      uint16_t n = U16(p + 12);
      for (int r = 0; r < n; ++r) {
        uint16_t e = U16(p + 14 + 2 * r);
        if (e & 0x8000) continue;
        auto row = Row(pg, r);
        if (row) f(pg, r, *row);
      }
    }
  }

  // Full entries of one index page (prefix compression undone).
  static std::vector<Bytes> PageEntries(const uint8_t* p) {
    std::vector<Bytes> out;
    uint16_t prefix = U16(p + 24);
    size_t prev = 0;
    for (size_t i = 0; i < 453 * 8; ++i) {
      if (!(p[27 + i / 8] >> (i % 8) & 1)) continue;
      Bytes stored(p + 480 + prev, p + 480 + i);
      prev = i;
      if (out.empty()) {
        out.push_back(stored);
      } else {
        Bytes full(out.front().begin(), out.front().begin() + prefix);
        full.insert(full.end(), stored.begin(), stored.end());
        out.push_back(full);
      }
    }
    return out;
  }

  // Leaf entries of an index in tree order, walked from the root.
  std::vector<Bytes> IndexEntries(uint32_t root) const {
    std::vector<Bytes> out;
    Walk(root, out, 0);
    return out;
  }

 private:
  void Walk(uint32_t pg, std::vector<Bytes>& out, int depth) const {
    if (depth > 10) throw std::runtime_error("index too deep");
    const uint8_t* p = Page(pg);
    auto entries = PageEntries(p);
    if (p[0] == 0x04) {
      out.insert(out.end(), entries.begin(), entries.end());
      return;
    }
    if (p[0] != 0x03) throw std::runtime_error("not an index page");
    for (const Bytes& e : entries) {
      size_t n = e.size();
      Walk(uint32_t(e[n - 4]) << 24 | e[n - 3] << 16 | e[n - 2] << 8 | e[n - 1],
           out, depth + 1);
    }
    if (U32(p + 20)) Walk(U32(p + 20), out, depth + 1);
  }

  Bytes data_;
};

inline std::u16string DecodeText(const Bytes& raw) {
  std::u16string s;
  if (raw.size() >= 2 && raw[0] == 0xFF && raw[1] == 0xFE) {
    bool compressed = true;
    for (size_t i = 2; i < raw.size();) {
      if (raw[i] == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        s += char16_t(raw[i++]);
      } else {
        if (i + 1 >= raw.size()) break;
        s += char16_t(U16(&raw[i]));
        i += 2;
      }
    }
    return s;
  }
  for (size_t i = 0; i + 1 < raw.size(); i += 2) s += char16_t(U16(&raw[i]));
  return s;
}

inline std::string Hex(const Bytes& b) {
  static const char* d = "0123456789abcdef";
  std::string s;
  for (uint8_t x : b) {
    if (!s.empty()) s += ' ';
    s += d[x >> 4];
    s += d[x & 15];
  }
  return s;
}

}  // namespace jet_test

#endif  // TESTS_JET_WRITER_TEST_UTIL_H_
