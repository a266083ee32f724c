#ifndef JET_FILE_IO_H_
#define JET_FILE_IO_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace jet {

// A file on disk opened in binary mode for reads at given offsets (pread on
// POSIX; ReadFile with offsets and UTF-16 paths on Windows, shared so others
// may read, write, rename or delete it meanwhile). Never creates a file.
// Changes never go into a file in place: see ReplaceFileContents.
class RandomAccessFile {
 public:
  // nullptr when the file cannot be opened for reading. Paths are UTF-8.
  static std::unique_ptr<RandomAccessFile> Open(const std::string& path);

  ~RandomAccessFile();
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;

  // The size in bytes when it is a regular file, nullopt otherwise.
  std::optional<uint64_t> RegularFileSize() const;
  // Reads exactly `size` bytes at `offset`; false on an error or the end
  // of the file.
  bool ReadAt(uint64_t offset, uint8_t* data, size_t size);
  // Closes the file; false when closing reports an error.
  bool Close();

 private:
  explicit RandomAccessFile(intptr_t handle) : handle_(handle) {}
  intptr_t handle_;  // file descriptor or HANDLE; -1 once closed
};

// Whether a file may be replaced (renamed over) while this process holds
// it open. Windows refuses that as long as any handle to the file is open,
// even one shared for deletion.
#ifdef _WIN32
inline constexpr bool kOpenFilesCanBeReplaced = false;
#else
inline constexpr bool kOpenFilesCanBeReplaced = true;
#endif

// Whether the file at `path` may be read, or written, by this process.
bool CanRead(const std::string& path);
bool CanWrite(const std::string& path);

// The whole content of a regular file; nullopt when it cannot be opened or
// read, or is no regular file.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// How ReplaceFileContents ended.
enum class ReplaceResult {
  kDone,
  kNotWritable,   // the target exists but is read-only, immutable or no file
  kNoTempFile,    // no file could be created beside the target
  kWriteFailed,   // writing or flushing the temporary file failed (disk full)
  kRenameFailed,  // the temporary file could not take the target's place
};

// Makes `bytes` the content of the file at `path`, all or nothing: they are
// written to a temporary file with a unique name beside the target, flushed
// to the disk and renamed over the target (ReplaceFileW on Windows, which
// keeps the target's creation time and attributes), and the folder is
// flushed on POSIX. An existing target keeps its permission bits. After a
// failure or a crash at any moment the target holds either its old or its
// new content; after a failure no temporary file is left.
ReplaceResult ReplaceFileContents(const std::string& path,
                                  std::span<const uint8_t> bytes);

}  // namespace jet

#endif  // JET_FILE_IO_H_
