// File identity, the open-file cache's test for "still the same file": it
// changes with a rewrite of the same size and with a copy put in the file's
// place even when that copy's size and time match.
#include "dao/identity.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/test_support.h"

namespace dao_jet {
namespace {

namespace fs = std::filesystem;

class IdentityTest : public ::testing::Test {
 protected:
  void SetUp() override { Write(path_, "0123456789", std::ios::trunc); }

  static void Write(const std::string& path, const std::string& text,
                    std::ios::openmode mode) {
    std::ofstream(path, std::ios::binary | std::ios::out | mode) << text;
  }
  // Longer than the coarsest clock tick of a file system's times (Windows
  // takes them from a clock that may tick every 15.6 ms).
  static void Tick() {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }

  test_support::TempDir dir_;
  std::string path_ = dir_ / "a.mdb";
};

TEST_F(IdentityTest, ARewriteOfTheSameSizeChangesIt) {
  auto before = IdentityOf(path_);
  Tick();
  Write(path_, "abcdefghij", std::ios::in);  // in place, no truncation
  auto after = IdentityOf(path_);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->size, before->size);
  EXPECT_NE(after->mtime_ns, before->mtime_ns);
  EXPECT_NE(after, before);
}

TEST_F(IdentityTest, ACopyPutInItsPlaceIsAnotherFile) {
  std::string copy = dir_ / "b.mdb";
  fs::copy_file(path_, copy);
  fs::last_write_time(copy, fs::last_write_time(path_));
  auto before = IdentityOf(path_);
  fs::rename(copy, path_);
  auto after = IdentityOf(path_);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->size, before->size);
  EXPECT_EQ(after->device, before->device);
  EXPECT_NE(after->inode, before->inode);
}

}  // namespace
}  // namespace dao_jet
