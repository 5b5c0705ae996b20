// File access behind a small interface, so that the builder and the writers
// can run against memory in tests, benchmarks and the fuzzer.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace sb {

// Outcome of one file operation. On failure `message` reads
// "PATH: reason", ready for one line on stderr.
struct io_result {
  enum class state { ok, not_found, failed };
  state outcome = state::ok;
  std::string message;

  static io_result success() { return {}; }
  static io_result failure(const std::string& path, const std::string& reason) {
    return {state::failed, path + ": " + reason};
  }
  static io_result missing(const std::string& path, const std::string& reason) {
    return {state::not_found, path + ": " + reason};
  }
  bool ok() const { return outcome == state::ok; }
  bool not_found() const { return outcome == state::not_found; }
  explicit operator bool() const { return ok(); }
};

// Where bytes go, in order, a piece at a time.
class byte_sink {
 public:
  virtual ~byte_sink() = default;
  virtual void append(std::string_view bytes) = 0;
};

// Everything in one string.
class string_sink : public byte_sink {
 public:
  void append(std::string_view piece) override { bytes.append(piece); }
  std::string bytes;
};

// One file of a set to write: its path, and what writes its content.
struct file_to_write {
  std::string path;
  std::function<void(byte_sink&)> content;
};

class file_system {
 public:
  virtual ~file_system() = default;

  // Reads the whole file. A missing file is its own outcome (`not_found`).
  virtual io_result read_file(const std::string& path, std::string& contents) = 0;
  // Replaces the files as one set: every new content is complete before the
  // first old file is replaced, and on failure none is. Each result has
  // exactly its new length.
  virtual io_result write_files(std::span<const file_to_write> files) = 0;
  virtual io_result remove_file(const std::string& path) = 0;

  // A set of one.
  io_result write_file(const std::string& path, std::string_view bytes);
};

// The real disk. New contents go to temporary files in the target's folder
// that are renamed over the targets once all are written.
class disk_file_system : public file_system {
 public:
  io_result read_file(const std::string& path, std::string& contents) override;
  io_result write_files(std::span<const file_to_write> files) override;
  io_result remove_file(const std::string& path) override;
};

// folder + the platform's separator + name.
std::string join_path(const std::string& folder, const std::string& name);

}  // namespace sb
