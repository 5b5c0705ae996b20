#include "platform/file_system.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/test_support.h"

namespace sb {
namespace {

using test::read_bytes;
using test::temp_folder;
using test::write_bytes;

std::function<void(byte_sink&)> text(const char* s) {
  return [s](byte_sink& out) { out.append(s); };
}

// The platform's read-only mark: no write bits, or the read-only attribute.
bool set_read_only(const std::string& path, bool read_only) {
#ifdef _WIN32
  return ::SetFileAttributesA(path.c_str(), read_only ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != 0;
#else
  return ::chmod(path.c_str(), read_only ? 0444 : 0644) == 0;
#endif
}

TEST(DiskFileSystem, ReplacesALongerFileWholeAndLeavesNoTemporary) {
  temp_folder dir;
  const std::string path = dir.file("a.txt");
  write_bytes(path, std::string(1000, 'x'));
  disk_file_system fs;
  ASSERT_TRUE(fs.write_file(path, "new"));
  EXPECT_EQ(read_bytes(path), "new");
  EXPECT_EQ(test::list_folder(dir.path()), std::vector<std::string>{"a.txt"});
}

TEST(DiskFileSystem, FailuresNameThePathAndKeepWhatWasThere) {
  temp_folder dir;
  disk_file_system fs;
  // A missing folder is not created.
  const io_result missing = fs.write_file(dir.file("no/such/x.txt"), "data");
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(missing.message, dir.file("no/such/x.txt") + ": No such file or directory");
  // A file standing where the folder should be.
  write_bytes(dir.file("plain"), "keep");
  EXPECT_FALSE(fs.write_file(dir.file("plain/x.txt"), "data").ok());
  EXPECT_EQ(read_bytes(dir.file("plain")), "keep");
  EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"plain"}));
}

// Only regular files are ever replaced, and never a read-only one: a
// device, a link to one, a folder or a protected file stays as it was.
TEST(DiskFileSystem, WritesOnlyOverRegularFilesThatMayBeWritten) {
  temp_folder dir;
  disk_file_system fs;
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("folder")));
  write_bytes(dir.file("locked"), "keep");
  ASSERT_TRUE(set_read_only(dir.file("locked"), true));
#ifdef _WIN32
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {dir.file("folder"), "not a regular file"},
      {dir.file("locked"), "read-only file"},
  };
  for (const auto& c : cases) EXPECT_EQ(fs.write_file(c.path, "data").message, c.path + ": " + c.reason);
  EXPECT_EQ(read_bytes(dir.file("locked")), "keep");
  EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"folder", "locked"}));
  ASSERT_TRUE(set_read_only(dir.file("locked"), false));
#else
  ASSERT_EQ(::symlink("/dev/null", dir.file("to-null").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {"/dev/null", "not a regular file"},          {dir.file("to-null"), "not a regular file"},
      {dir.file("folder"), "not a regular file"},   {dir.file("fifo"), "not a regular file"},
      {dir.file("locked"), "read-only file"},
  };
  for (const auto& c : cases) {
    const io_result r = fs.write_file(c.path, "data");
    EXPECT_EQ(r.message, c.path + ": " + c.reason);
  }
  struct stat st;
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  ASSERT_EQ(::lstat(dir.file("to-null").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(read_bytes(dir.file("locked")), "keep");
  EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"fifo", "folder", "locked", "to-null"}));
#endif
}

// A failure on any file of a set, before the renames, leaves every old file
// as it was and no temporary, whatever the files must survive: what is not
// synced is still written whole before it replaces anything.
TEST(DiskFileSystem, ASetIsReplacedWholeOrNotAtAll) {
  const struct {
    durability keep;
    const char* blocked;
  } cases[] = {{durability::durable, "b"},   {durability::durable, "c"}, {durability::with_next_set, "c"},
               {durability::transient, "b"}, {durability::transient, "c"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.blocked) + ", durability " + std::to_string(static_cast<int>(c.keep)));
    temp_folder dir;
    for (const char* name : {"a", "b", "c"}) write_bytes(dir.file(name), std::string("old ") + name);
    ASSERT_TRUE(set_read_only(dir.file(c.blocked), true));
    disk_file_system fs;
    const file_to_write set[] = {{dir.file("a"), text("new a"), c.keep},
                                 {dir.file("b"), text("new b"), c.keep},
                                 {dir.file("c"), text("new c"), c.keep}};
    const io_result r = fs.write_files(set);
    EXPECT_EQ(r.message, dir.file(c.blocked) + ": read-only file");
    for (const char* name : {"a", "b", "c"}) EXPECT_EQ(read_bytes(dir.file(name)), std::string("old ") + name);
    EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"a", "b", "c"}));

    ASSERT_TRUE(set_read_only(dir.file(c.blocked), false));
    ASSERT_TRUE(fs.write_files(set));
    for (const char* name : {"a", "b", "c"}) EXPECT_EQ(read_bytes(dir.file(name)), std::string("new ") + name);
    EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"a", "b", "c"}));
  }
}

// Temporaries carry a fixed prefix and a fixed length, so that the longest
// legal name still works and a later run finds what a killed one left.
TEST(DiskFileSystem, TemporariesAreShortAndLeftoversOfTheSameTargetGo) {
  temp_folder dir;
  disk_file_system fs;
  const std::string longest(255, 'n');
  ASSERT_TRUE(fs.write_file(dir.file(longest), "long"));
  EXPECT_EQ(read_bytes(dir.file(longest)), "long");
  EXPECT_EQ(temporary_stem(longest).size(), temporary_prefix.size() + 16);

  const std::string mine = temporary_stem("a.dat") + "-killed", other = temporary_stem("b.dat") + "-alive";
  write_bytes(dir.file(mine), "left by a killed run");
  write_bytes(dir.file(other), "another target's");
  ASSERT_TRUE(fs.write_file(dir.file("a.dat"), "new"));
  EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{other, "a.dat", longest}));
}

TEST(DiskFileSystem, ReadsOnlyRegularFilesWithinTheLimit) {
  temp_folder dir;
  disk_file_system fs;
  write_bytes(dir.file("eleven"), "eleven byte");
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
  const std::string too_long = dir.file(std::string(300, 'x'));
#endif
  const struct {
    std::string path;
    std::string message;  // empty: read
    bool not_found;
  } cases[] = {
      {dir.file("eleven"), "", false},
      {dir.file("none"), dir.file("none") + ": No such file or directory", true},
      {dir.path(), dir.path() + ": not a regular file", false},
#ifndef _WIN32
      {dir.file("fifo"), dir.file("fifo") + ": not a regular file", false},
      {"/dev/zero", "/dev/zero: not a regular file", false},
      {too_long, too_long + ": File name too long", false},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.substr(0, 80));
    std::string bytes = "stale";
    const auto start = std::chrono::steady_clock::now();
    const io_result r = fs.read_file(c.path, bytes, 11);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.not_found(), c.not_found);
    EXPECT_EQ(bytes, c.message.empty() ? "eleven byte" : "");
  }
  std::string bytes;
  EXPECT_EQ(fs.read_file(dir.file("eleven"), bytes, 10).message,
            dir.file("eleven") + ": 11 bytes, more than the 10 bytes such a file may have");
  EXPECT_TRUE(fs.remove_file(dir.file("none")).not_found());
}

// The second holder waits until the first lets go; the lock leaves nothing
// in the folder.
TEST(DiskFileSystem, ALockedFolderMakesTheNextRunWait) {
  temp_folder dir;
  disk_file_system fs;
  locked_folder first = fs.lock_folder(dir.path());
  ASSERT_TRUE(first.result);
  std::atomic<bool> second_holds{false};
  std::thread second([&] {
    const locked_folder l = fs.lock_folder(dir.path());
    second_holds = l.result.ok();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(second_holds);
  first.lock.reset();
  second.join();
  EXPECT_TRUE(second_holds);
  EXPECT_TRUE(test::list_folder(dir.path()).empty());
  EXPECT_EQ(fs.lock_folder(dir.file("none")).result.message, dir.file("none") + ": No such file or directory");
}

TEST(JoinPath, UsesThePlatformSeparator) {
  // folder, the joined path, and the folder taken back from it
  const struct {
    const char* folder;
    const char* joined;
    const char* folder_again;
  } cases[] = {
#ifdef _WIN32
      {"C:\\a\\b", "C:\\a\\b\\c.txt", "C:\\a\\b"},
      {"C:\\a\\b\\", "C:\\a\\b\\c.txt", "C:\\a\\b"},
      {"C:\\", "C:\\c.txt", "C:\\"},
      // Forward slashes, as --dir may be given, are kept.
      {"C:/a/b", "C:/a/b\\c.txt", "C:/a/b"},
      {"C:/a/b/", "C:/a/b/c.txt", "C:/a/b"},
#else
      {"/a/b", "/a/b/c.txt", "/a/b"},
      {"/a/b/", "/a/b/c.txt", "/a/b"},
      {"/", "/c.txt", "/"},
#endif
      {"", "c.txt", "."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(join_path(c.folder, "c.txt"), c.joined) << c.folder;
    EXPECT_EQ(folder_of_path(c.joined), c.folder_again) << c.joined;
  }
}

}  // namespace
}  // namespace sb
