// Index keys. Each column: flag byte 7F (80 descending; 00/FF for NULL),
// then the value: numbers big-endian with the sign bit turned so that bytes
// sort as numbers; Binary and GUID in 8-byte groups; Decimal by Jet 4's
// legacy rule; text as the General sort order's codes (inline bytes, 01,
// extra bytes, then flags and unprintable groups; general_legacy_codes.h).
// Descending inverts the value bytes. Nothing here fails: every value of
// these types has a key.
#include "jet/index_key.h"

#include <bit>
#include <cstring>
#include <string>

#include "jet/general_legacy_codes.h"

namespace jet {
namespace {

constexpr size_t kMaxKeyChars = 255;

void AppendValueBytes(const uint8_t* bytes, size_t n, bool ascending,
                      IndexKey& key) {
  for (size_t i = 0; i < n; ++i) {
    key.push_back(ascending ? bytes[i] : static_cast<uint8_t>(~bytes[i]));
  }
}

void AppendBigEndian(uint64_t value, int bytes, bool ascending, IndexKey& key) {
  uint8_t buf[8];
  for (int i = 0; i < bytes; ++i) {
    buf[i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
  }
  key.push_back(ascending ? 0x7F : 0x80);
  AppendValueBytes(buf, bytes, ascending, key);
}

// IEEE bytes big-endian; positive values get the sign bit flipped, negative
// values every bit, so that the bytes sort in numeric order.
void AppendFloatBits(uint64_t bits, int bytes, bool ascending, IndexKey& key) {
  const uint64_t sign = uint64_t{1} << (8 * bytes - 1);
  const uint64_t all = bytes == 8 ? ~uint64_t{0} : (sign << 1) - 1;
  bits = (bits & sign) ? (~bits & all) : (bits | sign);
  AppendBigEndian(bits, bytes, ascending, key);
}

// The parts of a text key besides the inline bytes.
struct TextKeyParts {
  IndexKey extra;           // per inline character: 02 or its extra bytes
  size_t extra_chars = 0;   // inline characters that `extra` covers
  size_t extra_prefix = 0;  // a modifier that came before any character
  bool extra_started = false;
  IndexKey unprintable;  // groups: position (2 bytes), 06, code
  IndexKey flags;        // one flag per kFlagged character
};

void AddExtra(const TextCharCode& c, size_t at, TextKeyParts& p) {
  p.extra_started = true;
  if (p.extra_chars < at) {
    p.extra.insert(p.extra.end(), at - p.extra_chars, 0x02);
    p.extra_chars = at;
  }
  if (c.extra_len > 0) {
    p.extra.insert(p.extra.end(), c.extra, c.extra + c.extra_len);
    ++p.extra_chars;
  } else if (!p.extra.empty()) {
    p.extra.back() = static_cast<uint8_t>(p.extra.back() + c.code);
  } else {
    p.extra.push_back(c.code);
    p.extra_prefix = 1;
  }
}

// The position of an unprintable character counts the extra bytes written
// so far instead of the characters they stand for.
void AddUnprintable(const TextCharCode& c, size_t at, TextKeyParts& p) {
  const size_t pos = p.extra_started
                         ? p.extra.size() + at - p.extra_chars - p.extra_prefix
                         : at;
  const uint16_t mark = static_cast<uint16_t>(0x8000 | (7 + 4 * pos));
  p.unprintable.push_back(static_cast<uint8_t>(mark >> 8));
  p.unprintable.push_back(static_cast<uint8_t>(mark));
  p.unprintable.push_back(0x06);
  p.unprintable.push_back(c.code);
}

// Flags 2 and 3, three to a byte behind 80, trailing 3s dropped, then a
// fixed suffix (written even when every flag was dropped).
void AppendFlags(IndexKey flags, IndexKey& out) {
  while (!flags.empty() && flags.back() == 0x03) flags.pop_back();
  for (size_t i = 0; i < flags.size(); i += 3) {
    uint8_t packed = 0x80;
    for (size_t j = 0; j < 3 && i + j < flags.size(); ++j) {
      packed = static_cast<uint8_t>(packed | flags[i + j] << (4 - 2 * j));
    }
    out.push_back(packed);
  }
  out.insert(out.end(), {0xFF, 0x02, 0x80, 0xFF, 0x80});
}

// Key body (everything after the flag byte, final 00 included) of a text in
// ascending order: inline bytes, 01, extra bytes, then flags and
// unprintable groups each behind their markers.
void TextKeyBody(std::u16string_view text, IndexKey& out) {
  if (text.size() > kMaxKeyChars) text = text.substr(0, kMaxKeyChars);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);

  TextKeyParts p;
  size_t inline_chars = 0;
  for (char16_t ch : text) {
    const TextCharCode c = GeneralLegacyCode(ch);
    const size_t at = inline_chars;
    if (c.inline_len > 0) {
      out.insert(out.end(), c.inline_bytes, c.inline_bytes + c.inline_len);
      ++inline_chars;
    }
    if (c.extra_len > 0 || c.kind == TextCodeKind::kModifier) {
      AddExtra(c, at, p);
    }
    if (c.kind == TextCodeKind::kUnprintable) AddUnprintable(c, at, p);
    if (c.kind == TextCodeKind::kFlagged) p.flags.push_back(c.code);
  }
  out.push_back(0x01);
  while (!p.extra.empty() && p.extra.back() <= 0x02) p.extra.pop_back();
  out.insert(out.end(), p.extra.begin(), p.extra.end());
  if (!p.flags.empty() || !p.unprintable.empty()) {
    out.push_back(0x01);
    out.push_back(0x01);
    if (!p.flags.empty()) {
      AppendFlags(p.flags, out);
      if (!p.unprintable.empty()) out.push_back(0xFF);
    }
    if (!p.unprintable.empty()) {
      out.push_back(0x01);
      out.insert(out.end(), p.unprintable.begin(), p.unprintable.end());
    }
  }
  out.push_back(0x00);
}

}  // namespace

// Binary and GUID values: 8-byte groups, each followed by 09 when more
// follow, the last zero-padded and followed by its real length. Descending
// inverts everything but the 09s.
void AppendBinaryKey(std::span<const uint8_t> bytes, bool ascending,
                     IndexKey& key) {
  key.push_back(ascending ? 0x7F : 0x80);
  const uint8_t flip = ascending ? 0x00 : 0xFF;
  size_t at = 0;
  while (bytes.size() - at > 8) {
    for (size_t i = 0; i < 8; ++i) key.push_back(bytes[at + i] ^ flip);
    key.push_back(0x09);
    at += 8;
  }
  if (at == bytes.size()) return;
  const size_t rest = bytes.size() - at;
  for (size_t i = 0; i < 8; ++i) {
    key.push_back((i < rest ? bytes[at + i] : 0x00) ^ flip);
  }
  key.push_back(static_cast<uint8_t>(rest) ^ flip);
}

void AppendNullKey(bool ascending, IndexKey& key) {
  key.push_back(ascending ? 0x00 : 0xFF);
}

void AppendByteKey(uint8_t value, bool ascending, IndexKey& key) {
  AppendBigEndian(value, 1, ascending, key);
}

void AppendIntegerKey(int16_t value, bool ascending, IndexKey& key) {
  AppendBigEndian(static_cast<uint16_t>(value) ^ 0x8000u, 2, ascending, key);
}

void AppendLongKey(int32_t value, bool ascending, IndexKey& key) {
  AppendBigEndian(static_cast<uint32_t>(value) ^ 0x80000000u, 4, ascending,
                  key);
}

void AppendCurrencyKey(int64_t scaled, bool ascending, IndexKey& key) {
  AppendBigEndian(static_cast<uint64_t>(scaled) ^ (uint64_t{1} << 63), 8,
                  ascending, key);
}

void AppendDoubleKey(double value, bool ascending, IndexKey& key) {
  AppendFloatBits(std::bit_cast<uint64_t>(value), 8, ascending, key);
}

void AppendSingleKey(float value, bool ascending, IndexKey& key) {
  AppendFloatBits(std::bit_cast<uint32_t>(value), 4, ascending, key);
}

void AppendBooleanKey(bool value, bool ascending, IndexKey& key) {
  key.push_back(ascending ? 0x7F : 0x80);
  const uint8_t body = value ? 0x00 : 0xFF;
  key.push_back(ascending ? body : static_cast<uint8_t>(~body));
}

void AppendTextKey(std::u16string_view text, bool ascending, IndexKey& key) {
  key.push_back(ascending ? 0x7F : 0x80);
  const size_t body_start = key.size();
  TextKeyBody(text, key);
  if (!ascending) {
    for (size_t i = body_start; i < key.size(); ++i) key[i] = ~key[i];
    key.push_back(0x00);
  }
}

void AppendGuidKey(std::span<const uint8_t, 16> stored, bool ascending,
                   IndexKey& key) {
  // Data1..3 are stored little-endian; the key takes the textual order.
  const uint8_t text_order[16] = {
      stored[3],  stored[2],  stored[1],  stored[0], stored[5],  stored[4],
      stored[7],  stored[6],  stored[8],  stored[9], stored[10], stored[11],
      stored[12], stored[13], stored[14], stored[15]};
  AppendBinaryKey(text_order, ascending, key);
}

// Jet 4's (legacy) rule: sign byte FF for positive, 00 for negative values,
// then the 16-byte magnitude big-endian, inverted for negative ascending and
// positive descending values; so descending puts negatives first (Access
// does this; later formats changed it).
void AppendDecimalKey(std::span<const uint8_t, 17> stored, bool ascending,
                      IndexKey& key) {
  key.push_back(ascending ? 0x7F : 0x80);
  const bool negative = (stored[0] & 0x80) != 0;
  const uint8_t flip = negative == ascending ? 0xFF : 0x00;
  key.push_back(negative ? 0x00 : 0xFF);
  // Stored: four 32-bit little-endian words, the most significant first.
  for (size_t word = 0; word < 4; ++word) {
    for (size_t i = 4; i-- > 0;) {
      key.push_back(stored[1 + 4 * word + i] ^ flip);
    }
  }
}

IndexKey LongKey(int32_t value) {
  IndexKey key;
  AppendLongKey(value, true, key);
  return key;
}

IndexKey TextKey(std::u16string_view text) {
  IndexKey key;
  AppendTextKey(text, true, key);
  return key;
}

int CompareKeys(const uint8_t* a, size_t a_len, const uint8_t* b,
                size_t b_len) {
  const size_t n = a_len < b_len ? a_len : b_len;
  const int c = n == 0 ? 0 : std::memcmp(a, b, n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a_len == b_len) return 0;
  return a_len < b_len ? -1 : 1;
}

}  // namespace jet
