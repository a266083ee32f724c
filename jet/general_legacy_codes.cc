// The General (legacy) code table, decoded once from the compiled-in data
// (jet/data/general_legacy_keys.bin; its layout is described in
// jet/data/make_general_legacy_keys.py, which makes it). The data is a list
// of runs in character order, together covering U+0000..U+FFFF: characters
// of one kind whose inline codes count up by one. A lookup is a binary
// search over the runs. Data that does not decode to exactly that coverage
// is a build fault and raises std::logic_error on the first lookup.
#include "jet/general_legacy_codes.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace jet {

extern const uint8_t kGeneralLegacyKeyData[];
extern const size_t kGeneralLegacyKeyDataSize;

namespace {

struct CodeRun {
  uint32_t first = 0;  // first code unit of the run
  uint32_t count = 0;
  TextCharCode code;  // codes of the first character
};

class DataReader {
 public:
  bool AtEnd() const { return pos_ == kGeneralLegacyKeyDataSize; }
  uint8_t Next() {
    if (pos_ >= kGeneralLegacyKeyDataSize) Fail();
    return kGeneralLegacyKeyData[pos_++];
  }
  [[noreturn]] static void Fail() {
    throw std::logic_error("the General sort order table is malformed");
  }

 private:
  size_t pos_ = 0;
};

CodeRun ReadRun(DataReader& in) {
  const uint8_t head = in.Next();
  CodeRun run;
  const uint8_t kind = head & 0x07;
  if (kind > static_cast<uint8_t>(TextCodeKind::kFlagged)) in.Fail();
  run.code.kind = static_cast<TextCodeKind>(kind);
  run.code.inline_len = (head >> 3) & 0x07;
  if (run.code.inline_len > 4) in.Fail();
  run.count = 1;
  if (head & 0x40) run.count = (uint32_t{in.Next()} << 8) | in.Next();
  for (int i = 0; i < run.code.inline_len; ++i) {
    run.code.inline_bytes[i] = in.Next();
  }
  const TextCodeKind k = run.code.kind;
  if (k == TextCodeKind::kInternational || k == TextCodeKind::kFlagged) {
    run.code.extra_len = in.Next();
    if (run.code.extra_len > 2) in.Fail();
    for (int i = 0; i < run.code.extra_len; ++i) run.code.extra[i] = in.Next();
  }
  if (k == TextCodeKind::kUnprintable || k == TextCodeKind::kModifier ||
      k == TextCodeKind::kFlagged) {
    run.code.code = in.Next();
  }
  return run;
}

std::vector<CodeRun> DecodeRuns() {
  std::vector<CodeRun> runs;
  DataReader in;
  uint32_t next = 0;
  while (!in.AtEnd()) {
    CodeRun run = ReadRun(in);
    if (run.count == 0) in.Fail();
    run.first = next;
    next += run.count;
    runs.push_back(run);
  }
  if (next != 0x10000) in.Fail();
  return runs;
}

}  // namespace

TextCharCode GeneralLegacyCode(char16_t unit) {
  static const std::vector<CodeRun> runs = DecodeRuns();
  auto it = std::upper_bound(
      runs.begin(), runs.end(), uint32_t{unit},
      [](uint32_t u, const CodeRun& r) { return u < r.first; });
  const CodeRun& run = *(it - 1);  // runs start at U+0000
  TextCharCode code = run.code;
  // The inline code of the run's first character plus the distance to it,
  // as a big-endian number.
  uint32_t add = unit - run.first;
  for (int i = code.inline_len - 1; i >= 0 && add != 0; --i) {
    const uint32_t sum = code.inline_bytes[i] + add;
    code.inline_bytes[i] = static_cast<uint8_t>(sum);
    add = sum >> 8;
  }
  return code;
}

}  // namespace jet
