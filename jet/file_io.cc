// The parts of the file layer that are the same on every system.
#include "jet/file_io.h"

namespace jet {

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
  auto file = RandomAccessFile::Open(path);
  if (!file) return std::nullopt;
  const std::optional<uint64_t> size = file->RegularFileSize();
  if (!size || *size > SIZE_MAX) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(*size));
  if (!bytes.empty() && !file->ReadAt(0, bytes.data(), bytes.size())) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace jet
