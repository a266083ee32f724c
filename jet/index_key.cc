#include "jet/index_key.h"

#include <bit>
#include <cstring>
#include <string>

#include "base/runtime_error.h"

namespace jet {
namespace {

enum CodeKind : uint8_t {
  kIgnored,        // contributes nothing (U+0000)
  kInline,         // one byte in the inline part
  kInline2,        // two bytes in the inline part
  kInternational,  // inline byte plus an accent code in the extra part
  kUnprintable,    // no inline byte; a group in the unprintable part
};

struct CharCode {
  CodeKind kind;
  uint8_t first;   // inline byte, or the unprintable code
  uint8_t second;  // second inline byte (kInline2)
  uint8_t extra;   // accent code (kInternational)
};

// General (legacy) collation codes of U+0000..U+00FF, ascending.
constexpr CharCode kCodes[256] = {
    {kIgnored, 0x00, 0x00, 0x00},
    {kUnprintable, 0x03, 0x00, 0x00},  // U+0000
    {kUnprintable, 0x04, 0x00, 0x00},
    {kUnprintable, 0x05, 0x00, 0x00},  // U+0002
    {kUnprintable, 0x06, 0x00, 0x00},
    {kUnprintable, 0x07, 0x00, 0x00},  // U+0004
    {kUnprintable, 0x08, 0x00, 0x00},
    {kUnprintable, 0x09, 0x00, 0x00},  // U+0006
    {kUnprintable, 0x0A, 0x00, 0x00},
    {kInline2, 0x08, 0x03, 0x00},  // U+0008
    {kInline2, 0x08, 0x04, 0x00},
    {kInline2, 0x08, 0x05, 0x00},  // U+000A
    {kInline2, 0x08, 0x06, 0x00},
    {kInline2, 0x08, 0x07, 0x00},  // U+000C
    {kUnprintable, 0x0B, 0x00, 0x00},
    {kUnprintable, 0x0C, 0x00, 0x00},  // U+000E
    {kUnprintable, 0x0D, 0x00, 0x00},
    {kUnprintable, 0x0E, 0x00, 0x00},  // U+0010
    {kUnprintable, 0x0F, 0x00, 0x00},
    {kUnprintable, 0x10, 0x00, 0x00},  // U+0012
    {kUnprintable, 0x11, 0x00, 0x00},
    {kUnprintable, 0x12, 0x00, 0x00},  // U+0014
    {kUnprintable, 0x13, 0x00, 0x00},
    {kUnprintable, 0x14, 0x00, 0x00},  // U+0016
    {kUnprintable, 0x15, 0x00, 0x00},
    {kUnprintable, 0x16, 0x00, 0x00},  // U+0018
    {kUnprintable, 0x17, 0x00, 0x00},
    {kUnprintable, 0x18, 0x00, 0x00},  // U+001A
    {kUnprintable, 0x19, 0x00, 0x00},
    {kUnprintable, 0x1A, 0x00, 0x00},  // U+001C
    {kUnprintable, 0x1B, 0x00, 0x00},
    {kUnprintable, 0x1C, 0x00, 0x00},  // U+001E
    {kInline, 0x07, 0x00, 0x00},
    {kInline, 0x09, 0x00, 0x00},  // U+0020
    {kInline, 0x0A, 0x00, 0x00},
    {kInline, 0x0C, 0x00, 0x00},  // U+0022
    {kInline, 0x0E, 0x00, 0x00},
    {kInline, 0x10, 0x00, 0x00},  // U+0024
    {kInline, 0x12, 0x00, 0x00},
    {kUnprintable, 0x80, 0x00, 0x00},  // U+0026
    {kInline, 0x14, 0x00, 0x00},
    {kInline, 0x16, 0x00, 0x00},  // U+0028
    {kInline, 0x18, 0x00, 0x00},
    {kInline, 0x2C, 0x00, 0x00},  // U+002A
    {kInline, 0x1A, 0x00, 0x00},
    {kUnprintable, 0x82, 0x00, 0x00},  // U+002C
    {kInline, 0x1C, 0x00, 0x00},
    {kInline, 0x1E, 0x00, 0x00},  // U+002E
    {kInline, 0x36, 0x00, 0x00},
    {kInline, 0x38, 0x00, 0x00},  // U+0030
    {kInline, 0x3A, 0x00, 0x00},
    {kInline, 0x3C, 0x00, 0x00},  // U+0032
    {kInline, 0x3E, 0x00, 0x00},
    {kInline, 0x40, 0x00, 0x00},  // U+0034
    {kInline, 0x42, 0x00, 0x00},
    {kInline, 0x44, 0x00, 0x00},  // U+0036
    {kInline, 0x46, 0x00, 0x00},
    {kInline, 0x48, 0x00, 0x00},  // U+0038
    {kInline, 0x20, 0x00, 0x00},
    {kInline, 0x22, 0x00, 0x00},  // U+003A
    {kInline, 0x2E, 0x00, 0x00},
    {kInline, 0x30, 0x00, 0x00},  // U+003C
    {kInline, 0x32, 0x00, 0x00},
    {kInline, 0x24, 0x00, 0x00},  // U+003E
    {kInline, 0x26, 0x00, 0x00},
    {kInline, 0x4A, 0x00, 0x00},  // U+0040
    {kInline, 0x4C, 0x00, 0x00},
    {kInline, 0x4D, 0x00, 0x00},  // U+0042
    {kInline, 0x4F, 0x00, 0x00},
    {kInline, 0x51, 0x00, 0x00},  // U+0044
    {kInline, 0x53, 0x00, 0x00},
    {kInline, 0x55, 0x00, 0x00},  // U+0046
    {kInline, 0x57, 0x00, 0x00},
    {kInline, 0x59, 0x00, 0x00},  // U+0048
    {kInline, 0x5B, 0x00, 0x00},
    {kInline, 0x5C, 0x00, 0x00},  // U+004A
    {kInline, 0x5E, 0x00, 0x00},
    {kInline, 0x60, 0x00, 0x00},  // U+004C
    {kInline, 0x62, 0x00, 0x00},
    {kInline, 0x64, 0x00, 0x00},  // U+004E
    {kInline, 0x66, 0x00, 0x00},
    {kInline, 0x68, 0x00, 0x00},  // U+0050
    {kInline, 0x69, 0x00, 0x00},
    {kInline, 0x6B, 0x00, 0x00},  // U+0052
    {kInline, 0x6D, 0x00, 0x00},
    {kInline, 0x6F, 0x00, 0x00},  // U+0054
    {kInline, 0x71, 0x00, 0x00},
    {kInline, 0x73, 0x00, 0x00},  // U+0056
    {kInline, 0x75, 0x00, 0x00},
    {kInline, 0x76, 0x00, 0x00},  // U+0058
    {kInline, 0x78, 0x00, 0x00},
    {kInline, 0x27, 0x00, 0x00},  // U+005A
    {kInline, 0x29, 0x00, 0x00},
    {kInline, 0x2A, 0x00, 0x00},  // U+005C
    {kInline2, 0x2B, 0x02, 0x00},
    {kInline2, 0x2B, 0x03, 0x00},  // U+005E
    {kInline2, 0x2B, 0x07, 0x00},
    {kInline, 0x4A, 0x00, 0x00},  // U+0060
    {kInline, 0x4C, 0x00, 0x00},
    {kInline, 0x4D, 0x00, 0x00},  // U+0062
    {kInline, 0x4F, 0x00, 0x00},
    {kInline, 0x51, 0x00, 0x00},  // U+0064
    {kInline, 0x53, 0x00, 0x00},
    {kInline, 0x55, 0x00, 0x00},  // U+0066
    {kInline, 0x57, 0x00, 0x00},
    {kInline, 0x59, 0x00, 0x00},  // U+0068
    {kInline, 0x5B, 0x00, 0x00},
    {kInline, 0x5C, 0x00, 0x00},  // U+006A
    {kInline, 0x5E, 0x00, 0x00},
    {kInline, 0x60, 0x00, 0x00},  // U+006C
    {kInline, 0x62, 0x00, 0x00},
    {kInline, 0x64, 0x00, 0x00},  // U+006E
    {kInline, 0x66, 0x00, 0x00},
    {kInline, 0x68, 0x00, 0x00},  // U+0070
    {kInline, 0x69, 0x00, 0x00},
    {kInline, 0x6B, 0x00, 0x00},  // U+0072
    {kInline, 0x6D, 0x00, 0x00},
    {kInline, 0x6F, 0x00, 0x00},  // U+0074
    {kInline, 0x71, 0x00, 0x00},
    {kInline, 0x73, 0x00, 0x00},  // U+0076
    {kInline, 0x75, 0x00, 0x00},
    {kInline, 0x76, 0x00, 0x00},  // U+0078
    {kInline, 0x78, 0x00, 0x00},
    {kInline2, 0x2B, 0x09, 0x00},  // U+007A
    {kInline2, 0x2B, 0x0B, 0x00},
    {kInline2, 0x2B, 0x0D, 0x00},  // U+007C
    {kInline2, 0x2B, 0x0F, 0x00},
    {kUnprintable, 0x1D, 0x00, 0x00},  // U+007E
    {kUnprintable, 0x1E, 0x00, 0x00},
    {kUnprintable, 0x1F, 0x00, 0x00},  // U+0080
    {kUnprintable, 0x20, 0x00, 0x00},
    {kUnprintable, 0x21, 0x00, 0x00},  // U+0082
    {kUnprintable, 0x22, 0x00, 0x00},
    {kUnprintable, 0x23, 0x00, 0x00},  // U+0084
    {kUnprintable, 0x24, 0x00, 0x00},
    {kUnprintable, 0x25, 0x00, 0x00},  // U+0086
    {kUnprintable, 0x26, 0x00, 0x00},
    {kUnprintable, 0x27, 0x00, 0x00},  // U+0088
    {kUnprintable, 0x28, 0x00, 0x00},
    {kUnprintable, 0x29, 0x00, 0x00},  // U+008A
    {kUnprintable, 0x2A, 0x00, 0x00},
    {kUnprintable, 0x2B, 0x00, 0x00},  // U+008C
    {kUnprintable, 0x2C, 0x00, 0x00},
    {kUnprintable, 0x2D, 0x00, 0x00},  // U+008E
    {kUnprintable, 0x2E, 0x00, 0x00},
    {kUnprintable, 0x2F, 0x00, 0x00},  // U+0090
    {kUnprintable, 0x30, 0x00, 0x00},
    {kUnprintable, 0x31, 0x00, 0x00},  // U+0092
    {kUnprintable, 0x32, 0x00, 0x00},
    {kUnprintable, 0x33, 0x00, 0x00},  // U+0094
    {kUnprintable, 0x34, 0x00, 0x00},
    {kUnprintable, 0x35, 0x00, 0x00},  // U+0096
    {kUnprintable, 0x36, 0x00, 0x00},
    {kUnprintable, 0x37, 0x00, 0x00},  // U+0098
    {kUnprintable, 0x38, 0x00, 0x00},
    {kUnprintable, 0x39, 0x00, 0x00},  // U+009A
    {kUnprintable, 0x3A, 0x00, 0x00},
    {kUnprintable, 0x3B, 0x00, 0x00},  // U+009C
    {kUnprintable, 0x3C, 0x00, 0x00},
    {kUnprintable, 0x3D, 0x00, 0x00},  // U+009E
    {kInline2, 0x08, 0x02, 0x00},
    {kInline2, 0x2B, 0x10, 0x00},  // U+00A0
    {kInline2, 0x34, 0xA6, 0x00},
    {kInline2, 0x34, 0xA7, 0x00},  // U+00A2
    {kInline2, 0x34, 0xA8, 0x00},
    {kInline2, 0x34, 0xA9, 0x00},  // U+00A4
    {kInline2, 0x2B, 0x11, 0x00},
    {kInline2, 0x34, 0xAA, 0x00},  // U+00A6
    {kInline2, 0x2B, 0x12, 0x00},
    {kInline2, 0x34, 0xAB, 0x00},  // U+00A8
    {kInternational, 0x4A, 0x00, 0x03},
    {kInline2, 0x33, 0x05, 0x00},  // U+00AA
    {kInline2, 0x34, 0xAC, 0x00},
    {kUnprintable, 0x83, 0x00, 0x00},  // U+00AC
    {kInline2, 0x34, 0xAD, 0x00},
    {kInline2, 0x2B, 0x13, 0x00},  // U+00AE
    {kInline2, 0x34, 0xAE, 0x00},
    {kInline2, 0x33, 0x04, 0x00},  // U+00B0
    {kInline, 0x3A, 0x00, 0x00},
    {kInline, 0x3C, 0x00, 0x00},  // U+00B2
    {kInline2, 0x2B, 0x14, 0x00},
    {kInline2, 0x34, 0xAF, 0x00},  // U+00B4
    {kInline2, 0x34, 0xB0, 0x00},
    {kInline2, 0x34, 0xB1, 0x00},  // U+00B6
    {kInline2, 0x2B, 0x15, 0x00},
    {kInline, 0x38, 0x00, 0x00},  // U+00B8
    {kInternational, 0x64, 0x00, 0x03},
    {kInline2, 0x33, 0x07, 0x00},  // U+00BA
    {kInline2, 0x37, 0x12, 0x00},
    {kInline2, 0x37, 0x16, 0x00},  // U+00BC
    {kInline2, 0x37, 0x1A, 0x00},
    {kInline2, 0x2B, 0x16, 0x00},  // U+00BE
    {kInternational, 0x4A, 0x00, 0x0F},
    {kInternational, 0x4A, 0x00, 0x0E},  // U+00C0
    {kInternational, 0x4A, 0x00, 0x12},
    {kInternational, 0x4A, 0x00, 0x19},  // U+00C2
    {kInternational, 0x4A, 0x00, 0x13},
    {kInternational, 0x4A, 0x00, 0x1A},  // U+00C4
    {kInline2, 0x4A, 0x51, 0x00},
    {kInternational, 0x4D, 0x00, 0x1C},  // U+00C6
    {kInternational, 0x51, 0x00, 0x0F},
    {kInternational, 0x51, 0x00, 0x0E},  // U+00C8
    {kInternational, 0x51, 0x00, 0x12},
    {kInternational, 0x51, 0x00, 0x13},  // U+00CA
    {kInternational, 0x59, 0x00, 0x0F},
    {kInternational, 0x59, 0x00, 0x0E},  // U+00CC
    {kInternational, 0x59, 0x00, 0x12},
    {kInternational, 0x59, 0x00, 0x13},  // U+00CE
    {kInternational, 0x4F, 0x00, 0x68},
    {kInternational, 0x62, 0x00, 0x19},  // U+00D0
    {kInternational, 0x64, 0x00, 0x0F},
    {kInternational, 0x64, 0x00, 0x0E},  // U+00D2
    {kInternational, 0x64, 0x00, 0x12},
    {kInternational, 0x64, 0x00, 0x19},  // U+00D4
    {kInternational, 0x64, 0x00, 0x13},
    {kInline2, 0x33, 0x09, 0x00},  // U+00D6
    {kInternational, 0x64, 0x00, 0x21},
    {kInternational, 0x6F, 0x00, 0x0F},  // U+00D8
    {kInternational, 0x6F, 0x00, 0x0E},
    {kInternational, 0x6F, 0x00, 0x12},  // U+00DA
    {kInternational, 0x6F, 0x00, 0x13},
    {kInternational, 0x76, 0x00, 0x0E},  // U+00DC
    {kInline2, 0x6D, 0x57, 0x00},
    {kInline2, 0x6B, 0x6B, 0x00},  // U+00DE
    {kInternational, 0x4A, 0x00, 0x0F},
    {kInternational, 0x4A, 0x00, 0x0E},  // U+00E0
    {kInternational, 0x4A, 0x00, 0x12},
    {kInternational, 0x4A, 0x00, 0x19},  // U+00E2
    {kInternational, 0x4A, 0x00, 0x13},
    {kInternational, 0x4A, 0x00, 0x1A},  // U+00E4
    {kInline2, 0x4A, 0x51, 0x00},
    {kInternational, 0x4D, 0x00, 0x1C},  // U+00E6
    {kInternational, 0x51, 0x00, 0x0F},
    {kInternational, 0x51, 0x00, 0x0E},  // U+00E8
    {kInternational, 0x51, 0x00, 0x12},
    {kInternational, 0x51, 0x00, 0x13},  // U+00EA
    {kInternational, 0x59, 0x00, 0x0F},
    {kInternational, 0x59, 0x00, 0x0E},  // U+00EC
    {kInternational, 0x59, 0x00, 0x12},
    {kInternational, 0x59, 0x00, 0x13},  // U+00EE
    {kInternational, 0x4F, 0x00, 0x68},
    {kInternational, 0x62, 0x00, 0x19},  // U+00F0
    {kInternational, 0x64, 0x00, 0x0F},
    {kInternational, 0x64, 0x00, 0x0E},  // U+00F2
    {kInternational, 0x64, 0x00, 0x12},
    {kInternational, 0x64, 0x00, 0x19},  // U+00F4
    {kInternational, 0x64, 0x00, 0x13},
    {kInline2, 0x33, 0x0A, 0x00},  // U+00F6
    {kInternational, 0x64, 0x00, 0x21},
    {kInternational, 0x6F, 0x00, 0x0F},  // U+00F8
    {kInternational, 0x6F, 0x00, 0x0E},
    {kInternational, 0x6F, 0x00, 0x12},  // U+00FA
    {kInternational, 0x6F, 0x00, 0x13},
    {kInternational, 0x76, 0x00, 0x0E},  // U+00FC
    {kInline2, 0x6D, 0x57, 0x00},
    {kInternational, 0x76, 0x00, 0x13},  // U+00FE
};

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

// Key body (everything after the flag byte, final 00 included) of a text in
// ascending order.
void TextKeyBody(std::u16string_view text, IndexKey& out) {
  if (text.size() > kMaxKeyChars) text = text.substr(0, kMaxKeyChars);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);

  IndexKey extra;
  IndexKey unprintable;
  size_t inline_chars = 0;
  bool has_extra = false;
  for (char16_t ch : text) {
    if (ch > 0xFF) {
      throw base::Error(base::err::kInvalidProcedureCall,
                        base::err::kSourceDatabase, {},
                        "text above U+00FF in an index key");
    }
    const CharCode& code = kCodes[ch];
    switch (code.kind) {
      case kIgnored:
        break;
      case kUnprintable: {
        const uint16_t pos =
            static_cast<uint16_t>(0x8000 | (7 + 4 * inline_chars));
        unprintable.push_back(static_cast<uint8_t>(pos >> 8));
        unprintable.push_back(static_cast<uint8_t>(pos));
        unprintable.push_back(0x06);
        unprintable.push_back(code.first);
        break;
      }
      case kInternational:
        extra.resize(inline_chars, 0x02);
        extra.push_back(code.extra);
        has_extra = true;
        out.push_back(code.first);
        ++inline_chars;
        break;
      case kInline2:
        out.push_back(code.first);
        out.push_back(code.second);
        ++inline_chars;
        break;
      case kInline:
        out.push_back(code.first);
        ++inline_chars;
        break;
    }
  }
  out.push_back(0x01);
  if (has_extra) {
    while (!extra.empty() && extra.back() <= 0x02) extra.pop_back();
    out.insert(out.end(), extra.begin(), extra.end());
  }
  if (!unprintable.empty()) {
    out.push_back(0x01);
    out.push_back(0x01);
    out.push_back(0x01);
    out.insert(out.end(), unprintable.begin(), unprintable.end());
  }
  out.push_back(0x00);
}

}  // namespace

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

bool TextKeySupported(std::u16string_view text) {
  if (text.size() > kMaxKeyChars) text = text.substr(0, kMaxKeyChars);
  for (char16_t ch : text) {
    if (ch > 0xFF) return false;
  }
  return true;
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
