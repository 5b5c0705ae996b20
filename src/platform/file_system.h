// File access behind a small interface, so that the builder and the writers
// can run against memory in tests and in the fuzzer.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace sb {

// Outcome of one file operation. On failure `message` reads
// "PATH: reason", ready for one line on stderr.
struct io_result {
  bool ok = true;
  std::string message;

  static io_result success() { return {}; }
  static io_result failure(const std::string& path, const std::string& reason) {
    return {false, path + ": " + reason};
  }
  explicit operator bool() const { return ok; }
};

class file_system {
 public:
  virtual ~file_system() = default;

  virtual bool exists(const std::string& path) = 0;
  // Reads the whole file. A missing file is a failure like any other.
  virtual io_result read_file(const std::string& path, std::string& contents) = 0;
  // Replaces the file whole: the old file stays untouched unless the new
  // content is complete; the result has exactly the new length.
  virtual io_result write_file(const std::string& path, std::string_view bytes) = 0;
  virtual io_result remove_file(const std::string& path) = 0;
};

// The real disk. Writes go to a temporary file in the same folder that is
// renamed over the target, so a failed write never leaves a truncated file.
class disk_file_system : public file_system {
 public:
  bool exists(const std::string& path) override;
  io_result read_file(const std::string& path, std::string& contents) override;
  io_result write_file(const std::string& path, std::string_view bytes) override;
  io_result remove_file(const std::string& path) override;
};

// Files held in memory, keyed by path. Folders are not modelled: any path
// can be written.
class memory_file_system : public file_system {
 public:
  bool exists(const std::string& path) override;
  io_result read_file(const std::string& path, std::string& contents) override;
  io_result write_file(const std::string& path, std::string_view bytes) override;
  io_result remove_file(const std::string& path) override;

  std::map<std::string, std::string> files;
};

// A view that reads through to another file system but never changes it:
// writes and deletes succeed without effect. Used where the author's own
// source texts must stay as they are.
class read_only_view : public file_system {
 public:
  explicit read_only_view(file_system& inner) : inner_(inner) {}
  bool exists(const std::string& path) override { return inner_.exists(path); }
  io_result read_file(const std::string& path, std::string& contents) override {
    return inner_.read_file(path, contents);
  }
  io_result write_file(const std::string&, std::string_view) override { return io_result::success(); }
  io_result remove_file(const std::string&) override { return io_result::success(); }

 private:
  file_system& inner_;
};

// folder + the platform's separator + name.
std::string join_path(const std::string& folder, const std::string& name);

}  // namespace sb
