#include "jet/header.h"

#include <algorithm>
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
  Header h;
  std::copy_n(page0.begin(), format::kPageSize, h.raw.begin());
  std::array<uint8_t, format::kPageSize> plain = h.raw;
  ToggleHeaderMask(plain);
  std::copy_n(plain.begin() + format::kHeaderMaskOffset,
              format::kHeaderMaskLength, h.unmasked.begin());
  Bytes p(plain);
  h.version = U32(p, format::kHeaderVersion);
  h.code_page = U16(p, format::kHeaderCodePage);
  h.db_key = U32(p, format::kHeaderDbKey);
  h.sort_lcid = U16(p, format::kHeaderSortOrder);
  h.sort_version = U8(p, format::kHeaderSortOrder + 3);
  h.creation_date = F64(p, format::kHeaderCreationDate);
  return h;
}

}  // namespace jet
