// Whole-file replacement under DatabaseWriter::Save: the new content lands
// all at once, the target keeps its permission bits, a read-only target or
// a missing folder is refused with the file left alone, and no temporary
// file stays behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/runtime_error.h"
#include "jet/database_write.h"
#include "jet/file_io.h"
#include "jet/format.h"

namespace jet {
namespace {

namespace fs = std::filesystem;

class FileReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("file_replace_") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    path_ = (dir_ / "db.mdb").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  size_t FilesInDir() const {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  static int SaveError(DatabaseWriter& w, const std::string& path) {
    try {
      w.Save(path);
    } catch (const base::RuntimeError& e) {
      return e.number();
    }
    return 0;
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(FileReplaceTest, ReplacesContentAndKeepsPermissionBits) {
  const std::vector<uint8_t> first(10000, 'a'), second(5000, 'b');
  ASSERT_EQ(ReplaceFileContents(path_, first), ReplaceResult::kDone);
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write |
                             fs::perms::group_read);
  ASSERT_EQ(ReplaceFileContents(path_, second), ReplaceResult::kDone);
  EXPECT_EQ(ReadWholeFile(path_), second);
#ifndef _WIN32  // Windows keeps attributes, not permission bits
  EXPECT_EQ(fs::status(path_).permissions(), fs::perms::owner_read |
                                                 fs::perms::owner_write |
                                                 fs::perms::group_read);
#endif
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(FileReplaceTest, RefusesReadOnlyTargetAndMissingFolder) {
  auto w = DatabaseWriter::CreateNew();
  w->Save(path_);
  const auto before = ReadWholeFile(path_);
  w->CreateTable("T", {{"a", format::kTypeLong, 4}});
  fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(SaveError(*w, path_), base::err::kPathFileAccessError);
  EXPECT_EQ(ReadWholeFile(path_), before);
  EXPECT_EQ(SaveError(*w, (dir_ / "missing" / "db.mdb").string()),
            base::err::kPathFileAccessError);
  EXPECT_EQ(FilesInDir(), 1u);
  // The writer stays usable after a refused save.
  fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add);
  w->Save(path_);
  EXPECT_EQ(DatabaseWriter::Open(path_)->FindTable("T"), w->FindTable("T"));
}

}  // namespace
}  // namespace jet
