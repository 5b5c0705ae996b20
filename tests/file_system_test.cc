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

lock_request shared_lock(bool shared = true) {
  lock_request how;
  how.shared = shared;
  return how;
}

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
TEST(DiskFileSystem, TemporariesAreShortAndAWriterRemovesStaleOnesOfAnyName) {
  temp_folder dir;
  disk_file_system fs;
  const std::string longest(255, 'n');
  ASSERT_TRUE(fs.write_file(dir.file(longest), "long"));
  EXPECT_EQ(read_bytes(dir.file(longest)), "long");
  EXPECT_EQ(temporary_stem(longest).size(), temporary_prefix.size() + 16);

  const std::string mine = temporary_stem("a.dat") + "-killed", other = temporary_stem("b.dat") + "-alive";
  write_bytes(dir.file(mine), "left by a killed run");
  write_bytes(dir.file(other), "another target's");
  write_bytes(dir.file(".hidden"), "not ours");
  // A reader leaves them; a writer's lock proves that no live run owns them.
  ASSERT_TRUE(fs.wait_for_folder(dir.path(), shared_lock()).result);
  EXPECT_EQ(test::list_folder(dir.path()).size(), 4u);
  ASSERT_TRUE(fs.lock_folder(dir.path()).result);
  EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{".hidden", longest}));
}

struct killed_here {};

// Old a and b, no c: the set a, b, c.
struct three_file_set {
  temp_folder dir;
  std::vector<file_to_write> files;
  three_file_set() {
    write_bytes(dir.file("a"), "old a");
    write_bytes(dir.file("b"), "old b");
    for (const char* name : {"a", "b", "c"}) files.push_back({dir.file(name), text(name)});
  }
  void expect_old() const {
    EXPECT_EQ(read_bytes(dir.file("a")), "old a");
    EXPECT_EQ(read_bytes(dir.file("b")), "old b");
    EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"a", "b"}));
  }
  void expect_new() const {
    for (const char* name : {"a", "b", "c"}) EXPECT_EQ(read_bytes(dir.file(name)), name) << name;
    EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"a", "b", "c"}));
  }
};

// A step that fails once the old files are touched (a kept file that
// cannot be made, a move refused) puts every old one back: the set is the
// old one, byte for byte, and nothing of ours is left.
TEST(DiskFileSystem, ASetIsPutBackWhenAnyMoveFails) {
  const struct {
    set_step step;
    size_t index;
  } faults[] = {{set_step::intent_kept, 0}, {set_step::old_kept, 1}, {set_step::old_kept, 3},
                {set_step::moved_in, 0},    {set_step::moved_in, 1}, {set_step::moved_in, 2}};
  for (const auto& f : faults) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(f.step) << " " << f.index);
    three_file_set set;
    disk_file_system fs;
    fs.step_hook = [&](set_step step, size_t index) {
      return step == f.step && index == f.index ? io_result::failure(set.dir.file("b"), "refused")
                                                : io_result::success();
    };
    EXPECT_EQ(fs.write_files(set.files).message, set.dir.file("b") + ": refused; nothing was replaced");
    set.expect_old();
  }
}

#ifdef _WIN32
// The simulator holds its files open without sharing while it runs: the
// held one refuses to move, and the old set stays.
TEST(DiskFileSystem, AFileHeldByAnotherProgramLeavesTheOldSet) {
  three_file_set set;
  HANDLE held = ::CreateFileA(set.dir.file("b").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  disk_file_system fs;
  EXPECT_EQ(fs.write_files(set.files).message,
            set.dir.file("b") + " is open in another program (is the simulator running?); nothing was replaced");
  ::CloseHandle(held);
  set.expect_old();
}
#endif

// A run killed between the renames leaves a record; the next lock taken
// in the folder, a reader's too, finishes the set before anything is read:
// forward, since every new file was synced before the record was written,
// or back when the run was killed while it put the old files back.
TEST(DiskFileSystem, ASetLeftHalfReplacedIsMendedByTheNextLock) {
  const struct {
    set_step step;
    size_t index;
    bool shared;
  } kills[] = {
      {set_step::intent_kept, 0, false}, {set_step::old_kept, 2, true},     {set_step::moved_in, 0, true},
      {set_step::moved_in, 1, false},    {set_step::putting_back, 0, true},
  };
  for (const auto& k : kills) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(k.step) << " " << k.index);
    three_file_set set;
    disk_file_system fs;
    fs.step_hook = [&](set_step step, size_t index) -> io_result {
      if (step == k.step && index == k.index) throw killed_here{};
      // Killed while it puts back what a refused move of c had changed.
      if (k.step == set_step::putting_back && step == set_step::moved_in && index == 2)
        return io_result::failure(set.dir.file("c"), "refused");
      return io_result::success();
    };
    EXPECT_THROW(fs.write_files(set.files), killed_here);
    fs.step_hook = nullptr;
    ASSERT_TRUE(std::filesystem::exists(set.dir.file(std::string(intent_record_name))));
    if (k.step == set_step::moved_in || k.step == set_step::putting_back) {
      EXPECT_EQ(read_bytes(set.dir.file("a")), "a");
    }
    const locked_folder held = fs.wait_for_folder(set.dir.path(), shared_lock(k.shared));
    ASSERT_TRUE(held.result) << held.result.message;
    if (k.step == set_step::putting_back) {
      set.expect_old();
    } else {
      set.expect_new();
    }
  }
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

// A wait says so once, after a second, and ends when its time is out.
TEST(DiskFileSystem, AWaitForTheLockSpeaksAndEnds) {
  temp_folder dir;
  disk_file_system fs;
  const locked_folder first = fs.lock_folder(dir.path());
  ASSERT_TRUE(first.result);
  int told = 0;
  std::string told_folder;
  locked_folder second;
  std::thread waiter([&] {
    lock_request how;
    how.wait_seconds = 1.5;
    how.waiting = [&](const std::string& folder, const std::string&) {
      ++told;
      told_folder = folder;
    };
    second = fs.wait_for_folder(dir.path(), how);
  });
  waiter.join();
  EXPECT_EQ(told, 1);
  EXPECT_EQ(told_folder, dir.path());
  EXPECT_FALSE(second.lock);
  EXPECT_TRUE(second.result.message.starts_with(dir.path() + ": gave up waiting for the folder lock after 1.5 s; it is held by "))
      << second.result.message;
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
