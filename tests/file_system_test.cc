#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <filesystem>

#include "support/test_support.h"

namespace sb {
namespace {

using test::read_bytes;
using test::temp_folder;
using test::write_bytes;

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
  // A folder standing where the file should be.
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("taken")));
  const io_result folder = fs.write_file(dir.file("taken"), "data");
  EXPECT_FALSE(folder.ok());
  EXPECT_EQ(folder.message, dir.file("taken") + ": Is a directory");
  // A file standing where the folder should be.
  write_bytes(dir.file("plain"), "keep");
  EXPECT_FALSE(fs.write_file(dir.file("plain/x.txt"), "data").ok());
  EXPECT_EQ(read_bytes(dir.file("plain")), "keep");
  EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"plain", "taken"}));
}

TEST(DiskFileSystem, ASetIsReplacedWholeOrNotAtAll) {
  temp_folder dir;
  write_bytes(dir.file("a"), "old a");
  write_bytes(dir.file("c"), "old c");
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("b")));  // the second file cannot be written
  disk_file_system fs;
  const auto text = [](const char* s) { return [s](byte_sink& out) { out.append(s); }; };
  const file_to_write set[] = {{dir.file("a"), text("new a")}, {dir.file("b"), text("new b")},
                               {dir.file("c"), text("new c")}};
  const io_result r = fs.write_files(set);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.message, dir.file("b") + ": Is a directory");
  EXPECT_EQ(read_bytes(dir.file("a")), "old a");
  EXPECT_EQ(read_bytes(dir.file("c")), "old c");
  EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"a", "b", "c"}));

  const file_to_write good[] = {set[0], set[2]};
  ASSERT_TRUE(fs.write_files(good));
  EXPECT_EQ(read_bytes(dir.file("a")), "new a");
  EXPECT_EQ(read_bytes(dir.file("c")), "new c");
}

TEST(DiskFileSystem, AMissingFileIsItsOwnOutcome) {
  temp_folder dir;
  disk_file_system fs;
  std::string bytes;
  const io_result missing = fs.read_file(dir.file("none"), bytes);
  EXPECT_TRUE(missing.not_found());
  EXPECT_EQ(missing.message, dir.file("none") + ": No such file or directory");
  const io_result folder = fs.read_file(dir.path(), bytes);
  EXPECT_FALSE(folder.ok());
  EXPECT_FALSE(folder.not_found());
  EXPECT_TRUE(fs.remove_file(dir.file("none")).not_found());
}

TEST(JoinPath, UsesThePlatformSeparator) {
  const struct {
    const char* folder;
    const char* joined;
  } cases[] = {
#ifdef _WIN32
      {"C:\\a\\b", "C:\\a\\b\\c.txt"}, {"C:\\a\\b\\", "C:\\a\\b\\c.txt"}, {"C:\\", "C:\\c.txt"},
      // Forward slashes, as --dir may be given, are kept.
      {"C:/a/b", "C:/a/b\\c.txt"}, {"C:/a/b/", "C:/a/b/c.txt"},
#else
      {"/a/b", "/a/b/c.txt"}, {"/a/b/", "/a/b/c.txt"}, {"/", "/c.txt"},
#endif
      {"", "c.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(join_path(c.folder, "c.txt"), c.joined) << c.folder;
}

}  // namespace
}  // namespace sb
