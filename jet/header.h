#ifndef JET_HEADER_H_
#define JET_HEADER_H_

#include <cstdint>

#include "jet/bytes.h"
#include "jet/format.h"

namespace jet {

// The fields of the database header (page 0) the engine uses, read from its
// unmasked region.
struct Header {
  uint32_t db_key = 0;     // non-zero: pages after 0 are RC4-encrypted
  uint16_t sort_lcid = 0;  // 0x0409 "General"
  uint8_t sort_version = 0;
};

// True if page 0 names the Jet engine with version 4.0 (`page0` may go on
// into the rest of the file; false when it is shorter than a page).
bool IsJet4Header(Bytes page0);

// Decodes page 0. The caller has checked IsJet4Header.
Header ParseHeader(Bytes page0);

// Applies (or removes: the mask is its own inverse) the header mask to the
// 128 bytes at kHeaderMaskOffset of `page0`.
void ToggleHeaderMask(std::span<uint8_t> page0);

}  // namespace jet

#endif  // JET_HEADER_H_
