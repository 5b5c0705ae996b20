#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

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
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.message, dir.file("no/such/x.txt") + ": No such file or directory");
  // A folder standing where the file should be.
  ASSERT_EQ(::mkdir(dir.file("taken").c_str(), 0755), 0);
  const io_result folder = fs.write_file(dir.file("taken"), "data");
  EXPECT_FALSE(folder.ok);
  EXPECT_EQ(folder.message, dir.file("taken") + ": Is a directory");
  // A file standing where the folder should be.
  write_bytes(dir.file("plain"), "keep");
  EXPECT_FALSE(fs.write_file(dir.file("plain/x.txt"), "data").ok);
  EXPECT_EQ(read_bytes(dir.file("plain")), "keep");
  EXPECT_EQ(test::list_folder(dir.path()), (std::vector<std::string>{"plain", "taken"}));
}

TEST(JoinPath, UsesThePlatformSeparator) {
  EXPECT_EQ(join_path("/a/b", "c.txt"), "/a/b/c.txt");
  EXPECT_EQ(join_path("/a/b/", "c.txt"), "/a/b/c.txt");
  EXPECT_EQ(join_path("/", "c.txt"), "/c.txt");
}

}  // namespace
}  // namespace sb
