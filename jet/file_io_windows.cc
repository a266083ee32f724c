// The file layer on Windows: a HANDLE from CreateFileW (always binary),
// read and written with ReadFile/WriteFile at offsets given in OVERLAPPED;
// whole files replaced through a flushed temporary file and ReplaceFileW.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "base/text.h"
#include "jet/file_io.h"

namespace jet {
namespace {

constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr size_t kMaxChunk = size_t{1} << 30;

std::wstring Wide(const std::string& utf8) {
  std::u16string s = base::Utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

}  // namespace

std::unique_ptr<RandomAccessFile> RandomAccessFile::Open(
    const std::string& path) {
  // A folder opens too (backup semantics), so that it is told apart from a
  // missing file: RegularFileSize rejects it.
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::unique_ptr<RandomAccessFile>(
      new RandomAccessFile(reinterpret_cast<intptr_t>(h)));
}

RandomAccessFile::~RandomAccessFile() { Close(); }

std::optional<uint64_t> RandomAccessFile::RegularFileSize() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (handle_ == -1 || GetFileType(Handle(handle_)) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(Handle(handle_), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
}

bool RandomAccessFile::ReadAt(uint64_t offset, uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    OVERLAPPED o = At(offset + done);
    DWORD chunk = static_cast<DWORD>(std::min(size - done, kMaxChunk));
    DWORD got = 0;
    if (!ReadFile(Handle(handle_), data + done, chunk, &got, &o) || got == 0) {
      return false;
    }
    done += got;
  }
  return true;
}

bool RandomAccessFile::Close() {
  if (handle_ == -1) return true;
  HANDLE h = Handle(handle_);
  handle_ = -1;
  return CloseHandle(h) != 0;
}

bool CanRead(const std::string& path) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool CanWrite(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

namespace {

// Creates a new file beside `target` under a name no other writer uses.
HANDLE CreateTempBeside(const std::wstring& target, std::wstring* name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    *name = target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++) + L"-" +
            std::to_wstring(GetTickCount64() % 100000);
    HANDLE h = CreateFileW(name->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
      return h;
    }
  }
  return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE h, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - done, kMaxChunk));
    DWORD put = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &put, nullptr) || put == 0) {
      return false;
    }
    done += put;
  }
  return true;
}

}  // namespace

ReplaceResult ReplaceFileContents(const std::string& path,
                                  std::span<const uint8_t> bytes) {
  const std::wstring target = Wide(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes &
                 (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return ReplaceResult::kNotWritable;
  }
  std::wstring tmp;
  HANDLE h = CreateTempBeside(target, &tmp);
  if (h == INVALID_HANDLE_VALUE) return ReplaceResult::kNoTempFile;
  bool ok = WriteAll(h, bytes) && FlushFileBuffers(h) != 0;
  ok = CloseHandle(h) != 0 && ok;
  if (!ok) {
    DeleteFileW(tmp.c_str());
    return ReplaceResult::kWriteFailed;
  }
  // ReplaceFileW keeps the target's creation time, attributes and security;
  // a target that does not exist yet simply takes the temporary's place.
  const BOOL moved =
      exists ? ReplaceFileW(target.c_str(), tmp.c_str(), nullptr,
                            REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)
             : MoveFileExW(tmp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!moved) {
    DeleteFileW(tmp.c_str());
    return ReplaceResult::kRenameFailed;
  }
  return ReplaceResult::kDone;
}

}  // namespace jet
