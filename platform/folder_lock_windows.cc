#include <cstdint>

#include "base/text.h"
#include "platform/folder_lock.h"
#include "platform/windows_api.h"

namespace platform {
namespace {

class MutexHeld : public FolderLock {
 public:
  explicit MutexHeld(HANDLE mutex) : mutex_(mutex) {}
  ~MutexHeld() override {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
};

// The folder's full path, upper-cased, as a mutex name (which may not hold
// a backslash): FNV-1a of the path keeps it short and unique enough.
std::wstring MutexName(const std::string& folder) {
  std::u16string given = base::Utf8ToUtf16(folder);
  std::wstring wide(given.begin(), given.end());
  wchar_t full[32768];
  DWORD n = GetFullPathNameW(wide.c_str(), 32768, full, nullptr);
  std::wstring path = n > 0 && n < 32768 ? std::wstring(full, n) : wide;
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) {
    path.pop_back();
  }
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  uint64_t hash = 1469598103934665603ULL;
  for (wchar_t c : path) {
    hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ULL;
  }
  std::wstring name = L"Corvane_Config-";
  for (int shift = 60; shift >= 0; shift -= 4) {
    name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  }
  return name;
}

}  // namespace

std::unique_ptr<FolderLock> LockFolder(const std::string& folder,
                                       int wait_seconds) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName(folder).c_str());
  if (!mutex) return std::make_unique<FolderLock>();
  DWORD waited =
      WaitForSingleObject(mutex, static_cast<DWORD>(wait_seconds) * 1000);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    return std::make_unique<MutexHeld>(mutex);
  }
  CloseHandle(mutex);
  return nullptr;
}

}  // namespace platform
