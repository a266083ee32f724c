#ifndef JET_TEXT_CODEC_H_
#define JET_TEXT_CODEC_H_

#include <string>

#include "jet/bytes.h"

namespace jet {

// UTF-16LE bytes to UTF-8 (an odd trailing byte is dropped).
std::string DecodeUtf16(Bytes bytes);

// A stored text value to UTF-8: plain UTF-16LE, or, after the FF FE marker,
// Jet's "Unicode compression" (one byte per character, 00 toggles between
// one-byte and two-byte mode).
std::string DecodeText(Bytes bytes);
// DecodeText into `out` (replacing its contents, keeping its room).
void DecodeTextTo(Bytes bytes, std::string& out);

}  // namespace jet

#endif  // JET_TEXT_CODEC_H_
