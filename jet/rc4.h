#ifndef JET_RC4_H_
#define JET_RC4_H_

#include <cstdint>
#include <span>

namespace jet {

// XORs `data` with the RC4 key stream of `key`. Jet uses it to mask the
// header region and, in encrypted files, every page after page 0.
void Rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data);

// Decodes (or encodes: the stream is its own inverse) page `page_number` of
// a file whose header holds the non-zero database key `db_key`. Each page
// has its own key: db_key XOR the page number, little-endian.
void Rc4ApplyPage(uint32_t db_key, uint32_t page_number,
                  std::span<uint8_t> page);

}  // namespace jet

#endif  // JET_RC4_H_
