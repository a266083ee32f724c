// The file layer: bytes go through unchanged (no text-mode translation),
// offsets are honoured, files are never created or truncated, an open file
// may still be replaced or deleted by others, and a whole-file replacement
// (DatabaseWriter::Save) lands at once, keeps the permission bits, refuses a
// read-only target or a missing folder and leaves no temporary file.
#include "jet/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

namespace fs = std::filesystem;

// CR, LF, Ctrl-Z and NUL are what a text-mode file would alter.
const std::vector<uint8_t> kAwkward = {'\r', '\n', 0x1a, 0x00, '\n',
                                       '\r', 0xff, '\n', '\n', 0x1a};

class FileIoTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_ / name; }
  std::string Make(const std::string& name, const std::vector<uint8_t>& b) {
    std::string path = Path(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()),
               static_cast<std::streamsize>(b.size()));
    return path;
  }

  test_support::TempDir dir_;
};

TEST_F(FileIoTest, ReadsBytesUnchangedAtOffsets) {
  std::vector<uint8_t> bytes(8192, 'x');
  std::copy(kAwkward.begin(), kAwkward.end(), bytes.begin() + 4090);
  std::string path = Make("a.bin", bytes);
  auto file = RandomAccessFile::Open(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->RegularFileSize(), 8192u);
  std::vector<uint8_t> got(kAwkward.size());
  ASSERT_TRUE(file->ReadAt(4090, got.data(), got.size()));
  EXPECT_EQ(got, kAwkward);
  std::vector<uint8_t> all(8192);
  ASSERT_TRUE(file->ReadAt(0, all.data(), all.size()));
  EXPECT_EQ(all, bytes);
  // Reading past the end fails.
  EXPECT_TRUE(file->ReadAt(8192 - 50, all.data(), 50));
  EXPECT_FALSE(file->ReadAt(8192 - 49, all.data(), 50));
  EXPECT_FALSE(file->ReadAt(12288, all.data(), 1));
}

TEST_F(FileIoTest, NeverCreatesAFileNorOpensAFolder) {
  EXPECT_FALSE(RandomAccessFile::Open(Path("none.bin")));
  EXPECT_FALSE(fs::exists(Path("none.bin")));
  fs::create_directory(Path("sub"));
  auto file = RandomAccessFile::Open(Path("sub"));
  EXPECT_TRUE(!file || !file->RegularFileSize());
}

TEST_F(FileIoTest, AnOpenFileMayBeMovedAndDeleted) {
  std::string path = Make("open.bin", std::vector<uint8_t>(64, 'o'));
  std::string moved = Path("moved.bin");
  auto reader = RandomAccessFile::Open(path);
  ASSERT_TRUE(reader);
  std::error_code ec;
  fs::rename(path, moved, ec);
  EXPECT_FALSE(ec) << ec.message();
  fs::remove(moved, ec);
  EXPECT_FALSE(ec) << ec.message();
  reader.reset();  // on Windows the name goes with the last handle
  EXPECT_FALSE(fs::exists(moved));
}

TEST_F(FileIoTest, ReplacingAnOpenFileIsPossibleWhereDeclared) {
  std::string path = Make("open.bin", std::vector<uint8_t>(64, 'o'));
  std::string other = Make("other.bin", std::vector<uint8_t>(32, 'n'));
  auto file = RandomAccessFile::Open(path);
  ASSERT_TRUE(file);
  std::error_code ec;
  fs::rename(other, path, ec);
  EXPECT_EQ(!ec, kOpenFilesCanBeReplaced) << ec.message();
  file.reset();
  fs::rename(other, path, ec);  // once closed, everywhere
  EXPECT_EQ(test_support::ReadBytes(path), std::vector<uint8_t>(32, 'n'));
}

TEST_F(FileIoTest, AccessChecks) {
  std::string path = Make("r.bin", {1, 2, 3});
  EXPECT_TRUE(CanRead(path));
  EXPECT_TRUE(CanWrite(path));
  EXPECT_FALSE(CanRead(Path("none.bin")));
  EXPECT_FALSE(CanWrite(Path("none.bin")));
#ifdef _WIN32
  // (On POSIX the superuser may write anything, so only here.)
  fs::permissions(
      path,
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
      fs::perm_options::remove);
  EXPECT_TRUE(CanRead(path));
  EXPECT_FALSE(CanWrite(path));
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
#endif
}

TEST_F(FileIoTest, ReplacesContentAndKeepsPermissionBits) {
  const std::string path = Path("db.mdb");
  const std::vector<uint8_t> first(10000, 'a'), second(5000, 'b');
  ASSERT_EQ(ReplaceFileContents(path, first), ReplaceResult::kDone);
  const auto perms =
      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(path, perms);
  ASSERT_EQ(ReplaceFileContents(path, second), ReplaceResult::kDone);
  EXPECT_EQ(ReadWholeFile(path), second);
#ifndef _WIN32  // Windows keeps attributes, not permission bits
  EXPECT_EQ(fs::status(path).permissions(), perms);
#endif
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), {}), 1);
}

TEST_F(FileIoTest, SaveRefusesReadOnlyTargetAndMissingFolder) {
  const std::string path = Path("db.mdb");
  auto w = DatabaseWriter::CreateNew();
  w->Save(path);
  const auto before = ReadWholeFile(path);
  w->CreateTable("T", {{"a", format::kTypeLong, 4}});
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
  using test_support::ErrorOf;
  EXPECT_EQ(ErrorOf([&] { w->Save(path); }), base::err::kPathFileAccessError);
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_EQ(ErrorOf([&] { w->Save(Path("missing/db.mdb")); }),
            base::err::kPathFileAccessError);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), {}), 1);
  // The writer stays usable after a refused save.
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  w->Save(path);
  EXPECT_EQ(DatabaseWriter::Open(path)->FindTable("T"), w->FindTable("T"));
}

}  // namespace
}  // namespace jet
