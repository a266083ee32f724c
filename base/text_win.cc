// The text conversions of base/text.h on Windows: the Win32 code-page
// functions instead of iconv for Windows-1252, LCMapStringEx instead of
// towupper_l, UTF-8 and UTF-16 by their definitions. Results
// match the Linux build: undecodable input becomes U+FFFD, characters that
// Windows-1252 cannot hold become '?' (no "best fit" look-alikes).
#include <windows.h>

#include <string>
#include <string_view>

#include "base/text.h"

namespace base {
namespace {

constexpr UINT kCp1252 = 1252;
constexpr char32_t kReplacement = 0xFFFD;

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The bytes Windows-1252 leaves undefined; Windows round-trips them as the
// same code point, and so do we.
bool IsUndefinedIn1252(char32_t c) {
  return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Lone surrogates become U+FFFD, as the iconv build does.
std::u32string Utf16ToUtf32(std::u16string_view in) {
  std::u32string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    char16_t c = in[i];
    if (IsHighSurrogate(c) && i + 1 < in.size() && IsLowSurrogate(in[i + 1])) {
      out += static_cast<char32_t>(0x10000 + ((c - 0xD800) << 10) +
                                   (in[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      out += kReplacement;
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string Utf32ToUtf16(std::u32string_view in) {
  std::u16string out;
  out.reserve(in.size());
  for (char32_t c : in) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::wstring_view AsWide(std::u16string_view s) {
  return {reinterpret_cast<const wchar_t*>(s.data()), s.size()};
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  return Utf32ToUtf16(Utf8ToUtf32(utf8));
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  return Utf32ToUtf8(Utf16ToUtf32(utf16));
}

// Decoded by hand rather than by MultiByteToWideChar, whose count of
// replacement characters for a broken sequence differs between Windows
// versions: here, as with iconv, each byte that does not start a valid
// sequence becomes one U+FFFD (overlong forms, encoded surrogates and code
// points above U+10FFFF are invalid).
std::u32string Utf8ToUtf32(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    size_t length = b < 0x80                 ? 1
                    : b >= 0xC2 && b <= 0xDF ? 2
                    : b >= 0xE0 && b <= 0xEF ? 3
                    : b >= 0xF0 && b <= 0xF4 ? 4
                                             : 0;
    char32_t c = length == 1   ? b
                 : length == 2 ? b & 0x1F
                 : length == 3 ? b & 0x0F
                               : b & 0x07;
    bool valid = length > 0 && i + length <= utf8.size();
    for (size_t k = 1; valid && k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = c << 6 | (next & 0x3F);
    }
    valid = valid && !(length == 3 && c < 0x800) &&
            !(length == 4 && (c < 0x10000 || c > 0x10FFFF)) &&
            !(c >= 0xD800 && c <= 0xDFFF);
    if (valid) {
      out += c;
      i += length;
    } else {
      out += kReplacement;
      ++i;
    }
  }
  return out;
}

std::string Utf32ToUtf8(std::u32string_view utf32) {
  std::string out;
  out.reserve(utf32.size());
  for (char32_t c : utf32) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  // One character at a time, so that an unmappable one becomes one '?'.
  std::string out;
  out.reserve(utf8.size());
  for (char32_t c : Utf8ToUtf32(utf8)) {
    if (c < 0x80 || IsUndefinedIn1252(c)) {
      out += static_cast<char>(c);
      continue;
    }
    std::u16string one = Utf32ToUtf16(std::u32string_view(&c, 1));
    char byte = '?';
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(
        kCp1252, WC_NO_BEST_FIT_CHARS, AsWide(one).data(),
        static_cast<int>(one.size()), &byte, 1, "?", &lossy);
    out += (n == 1 && !lossy) ? byte : '?';
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
  if (IsAscii(cp1252)) return std::string(cp1252);
  std::u32string chars;
  chars.reserve(cp1252.size());
  for (char b : cp1252) {
    char32_t c = static_cast<unsigned char>(b);
    if (c >= 0x80 && !IsUndefinedIn1252(c)) {
      wchar_t wide = 0;
      c = MultiByteToWideChar(kCp1252, 0, &b, 1, &wide, 1) == 1
              ? static_cast<char32_t>(wide)
              : kReplacement;
    }
    chars += c;
  }
  return Utf32ToUtf8(chars);
}

std::u32string UpperCase32(std::u32string_view text) {
  std::u32string out(text);
  for (char32_t& c : out) {
    if (c < 0x80) {
      if (c >= 'a' && c <= 'z') c -= 32;
      continue;
    }
    // Simple (one-to-one) mapping per character, as towupper does: the
    // length in characters never changes.
    std::u16string one = Utf32ToUtf16(std::u32string_view(&c, 1));
    std::u16string upper(one.size(), u'\0');
    int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE,
                          AsWide(one).data(), static_cast<int>(one.size()),
                          reinterpret_cast<wchar_t*>(upper.data()),
                          static_cast<int>(upper.size()), nullptr, nullptr, 0);
    if (n == static_cast<int>(one.size())) {
      std::u32string mapped = Utf16ToUtf32(upper);
      if (mapped.size() == 1) c = mapped[0];
    }
  }
  return out;
}

std::string UpperCase(std::string_view utf8) {
  if (IsAscii(utf8)) {
    std::string out(utf8);
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
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
  out.append(utf8);
  for (size_t i = start; i < out.size(); ++i) {
    if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
  }
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  return UpperCase(a) == UpperCase(b);
}

size_t CharCount(std::string_view utf8) {
  size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace base
