#include "base/text.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

namespace base {
namespace {

// One converter per direction, opened once per thread: iconv_open is far
// too slow to run per cell.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in` (units of `in_unit` bytes); an undecodable or unmappable
  // unit is skipped and `replacement` (already in the target encoding) goes
  // out instead.
  std::string Run(std::string_view in, size_t in_unit,
                  std::string_view replacement) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    size_t used = 0;
    while (src_left > 0) {
      char* dst = out.data() + used;
      size_t dst_left = out.size() - used;
      size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
      used = out.size() - dst_left;
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL: skip one unit and emit the replacement.
      size_t skip = src_left < in_unit ? src_left : in_unit;
      src += skip;
      src_left -= skip;
      if (out.size() - used < replacement.size() + 16)
        out.resize(out.size() * 2);
      out.replace(used, replacement.size(), replacement);
      used += replacement.size();
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

Converter& Get(const char* to, const char* from) {
  // A small fixed set of directions; each thread keeps its own.
  thread_local Converter u8_u16("UTF-16LE", "UTF-8");
  thread_local Converter u16_u8("UTF-8", "UTF-16LE");
  thread_local Converter u8_u32("UTF-32LE", "UTF-8");
  thread_local Converter u32_u8("UTF-8", "UTF-32LE");
  thread_local Converter u8_1252("CP1252", "UTF-8");
  thread_local Converter c1252_u8("UTF-8", "CP1252");
  std::string_view t(to), f(from);
  if (t == "UTF-16LE") return u8_u16;
  if (t == "UTF-32LE") return u8_u32;
  if (t == "CP1252") return u8_1252;
  if (f == "UTF-16LE") return u16_u8;
  if (f == "UTF-32LE") return u32_u8;
  return c1252_u8;
}

constexpr std::string_view kU16Replacement("\xFD\xFF", 2);
constexpr std::string_view kU32Replacement("\xFD\xFF\x00\x00", 4);
constexpr std::string_view kU8Replacement("\xEF\xBF\xBD", 3);

locale_t Utf8Locale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return l;
  }();
  return loc;
}

constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// Texts are read eight bytes a step: they are mostly short names and
// values, too short for the compiler's own vector loops.
uint64_t Word(const char* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

bool IsAscii(std::string_view text) {
  uint64_t bits = 0;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) bits |= Word(text.data() + i);
  for (; i < text.size(); ++i) bits |= static_cast<unsigned char>(text[i]);
  return (bits & kHighBits) == 0;
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  // Plain ASCII (most names and values) maps unit for unit.
  if (IsAscii(utf8)) return std::u16string(utf8.begin(), utf8.end());
  std::string bytes = Get("UTF-16LE", "UTF-8").Run(utf8, 1, kU16Replacement);
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                   static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  bool ascii = true;
  for (char16_t c : utf16) ascii = ascii && c < 0x80;
  if (ascii) {
    std::string out(utf16.size(), '\0');
    for (size_t i = 0; i < utf16.size(); ++i)
      out[i] = static_cast<char>(utf16[i]);
    return out;
  }
  std::string bytes(utf16.size() * 2, '\0');
  for (size_t i = 0; i < utf16.size(); ++i) {
    bytes[2 * i] = static_cast<char>(utf16[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(utf16[i] >> 8);
  }
  return Get("UTF-8", "UTF-16LE").Run(bytes, 2, kU8Replacement);
}

std::u32string Utf8ToUtf32(std::string_view utf8) {
  if (IsAscii(utf8)) return std::u32string(utf8.begin(), utf8.end());
  std::string bytes = Get("UTF-32LE", "UTF-8").Run(utf8, 1, kU32Replacement);
  std::u32string out(bytes.size() / 4, U'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    uint32_t c = 0;
    for (int k = 3; k >= 0; --k)
      c = c << 8 | static_cast<uint8_t>(bytes[4 * i + k]);
    out[i] = c;
  }
  return out;
}

std::string Utf32ToUtf8(std::u32string_view utf32) {
  bool ascii = true;
  for (char32_t c : utf32) ascii = ascii && c < 0x80;
  if (ascii) {
    std::string out(utf32.size(), '\0');
    for (size_t i = 0; i < utf32.size(); ++i) {
      out[i] = static_cast<char>(utf32[i]);
    }
    return out;
  }
  std::string bytes(utf32.size() * 4, '\0');
  for (size_t i = 0; i < utf32.size(); ++i) {
    for (int k = 0; k < 4; ++k) {
      bytes[4 * i + k] = static_cast<char>((utf32[i] >> (8 * k)) & 0xFF);
    }
  }
  return Get("UTF-8", "UTF-32LE").Run(bytes, 4, kU8Replacement);
}

std::string Utf8ToCp1252(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  // One character at a time, so that an unmappable one becomes one '?'.
  // Code points U+0081, U+008D, U+008F, U+0090 and U+009D have no glyph in
  // Windows-1252 but Windows round-trips them as the same byte; so do we.
  std::string out;
  out.reserve(utf8.size());
  for (char32_t c : Utf8ToUtf32(utf8)) {
    if (c < 0x80 || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 ||
        c == 0x9D) {
      out += static_cast<char>(c);
      continue;
    }
    std::string one = Get("CP1252", "UTF-8")
                          .Run(Utf32ToUtf8(std::u32string_view(&c, 1)), 1, "?");
    out += one.size() == 1 ? one : "?";
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
  if (IsAscii(cp1252)) return std::string(cp1252);
  std::string out;
  out.reserve(cp1252.size());
  size_t start = 0;
  for (size_t i = 0; i <= cp1252.size(); ++i) {
    unsigned char c =
        i < cp1252.size() ? static_cast<unsigned char>(cp1252[i]) : 0;
    bool undefined = i < cp1252.size() && (c == 0x81 || c == 0x8D ||
                                           c == 0x8F || c == 0x90 || c == 0x9D);
    if (i == cp1252.size() || undefined) {
      out += Get("UTF-8", "CP1252")
                 .Run(cp1252.substr(start, i - start), 1, kU8Replacement);
      if (undefined) {
        char32_t cp = c;
        out += Utf32ToUtf8(std::u32string_view(&cp, 1));
      }
      start = i + 1;
    }
  }
  return out;
}

std::u32string UpperCase32(std::u32string_view text) {
  std::u32string out(text);
  locale_t loc = Utf8Locale();
  for (char32_t& c : out) {
    if (c < 0x80) {
      if (c >= 'a' && c <= 'z') c -= 32;
    } else if (loc != static_cast<locale_t>(0)) {
      c = static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), loc));
    }
  }
  return out;
}

std::string UpperCase(std::string_view utf8) {
  if (IsAscii(utf8)) {
    std::string out(utf8);
    for (char& c : out) c = AsciiUpper(c);
    return out;
  }
  return Utf32ToUtf8(UpperCase32(Utf8ToUtf32(utf8)));
}

void AppendUpperCase(std::string& out, std::string_view utf8) {
  if (!IsAscii(utf8)) {
    out += UpperCase(utf8);
    return;
  }
  const size_t start = out.size();
  out.resize(start + utf8.size());
  char* dst = out.data() + start;
  size_t i = 0;
  for (; i + 8 <= utf8.size(); i += 8) {
    uint64_t w = Word(utf8.data() + i);
    // The high bit of each byte in a..z (every byte is below 0x80, so the
    // sums carry into no other byte), moved to the case bit 0x20.
    const uint64_t lower =
        (w + 0x1F1F1F1F1F1F1F1FULL) & ~(w + 0x0505050505050505ULL) & kHighBits;
    w ^= lower >> 2;
    std::memcpy(dst + i, &w, sizeof w);
  }
  for (; i < utf8.size(); ++i) dst[i] = AsciiUpper(utf8[i]);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  // Two ASCII texts compare without building upper-case copies.
  if (IsAscii(a) && IsAscii(b)) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
  }
  return UpperCase(a) == UpperCase(b);
}

size_t CharCount(std::string_view utf8) {
  size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace base
