#include "jet/header.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "jet/rc4.h"

namespace jet {

bool IsJet4Header(Bytes page0) {
  if (page0.size() < format::kPageSize) return false;
  if (page0[0] != format::kPageHeader) return false;
  if (std::memcmp(page0.data() + format::kHeaderEngineName,
                  format::kJetEngineName, sizeof format::kJetEngineName) != 0) {
    return false;
  }
  return U32(page0, format::kHeaderVersion) == format::kVersionJet4;
}

void ToggleHeaderMask(std::span<uint8_t> page0) {
  if (page0.size() < format::kHeaderMaskOffset + format::kHeaderMaskLength) {
    return;
  }
  Rc4Apply(format::kHeaderMaskKey,
           page0.subspan(format::kHeaderMaskOffset, format::kHeaderMaskLength));
}

Header ParseHeader(Bytes page0) {
  std::array<uint8_t, format::kPageSize> plain;
  std::copy_n(page0.begin(), format::kPageSize, plain.begin());
  ToggleHeaderMask(plain);
  Bytes p(plain);
  Header h;
  h.db_key = U32(p, format::kHeaderDbKey);
  h.sort_lcid = U16(p, format::kHeaderSortOrder);
  h.sort_version = U8(p, format::kHeaderSortOrder + 3);
  return h;
}

}  // namespace jet
