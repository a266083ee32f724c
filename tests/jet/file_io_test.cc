// The file layer under the page reader and the in-place page writer: bytes
// go through unchanged (no text-mode translation), offsets are honoured,
// files are never created or truncated, and an open file may still be
// replaced or deleted by others.
#include "jet/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace jet {
namespace {

namespace fs = std::filesystem;
using Mode = RandomAccessFile::Mode;

// CR, LF, Ctrl-Z and NUL are what a text-mode file would alter.
const std::vector<uint8_t> kAwkward = {'\r', '\n', 0x1a, 0x00, '\n',
                                       '\r', 0xff, '\n', '\n', 0x1a};

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() /
        ("file_io_" +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directory(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string Path(const std::string& name) const {
    return (dir_ / name).string();
  }
  std::string Make(const std::string& name, const std::vector<uint8_t>& b) {
    std::string path = Path(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()),
               static_cast<std::streamsize>(b.size()));
    return path;
  }
  static std::vector<uint8_t> Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

TEST_F(FileIoTest, ReadsBytesUnchangedAtOffsets) {
  std::vector<uint8_t> bytes(8192, 'x');
  std::copy(kAwkward.begin(), kAwkward.end(), bytes.begin() + 4090);
  std::string path = Make("a.bin", bytes);
  auto file = RandomAccessFile::Open(path, Mode::kRead);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->RegularFileSize(), 8192u);
  std::vector<uint8_t> got(kAwkward.size());
  ASSERT_TRUE(file->ReadAt(4090, got.data(), got.size()));
  EXPECT_EQ(got, kAwkward);
  std::vector<uint8_t> all(8192);
  ASSERT_TRUE(file->ReadAt(0, all.data(), all.size()));
  EXPECT_EQ(all, bytes);
}

TEST_F(FileIoTest, ReadingPastTheEndFails) {
  std::string path = Make("short.bin", std::vector<uint8_t>(100, 1));
  auto file = RandomAccessFile::Open(path, Mode::kRead);
  ASSERT_TRUE(file);
  std::vector<uint8_t> got(50);
  EXPECT_TRUE(file->ReadAt(50, got.data(), 50));
  EXPECT_FALSE(file->ReadAt(51, got.data(), 50));
  EXPECT_FALSE(file->ReadAt(4096, got.data(), 1));
}

TEST_F(FileIoTest, WritesInPlaceWithoutTruncatingOrTranslating) {
  std::string path = Make("w.bin", std::vector<uint8_t>(300, 'a'));
  auto file = RandomAccessFile::Open(path, Mode::kWrite);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->WriteAt(100, kAwkward.data(), kAwkward.size()));
  EXPECT_TRUE(file->Close());
  EXPECT_TRUE(file->Close());  // a second Close does nothing
  std::vector<uint8_t> expected(300, 'a');
  std::copy(kAwkward.begin(), kAwkward.end(), expected.begin() + 100);
  EXPECT_EQ(Contents(path), expected);
}

TEST_F(FileIoTest, WritingBeyondTheEndGrowsTheFile) {
  std::string path = Make("grow.bin", std::vector<uint8_t>(10, 'a'));
  auto file = RandomAccessFile::Open(path, Mode::kWrite);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->WriteAt(20, kAwkward.data(), kAwkward.size()));
  file.reset();
  std::vector<uint8_t> got = Contents(path);
  ASSERT_EQ(got.size(), 30u);
  EXPECT_EQ(std::vector<uint8_t>(got.begin() + 20, got.end()), kAwkward);
}

TEST_F(FileIoTest, NeverCreatesAFile) {
  EXPECT_FALSE(RandomAccessFile::Open(Path("none.bin"), Mode::kRead));
  EXPECT_FALSE(RandomAccessFile::Open(Path("none.bin"), Mode::kWrite));
  EXPECT_FALSE(fs::exists(Path("none.bin")));
}

TEST_F(FileIoTest, AFolderIsNoRegularFile) {
  fs::create_directory(Path("sub"));
  auto file = RandomAccessFile::Open(Path("sub"), Mode::kRead);
  EXPECT_TRUE(!file || !file->RegularFileSize());
}

TEST_F(FileIoTest, AnOpenFileMayBeMovedAndDeleted) {
  std::string path = Make("open.bin", std::vector<uint8_t>(64, 'o'));
  std::string moved = Path("moved.bin");
  auto reader = RandomAccessFile::Open(path, Mode::kRead);
  auto writer = RandomAccessFile::Open(path, Mode::kWrite);
  ASSERT_TRUE(reader);
  ASSERT_TRUE(writer);
  std::error_code ec;
  fs::rename(path, moved, ec);
  EXPECT_FALSE(ec) << ec.message();
  fs::remove(moved, ec);
  EXPECT_FALSE(ec) << ec.message();
  reader.reset();  // on Windows the name goes with the last handle
  writer.reset();
  EXPECT_FALSE(fs::exists(moved));
}

TEST_F(FileIoTest, ReplacingAnOpenFileIsPossibleWhereDeclared) {
  std::string path = Make("open.bin", std::vector<uint8_t>(64, 'o'));
  std::string other = Make("other.bin", std::vector<uint8_t>(32, 'n'));
  auto file = RandomAccessFile::Open(path, Mode::kRead);
  ASSERT_TRUE(file);
  std::error_code ec;
  fs::rename(other, path, ec);
  EXPECT_EQ(!ec, kOpenFilesCanBeReplaced) << ec.message();
  file.reset();
  fs::rename(other, path, ec);  // once closed, everywhere
  EXPECT_EQ(Contents(path), std::vector<uint8_t>(32, 'n'));
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

}  // namespace
}  // namespace jet
