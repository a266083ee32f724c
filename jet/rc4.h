#ifndef JET_RC4_H_
#define JET_RC4_H_

#include <cstdint>
#include <span>

namespace jet {

// XORs `data` with the RC4 key stream of `key`. Jet uses it to mask the
// header region and, in encrypted files, every page after page 0.
void Rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data);

}  // namespace jet

#endif  // JET_RC4_H_
