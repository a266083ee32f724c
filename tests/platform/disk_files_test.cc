#include "platform/disk_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "base/runtime_error.h"
#include "platform/fake_host.h"
#include "tests/support/test_support.h"

namespace platform {
namespace {

using test_support::ErrorOf;
using test_support::FileText;

class DiskFilesTest : public testing::Test {
 protected:
  std::string Path(const std::string& relative) {
    return host_.temp_dir() + "/" + relative;
  }
  FakeHost host_;
};

TEST_F(DiskFilesTest, ResolvesEachElementWithoutRegardToCase) {
  std::filesystem::create_directories(Path("Plant/Parameter"));
  FakeHost::WriteBytes(Path("Plant/Parameter/Program.ini"), "x");
  EXPECT_EQ(host_.ResolvePath(Path("PLANT/parameter/program.INI")),
            Path("Plant/Parameter/Program.ini"));
  // A new file keeps its name; the directories above it are still matched.
  EXPECT_EQ(host_.ResolvePath(Path("plant/PARAMETER/New.txt")),
            Path("Plant/Parameter/New.txt"));
  EXPECT_EQ(host_.ResolvePath(Path("nothing/Here")), Path("nothing/Here"));
  EXPECT_TRUE(host_.IsOrdinaryFile(Path("plant/parameter/PROGRAM.ini")));
  EXPECT_FALSE(host_.IsOrdinaryFile(Path("Plant")));
  EXPECT_FALSE(host_.IsOrdinaryFile(""));
  EXPECT_FALSE(host_.IsOrdinaryFile(Path("missing")));
}

// The one-stat answer must be what the existence test followed by the
// resolution gives (the Host default), for every kind of name.
TEST_F(DiskFilesTest, FindOrdinaryFileAnswersAsTestThenResolve) {
  std::filesystem::create_directories(Path("Plant/Parameter"));
  FakeHost::WriteBytes(Path("Plant/Parameter/Program.ini"), "x");
  std::filesystem::create_symlink(Path("Plant/Parameter/Program.ini"),
                                  Path("Plant/link.ini"));
  std::filesystem::create_symlink(Path("Plant/gone.ini"), Path("Plant/dead"));
  for (const std::string& path :
       {Path("Plant/Parameter/Program.ini"),
        Path("PLANT/parameter/program.INI"), Path("plant/LINK.ini"),
        Path("Plant/link.ini"), Path("Plant/dead"), Path("Plant"),
        Path("plant/Missing.ini"), std::string()}) {
    auto path_of = [](const std::optional<FoundFile>& file) {
      return file ? std::optional<std::string>(file->path) : std::nullopt;
    };
    EXPECT_EQ(path_of(host_.FindOrdinaryFile(path)),
              path_of(host_.Host::FindOrdinaryFile(path)))
        << path;
  }
  auto found = host_.FindOrdinaryFile(Path("PLANT/parameter/program.INI"));
  ASSERT_TRUE(found && found->identity);
  EXPECT_EQ(found->path, Path("Plant/Parameter/Program.ini"));
  EXPECT_EQ(found->identity->size, 1);
}

// A file asked for row after row is answered from memory while nothing
// touches it; after any change to it or to a folder on its path the answer
// must be what a fresh look gives.
TEST_F(DiskFilesTest, FindOrdinaryFileNeverServesAStaleAnswer) {
  namespace fs = std::filesystem;
  auto write = [](const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  };
  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"appended",
       [&] { std::ofstream(Path("Plant/C/db.mdb"), std::ios::app) << "y"; }},
      {"chmod",
       [&] { fs::permissions(Path("Plant/C/db.mdb"), fs::perms::owner_read); }},
      {"renamed over",
       [&] {
         write(Path("Plant/C/new.mdb"), "x");
         fs::rename(Path("Plant/C/new.mdb"), Path("Plant/C/db.mdb"));
       }},
      {"deleted", [&] { fs::remove(Path("Plant/C/db.mdb")); }},
      {"folder moved", [&] { fs::rename(Path("Plant/C"), Path("Plant/Old")); }},
      {"folder replaced",
       [&] {
         fs::rename(Path("Plant"), Path("Gone"));
         fs::create_directories(Path("Plant/C"));
         write(Path("Plant/C/db.mdb"), "x");
       }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    fs::remove_all(Path("Plant"));
    fs::remove_all(Path("Gone"));
    fs::create_directories(Path("Plant/C"));
    write(Path("Plant/C/db.mdb"), "x");
    const std::string path = Path("Plant/C/db.mdb");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(host_.FindOrdinaryFile(path));
    change();
    for (int i = 0; i < 2; ++i) {
      disk::FoundFileCache fresh_cache;
      std::optional<FoundFile> fresh =
          disk::FindOrdinaryFile(path, fresh_cache);
      std::optional<FoundFile> answer = host_.FindOrdinaryFile(path);
      ASSERT_EQ(answer.has_value(), fresh.has_value());
      if (fresh) {
        EXPECT_EQ(answer->path, fresh->path);
        EXPECT_EQ(answer->identity, fresh->identity);
      }
    }
  }
}

TEST_F(DiskFilesTest, AppendLineWritesWindows1252WithCrLfOrFails) {
  host_.AppendLine(Path("log.txt"), "Fehler \xC3\xA4");  // "ä" in UTF-8
  host_.AppendLine(Path("LOG.TXT"), "second");
  EXPECT_EQ(FileText(Path("log.txt")), "Fehler \xE4\r\nsecond\r\n");
  std::filesystem::create_directories(Path("adir"));
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0644), 0);
  for (const auto& [path, number] :
       {std::pair{std::string(), base::err::kPathFileAccessError},
        {Path("adir"), base::err::kPathFileAccessError},
        {Path("fifo"), base::err::kPathFileAccessError},  // no reader: no wait
        {Path("no/such/dir/log.txt"), base::err::kPathNotFound}}) {
    const std::string& target = path;  // lambdas may not capture a binding
    EXPECT_EQ(ErrorOf([&] { host_.AppendLine(target, "x"); }), number) << path;
  }
}

TEST_F(DiskFilesTest, CopyReplacesContentAndKeepsWriteTime) {
  FakeHost::WriteBytes(Path("from.mdb"), "new content");
  FakeHost::WriteBytes(Path("to.mdb"), "old content that is longer");
  FileTimes times;
  times.last_write = 132000000000000000ULL;
  times.last_access = 132000000010000000ULL;
  host_.SetFileTimes(Path("from.mdb"), times);
  host_.CopyFileReplacing(Path("FROM.mdb"), Path("To.MDB"));
  EXPECT_EQ(FakeHost::ReadTextFile(Path("to.mdb")), "new content");
  EXPECT_EQ(host_.GetFileTimes(Path("to.mdb")).last_write, times.last_write);
  // No temporary file is left beside the destination.
  EXPECT_EQ(std::count_if(std::filesystem::directory_iterator(host_.temp_dir()),
                          {}, [](auto& e) { return e.is_regular_file(); }),
            2);
  // A missing source fails and keeps the destination.
  EXPECT_EQ(ErrorOf([&] {
              host_.CopyFileReplacing(Path("missing.mdb"), Path("to.mdb"));
            }),
            base::err::kFileNotFound);
  EXPECT_EQ(FakeHost::ReadTextFile(Path("to.mdb")), "new content");
}

TEST_F(DiskFilesTest, FileTimesRoundTripAndMissingFileFails) {
  FakeHost::WriteBytes(Path("t.mdb"), "x");
  FileTimes times;
  times.last_write = 130000000000000000ULL;  // 2012-12-18
  times.last_write_sub_tick_ns = 37;         // kept to the nanosecond
  times.last_access = 130000000050000000ULL;
  times.creation = 120000000000000000ULL;  // cannot be set: ignored
  host_.SetFileTimes(Path("t.mdb"), times);
  FileTimes read = host_.GetFileTimes(Path("T.MDB"));
  EXPECT_EQ(read.last_write, times.last_write);
  EXPECT_EQ(read.last_write_sub_tick_ns, 37u);
  EXPECT_EQ(read.last_access, times.last_access);
  EXPECT_THROW(host_.GetFileTimes(Path("none")), base::RuntimeError);
  EXPECT_THROW(host_.SetFileTimes(Path("none"), times), base::RuntimeError);
}

TEST_F(DiskFilesTest, ProfileWriteCreatesFileAndKeepsMode) {
  std::string ini = Path("Corvane.cfg");
  EXPECT_TRUE(host_.WritePrivateProfileString("Info", "S_Prog", "1.0.1", ini));
  EXPECT_EQ(FakeHost::ReadTextFile(ini), "[Info]\r\nS_Prog=1.0.1\r\n");
  chmod(ini.c_str(), 0600);
  EXPECT_TRUE(host_.WritePrivateProfileString("info", "s_prog", "2", ini));
  struct stat st;
  ASSERT_EQ(stat(ini.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::string out;
  EXPECT_EQ(host_.GetPrivateProfileString("INFO", "S_PROG", "", 255, out,
                                          Path("CORVANE.CFG")),
            1u);
  EXPECT_EQ(out, "2");
  // A missing directory is a failed write, not an error.
  EXPECT_FALSE(
      host_.WritePrivateProfileString("A", "k", "v", Path("none/x.ini")));
}

// A FIFO or a folder in an INI file's place reads as a missing file (a FIFO
// must not block the run) and is not written.
TEST_F(DiskFilesTest, ProfileFileThatIsNoOrdinaryFileCountsAsMissing) {
  ASSERT_EQ(mkfifo(Path("fifo.ini").c_str(), 0644), 0);
  std::filesystem::create_directories(Path("dir.ini"));
  for (const std::string& ini : {Path("fifo.ini"), Path("dir.ini")}) {
    std::string out;
    EXPECT_EQ(host_.GetPrivateProfileString("A", "k", "none", 255, out, ini),
              4u);
    EXPECT_EQ(out, "none");
    EXPECT_EQ(host_.GetPrivateProfileInt("A", "k", -1, ini), 0xFFFFFFFFu);
    EXPECT_FALSE(host_.WritePrivateProfileString("A", "k", "v", ini));
  }
  EXPECT_FALSE(host_.IsOrdinaryFile(Path("fifo.ini")));
}

TEST_F(DiskFilesTest, ProfileTextIsWindows1252OnDisk) {
  std::string ini = Path("lang.ini");
  const std::string text = "Gr\xC3\xBC\xC3\x9F!";  // "Grüß!" in UTF-8
  EXPECT_TRUE(host_.WritePrivateProfileString("Deutsch", "Titel", text, ini));
  EXPECT_EQ(FileText(ini), "[Deutsch]\r\nTitel=Gr\xFC\xDF!\r\n");
  std::string out;
  host_.GetPrivateProfileString("deutsch", "titel", "", 255, out, ini);
  EXPECT_EQ(out, text);
}

TEST_F(DiskFilesTest, ProfileWriteThroughSymlinkKeepsTheLink) {
  FakeHost::WriteBytes(Path("real.ini"), "[A]\r\nk=1\r\n");
  std::filesystem::create_symlink(Path("real.ini"), Path("link.ini"));
  EXPECT_TRUE(host_.WritePrivateProfileString("A", "k", "2", Path("link.ini")));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.ini")));
  EXPECT_EQ(FakeHost::ReadTextFile(Path("real.ini")), "[A]\r\nk=2\r\n");
}

}  // namespace
}  // namespace platform
