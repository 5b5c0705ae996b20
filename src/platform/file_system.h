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

// What a written file must survive, and so what its write costs. Every
// file is written whole beside its target and moved over it, so that a
// reader never sees half of it; the kinds differ in what is synced.
enum class durability {
  // A power loss once the set is written: each content is synced before
  // its rename, and the folders after the renames.
  durable,
  // Synced before its rename, so that after a power loss it is old or new
  // and whole; its folder entry is made durable by the next durable set
  // written into the same folder, which syncs that folder anyway.
  with_next_set,
  // Nothing: it lives only while the writer holds the folder's lock and is
  // removed before that ends, so nothing is synced.
  transient,
};

// One file of a set to write: its path, what writes its content, and what
// it must survive.
struct file_to_write {
  std::string path;
  std::function<void(byte_sink&)> content;
  durability keep = durability::durable;
};

// A folder's lock, held while the object lives.
class folder_lock {
 public:
  virtual ~folder_lock() = default;
};

// How long a run waits for another's lock on a folder before it gives up.
inline constexpr double default_lock_wait = 60;

// How a run takes a folder's lock. Writers take it alone; readers share it
// with each other, so that none reads a set while it is being replaced.
struct lock_request {
  bool shared = false;
  // Gives up after this long, with a failure that says who holds the lock.
  double wait_seconds = default_lock_wait;
  // Told once, after a second of waiting, what the system says of the
  // holder ("scenario-builder compile, pid 4711"; empty when it says nothing).
  std::function<void(const std::string& folder, const std::string& holder)> waiting;
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
  // Replaces the files as one set: every new content is complete (and
  // synced, unless transient) before the first old file is replaced, and
  // on failure none is.
  // Each result has exactly its new length. A target that exists and is
  // not a regular file, or is read-only, is refused before anything is
  // written.
  virtual io_result write_files(std::span<const file_to_write> files) = 0;
  virtual io_result remove_file(const std::string& path) = 0;
  // Waits for the folder's exclusive lock, taken by every run that writes
  // into it, so that runs sharing a folder take turns. Leaves no file of
  // its own behind.
  virtual locked_folder lock_folder(const std::string& folder) = 0;
  // The same, shared or exclusive as asked, and waiting as long as asked.
  virtual locked_folder wait_for_folder(const std::string& folder, const lock_request&) { return lock_folder(folder); }
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

// The steps of a set's replacement, where a test may step in.
enum class set_step {
  staged,        // every new content is synced in its temporary
  intent_kept,   // the intent record is on the disk
  old_kept,      // every old file is kept aside (index: how many)
  moved_in,      // one more new file is in place (index: which)
  putting_back,  // after a failure, the record says "back"
};

// The real disk. New contents go to temporary files in the target's folder
// (`temporary_prefix` + a digest of the target's name + a unique tail) that
// are synced (as far as each file's `durability` asks); then, for a set of more than one, an intent record is synced,
// each old file kept aside, the new ones moved in, and the kept ones and
// the record removed. Any failure puts every old file back. Taking a
// folder's exclusive lock first finishes a set a killed run left half
// replaced (its record tells which way), then removes every temporary in
// the folder: no live run owns one.
class disk_file_system : public file_system {
 public:
  disk_file_system();
  io_result read_file(const std::string& path, std::string& contents, size_t limit) override;
  io_result write_files(std::span<const file_to_write> files) override;
  io_result remove_file(const std::string& path) override;
  locked_folder lock_folder(const std::string& folder) override;
  locked_folder wait_for_folder(const std::string& folder, const lock_request& how) override;

  // For tests: called after each step; what it throws leaves the disk as a
  // run killed there would, and a failure it returns is the step's.
  std::function<io_result(set_step, size_t index)> step_hook;
  std::string stored_name(const std::string& folder, const std::string& name) override;
};

// The intent record of a set being replaced, in its folder.
inline constexpr std::string_view intent_record_name = ".sb-intent";

// Every temporary file of ours begins with it.
inline constexpr std::string_view temporary_prefix = ".sb-tmp-";
// The temporaries' stem for a target's file name: the prefix and a fixed
// digest of the name, so that leftovers of the same target are found and
// every temporary name has the same, short length.
std::string temporary_stem(std::string_view file_name);

// The folder part of a path ("." when it has none), as `lock_folder` takes it.
std::string folder_of_path(const std::string& path);

// Closes the standard output's descriptor, once its stream is flushed:
// some file systems tell a failed write only then. 0, or the errno.
int close_standard_output();

// folder + the platform's separator + name.
std::string join_path(const std::string& folder, const std::string& name);

}  // namespace sb
