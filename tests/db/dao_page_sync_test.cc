#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "db/dao_page_sync.h"
#include "tests/db/dao_fixture.h"

namespace dao_test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pages(std::initializer_list<uint8_t> fills) {
  Bytes out;
  for (uint8_t f : fills) out.insert(out.end(), 4096, f);
  return out;
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class PageSyncTest : public DaoTest {};

TEST_F(PageSyncTest, WritesChangedAndNewPagesOnly) {
  std::string path = TempPath("pages.bin");
  WriteAll(path, Pages({1, 2, 3}));
  dao_jet::PageSync sync(Pages({1, 2, 3}));
  // Someone else's change to page 0 shows that unchanged pages stay alone.
  Bytes outside = Pages({9, 2, 3});
  WriteAll(path, outside);
  sync.Write(path, Pages({1, 5, 3, 7}), std::nullopt);
  EXPECT_EQ(ReadAll(path), Pages({9, 5, 3, 7}));
  sync.Write(path, Pages({1, 5, 3, 7}), std::nullopt);
  EXPECT_EQ(ReadAll(path), Pages({9, 5, 3, 7}));
}

TEST_F(PageSyncTest, FollowsTheWritersListWhenThereIsOne) {
  std::string path = TempPath("pages.bin");
  WriteAll(path, Pages({1, 2, 3}));
  dao_jet::PageSync sync(Pages({1, 2, 3}));
  sync.Write(path, Pages({4, 5, 6}), std::vector<uint32_t>{2, 9});
  EXPECT_EQ(ReadAll(path), Pages({1, 2, 6}));
}

TEST_F(PageSyncTest, AfterAFailedWriteEveryPageIsWritten) {
  std::string path = TempPath("pages.bin");
  dao_jet::PageSync sync(Pages({1, 2}));
  EXPECT_EQ(ErrorOf([&] {
              sync.Write(TempPath("no/such/dir"), Pages({1, 3}), std::nullopt);
            }),
            57);
  WriteAll(path, Pages({0, 0}));
  sync.Write(path, Pages({1, 3}), std::vector<uint32_t>{});
  EXPECT_EQ(ReadAll(path), Pages({1, 3}));
}

struct TrackingStore {
  std::vector<uint32_t> TakeDirtyPages() { return {4, 1}; }
};
struct PlainStore {};

TEST(DirtyPagesTest, UsesTheStoresListWhenItHasOne) {
  TrackingStore tracking;
  PlainStore plain;
  EXPECT_EQ(dao_jet::DirtyPages(tracking), (std::vector<uint32_t>{4, 1}));
  EXPECT_EQ(dao_jet::DirtyPages(plain), std::nullopt);
}

}  // namespace
}  // namespace dao_test
