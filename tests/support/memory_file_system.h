// File systems held in memory, for tests, benchmarks and the fuzzer: one
// that keeps every file, and one that fails where it is told to.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace sb::test {

// Files keyed by path. Folders are not modelled: any path can be written.
class memory_file_system : public file_system {
 public:
  io_result read_file(const std::string& path, std::string& contents, size_t limit) override;
  io_result write_files(std::span<const file_to_write> files) override;
  io_result remove_file(const std::string& path) override;
  // Counts the locks taken and tells whether one is held.
  locked_folder lock_folder(const std::string& folder) override;
  bool locked() const { return *held_locks > 0; }

  std::map<std::string, std::string> files;
  // Only the size of what is written is kept when false: a fuzzer has no
  // use for megabytes of plan file on every run.
  bool keep_written = true;
  std::map<std::string, size_t> written_sizes;
  // What each path was last written to survive; kept when it is removed.
  std::map<std::string, durability> kept;
  int locks_taken = 0;

 private:
  std::shared_ptr<int> held_locks = std::make_shared<int>(0);
};

// A memory file system whose writes fail on one path, after the content
// was produced: the set it belongs to is then written not at all.
class failing_file_system : public memory_file_system {
 public:
  explicit failing_file_system(std::string fail_on) : fail_on_(std::move(fail_on)) {}
  io_result write_files(std::span<const file_to_write> files) override;

 private:
  std::string fail_on_;
};

}  // namespace sb::test
