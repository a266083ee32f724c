#ifndef JET_GENERAL_LEGACY_CODES_H_
#define JET_GENERAL_LEGACY_CODES_H_

#include <cstdint>

namespace jet {

// Per-character codes of Jet 4's General (legacy) sort order (1033, version
// 0), from which text index keys are built (index_key.cc). Every UTF-16 code
// unit has one; surrogates are coded one half at a time.
enum class TextCodeKind : uint8_t {
  kIgnored,        // contributes nothing
  kSimple,         // inline bytes only
  kInternational,  // inline bytes plus extra bytes (accents, scripts)
  kUnprintable,    // a group in the unprintable part (`code`)
  kModifier,       // adds `code` to the previous extra byte
  kFlagged,        // inline bytes, extra bytes if any, and a flag (`code`)
};

struct TextCharCode {
  TextCodeKind kind = TextCodeKind::kIgnored;
  uint8_t inline_len = 0;  // 0..4
  uint8_t extra_len = 0;   // 0..2
  uint8_t code = 0;
  uint8_t inline_bytes[4] = {};
  uint8_t extra[2] = {};
};

TextCharCode GeneralLegacyCode(char16_t unit);

}  // namespace jet

#endif  // JET_GENERAL_LEGACY_CODES_H_
