// FileIdentity from GetFileInformationByHandle (volume, file index, size,
// last-write time) and GetFileInformationByHandleEx (change time).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "base/text.h"
#include "dao/identity.h"

namespace dao_jet {
namespace {

// FILETIME and LARGE_INTEGER times count 100-ns ticks.
int64_t Nanoseconds(uint32_t high, uint32_t low) {
  return static_cast<int64_t>((uint64_t{high} << 32) | low) * 100;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  std::u16string wide = base::Utf8ToUtf16(path);
  // No access asked for: reads the attributes even of a file others hold
  // open, and never stands in the way of their renaming or deleting it.
  HANDLE h =
      CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), 0,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO basic{};
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  bool has_change_time = ok && GetFileInformationByHandleEx(
                                   h, FileBasicInfo, &basic, sizeof basic) != 0;
  CloseHandle(h);
  if (!ok) return std::nullopt;
  return FileIdentity{
      info.dwVolumeSerialNumber,
      (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow,
      static_cast<int64_t>((uint64_t{info.nFileSizeHigh} << 32) |
                           info.nFileSizeLow),
      Nanoseconds(info.ftLastWriteTime.dwHighDateTime,
                  info.ftLastWriteTime.dwLowDateTime),
      has_change_time ? basic.ChangeTime.QuadPart * 100 : 0};
}

}  // namespace dao_jet
