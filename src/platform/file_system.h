// File access behind a small interface, so that the builder and the writers
// can run against memory in tests, benchmarks and the fuzzer.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
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

// A folder's exclusive lock, held while the object lives.
class folder_lock {
 public:
  virtual ~folder_lock() = default;
};

struct locked_folder {
  io_result result;
  std::unique_ptr<folder_lock> lock;  // set when `result` is ok
};

// The largest source text a reader accepts: far above any scenario the
// format can describe, far below what would strain memory.
inline constexpr size_t largest_source_text = size_t{64} << 20;

class file_system {
 public:
  virtual ~file_system() = default;

  // Reads the whole of a regular file of at most `limit` bytes. A missing
  // file is its own outcome (`not_found`); anything else that is not a
  // regular file ("not a regular file"), a larger file ("N bytes, more
  // than the M a ... may have") and a name the system refuses are failures.
  // Never waits on a pipe or a device.
  virtual io_result read_file(const std::string& path, std::string& contents, size_t limit) = 0;
  // Replaces the files as one set: every new content is complete and
  // synced before the first old file is replaced, and on failure none is.
  // Each result has exactly its new length. A target that exists and is
  // not a regular file, or is read-only, is refused before anything is
  // written.
  virtual io_result write_files(std::span<const file_to_write> files) = 0;
  virtual io_result remove_file(const std::string& path) = 0;
  // Waits for the folder's exclusive lock, taken by every run that writes
  // into it, so that runs sharing a folder take turns. Leaves no file of
  // its own behind.
  virtual locked_folder lock_folder(const std::string& folder) = 0;
  // The name under which `folder` holds the file `name`: where the system
  // finds a file whatever the letter case of its name, the spelling stored
  // ("Valle_linea.txt" for "valle_linea.txt"); `name` itself where names
  // are compared with their case, or when no such file is found.
  virtual std::string stored_name(const std::string& folder, const std::string& name) {
    static_cast<void>(folder);
    return name;
  }

  // A set of one.
  io_result write_file(const std::string& path, std::string_view bytes);
};

// The real disk. New contents go to temporary files in the target's folder
// (`temporary_prefix` + a digest of the target's name + a unique tail) that
// are synced, then renamed over the targets in order, and the folder
// synced. A lock holder's write first removes temporaries that earlier,
// killed runs left for the same targets.
class disk_file_system : public file_system {
 public:
  disk_file_system();
  io_result read_file(const std::string& path, std::string& contents, size_t limit) override;
  io_result write_files(std::span<const file_to_write> files) override;
  io_result remove_file(const std::string& path) override;
  locked_folder lock_folder(const std::string& folder) override;
  std::string stored_name(const std::string& folder, const std::string& name) override;
};

// Every temporary file of ours begins with it.
inline constexpr std::string_view temporary_prefix = ".sb-tmp-";
// The temporaries' stem for a target's file name: the prefix and a fixed
// digest of the name, so that leftovers of the same target are found and
// every temporary name has the same, short length.
std::string temporary_stem(std::string_view file_name);

// The folder part of a path ("." when it has none), as `lock_folder` takes it.
std::string folder_of_path(const std::string& path);

// folder + the platform's separator + name.
std::string join_path(const std::string& folder, const std::string& name);

}  // namespace sb
