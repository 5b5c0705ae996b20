#include "memory_file_system.h"

#include <vector>

namespace sb::test {

namespace {
constexpr const char* no_such_file = "No such file or directory";

// Counts bytes without keeping them.
class counting_sink : public byte_sink {
 public:
  void append(std::string_view bytes) override { size += bytes.size(); }
  size_t size = 0;
};

// Held while it lives; the count outlives the file system if need be.
class counted_lock : public folder_lock {
 public:
  explicit counted_lock(std::shared_ptr<int> held) : held_(std::move(held)) { ++*held_; }
  ~counted_lock() override { --*held_; }

 private:
  std::shared_ptr<int> held_;
};
}  // namespace

io_result memory_file_system::read_file(const std::string& path, std::string& contents, size_t limit) {
  const auto it = files.find(path);
  if (it == files.end()) return io_result::missing(path, no_such_file);
  if (it->second.size() > limit) return io_result::failure(path, std::to_string(it->second.size()) + " bytes, more than the " + std::to_string(limit) + " bytes such a file may have");
  contents = it->second;
  return io_result::success();
}

io_result memory_file_system::write_files(std::span<const file_to_write> set) {
  for (const file_to_write& f : set) {
    kept[f.path] = f.keep;
    if (keep_written) {
      string_sink out;
      f.content(out);
      written_sizes[f.path] = out.bytes.size();
      files[f.path] = std::move(out.bytes);
    } else {
      counting_sink out;
      f.content(out);
      written_sizes[f.path] = out.size;
      files.erase(f.path);
    }
  }
  return io_result::success();
}

io_result memory_file_system::remove_file(const std::string& path) {
  if (files.erase(path) + written_sizes.erase(path) == 0) return io_result::missing(path, no_such_file);
  return io_result::success();
}

io_result failing_file_system::write_files(std::span<const file_to_write> set) {
  for (const file_to_write& f : set) {
    string_sink out;
    f.content(out);
    if (f.path == fail_on_) return io_result::failure(f.path, "No space left on device");
  }
  return memory_file_system::write_files(set);
}

}  // namespace sb::test

namespace sb::test {

locked_folder memory_file_system::lock_folder(const std::string&) {
  ++locks_taken;
  return {io_result::success(), std::make_unique<counted_lock>(held_locks)};
}

}  // namespace sb::test
