#ifndef PLATFORM_DISK_FILES_H_
#define PLATFORM_DISK_FILES_H_

#include <optional>
#include <string>

#include "platform/found_file_cache.h"
#include "platform/host.h"

namespace platform::disk {

// File operations shared by the real host and the test host: on a POSIX
// file system (disk_files.cc) or through Win32 (windows_disk_files.cc).
// Failures throw base::RuntimeError with `source` as its source.

// The path naming an existing entry, each element matched without regard to
// case when the exact name is missing; elements that match nothing are kept
// as given.
std::string ResolvePath(const std::string& path);

bool IsOrdinaryFile(const std::string& path);
// Host::FindOrdinaryFile: what IsOrdinaryFile and then ResolvePath give,
// with one stat when the name exists as spelled, or none while `cache`
// holds the answer; on POSIX with the identity that stat saw.
std::optional<FoundFile> FindOrdinaryFile(const std::string& path,
                                          FoundFileCache& cache);

// Copies `from` over `to` through a temporary file beside `to` (written,
// synced, renamed), so `to` is never half-written. Keeps the source's mode
// and last-write time, as the Windows copy does.
void CopyFileReplacing(const std::string& from, const std::string& to,
                       const std::string& source);

// Appends `text` (UTF-8) in Windows-1252, followed by CR LF.
void AppendLine(const std::string& path, const std::string& text,
                const std::string& source);

FileTimes GetFileTimes(const std::string& path, const std::string& source);
// Sets last-access and last-write when present; a creation time cannot be
// set on Linux and is left alone.
void SetFileTimes(const std::string& path, const FileTimes& times,
                  const std::string& source);

// Whole-file access for the profile functions: absent when the file cannot
// be read; writing replaces the file atomically and returns false on failure.
std::optional<std::string> ReadWholeFile(const std::string& path);
bool ReplaceWholeFile(const std::string& path, const std::string& bytes);

}  // namespace platform::disk

#endif  // PLATFORM_DISK_FILES_H_
