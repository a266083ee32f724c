#ifndef JET_INTEGRITY_H_
#define JET_INTEGRITY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page_allocator.h"

namespace jet {

// Checks a whole database image for structural faults: the catalog, every
// table definition, row and long value, the usage maps (pages in use that
// the global map marks free, pages no map owns or two maps own, maps and
// definitions pointing past the end of the file), long-value rows no row
// refers to, and every index whose keys the engine can compute.
// Returns one human-readable line per fault; empty when the file is
// consistent. Never throws on damaged input, reads nothing out of bounds
// and finishes in time linear in the size of the file.
// An RC4-encoded file (non-zero database key in the header) is checked on
// its decoded pages, as the reader sees them.
std::vector<std::string> FindDamage(const std::vector<uint8_t>& image);
// The same for the image a writer holds, checked where it lies (no copy
// when it is not RC4-encoded).
std::vector<std::string> FindDamage(const PageStore& store);

// The image with every page after the header decoded when the header says
// the file is RC4-encoded; otherwise (or when there is no Jet 4 header) the
// image unchanged.
std::vector<uint8_t> PlainImage(std::vector<uint8_t> image);

// The part of FindDamage that a writer needs to be safe: table definitions,
// usage maps and index roots readable and inside the file, no page owned
// twice, no owned page marked free. Rows and indexes are not decoded.
std::vector<std::string> FindStructuralDamage(const PageStore& store);

}  // namespace jet

#endif  // JET_INTEGRITY_H_
