#include "jet/text_codec.h"

#include <cstring>

#include "base/text.h"
#include "jet/format.h"

namespace jet {
namespace {

bool AllAscii16(Bytes b) {
  for (size_t i = 0; i + 1 < b.size(); i += 2) {
    if (b[i] >= 0x80 || b[i + 1] != 0) return false;
  }
  return true;
}

// Whether every byte is in 0x01..0x7F, eight bytes a step.
bool PlainAscii(Bytes b) {
  constexpr uint64_t kLow = 0x0101010101010101ULL;
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  uint64_t found = 0;  // high bits: a byte >= 0x80, or a zero byte
  size_t i = 0;
  for (; i + 8 <= b.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, b.data() + i, 8);
    found |= w | ((w - kLow) & ~w);
  }
  for (; i < b.size(); ++i) {
    found |= b[i] == 0 ? 0x80u : b[i];
  }
  return (found & kHigh) == 0;
}

}  // namespace

std::string DecodeUtf16(Bytes bytes) {
  size_t n = bytes.size() / 2;
  // Most stored text is ASCII; skip the converter for it.
  if (AllAscii16(bytes)) {
    std::string out(n, '\0');
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>(bytes[2 * i]);
    return out;
  }
  std::u16string u(n, u'\0');
  for (size_t i = 0; i < n; ++i) {
    u[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return base::Utf16ToUtf8(u);
}

std::string DecodeText(Bytes bytes) {
  if (bytes.size() < 2 || bytes[0] != format::kCompressedMarker0 ||
      bytes[1] != format::kCompressedMarker1) {
    return DecodeUtf16(bytes);
  }
  // Most compressed text is ASCII without a switch to two-byte mode: its
  // bytes are the text.
  const Bytes body = bytes.subspan(2);
  bool plain = true;
  for (uint8_t b : body) plain = plain && b != 0 && b < 0x80;
  if (plain) return std::string(body.begin(), body.end());
  std::u16string u;
  u.reserve(bytes.size());
  bool ascii = true;
  bool compressed = true;
  size_t i = 2;
  while (i < bytes.size()) {
    if (bytes[i] == 0) {
      compressed = !compressed;
      ++i;
      continue;
    }
    char16_t c;
    if (compressed) {
      c = bytes[i];
      ++i;
    } else {
      if (i + 1 >= bytes.size()) break;  // dangling half character
      c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
      i += 2;
    }
    if (c >= 0x80) ascii = false;
    u.push_back(c);
  }
  if (ascii) return std::string(u.begin(), u.end());
  return base::Utf16ToUtf8(u);
}

void DecodeTextTo(Bytes bytes, std::string& out) {
  const bool compressed = bytes.size() >= 2 &&
                          bytes[0] == format::kCompressedMarker0 &&
                          bytes[1] == format::kCompressedMarker1;
  if (compressed) {
    const Bytes body = bytes.subspan(2);
    if (PlainAscii(body)) {
      out.assign(body.begin(), body.end());
      return;
    }
  } else if (AllAscii16(bytes)) {
    out.resize(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
      out[i] = static_cast<char>(bytes[2 * i]);
    }
    return;
  }
  out = DecodeText(bytes);
}

}  // namespace jet
