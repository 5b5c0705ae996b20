// The steps each face of `disk_file_system` provides to the one writer of
// a set and the one taker of a folder's lock (file_system.cc). Only the
// platform layer includes it.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace sb::face {

// A new content, whole and on the disk in its temporary.
struct staged_file {
  std::string temp;
  std::string target;
  durability keep;
};

// Checks the target, writes the content to a fresh temporary beside it and
// syncs that (unless it is transient); the temporary is added to `done` as soon as it exists.
io_result stage(const file_to_write& f, std::vector<staged_file>& done);
// Moves a staged temporary over its target.
io_result replace(const staged_file& s);
// Removes a staged temporary.
void discard(const staged_file& s);
// Once every target is replaced: makes the new entries of the durable
// files' folders durable.
io_result finish(std::span<const staged_file> replaced);

// Keeps the old file at `target` as `aside` in the same folder: a second
// name where the system allows it (the target stays in place), else by
// moving it. A file another program holds is refused here, before any new
// file goes in.
io_result keep_aside(const std::string& target, const std::string& aside);
// Moves `from` over `to`, replacing it.
io_result move_over(const std::string& from, const std::string& to);
// Whether anything stands at the path (a link counts as itself).
bool exists(const std::string& path);
// Removes a file; a missing one is no failure.
io_result remove(const std::string& path);
// Makes the folder's entries durable.
io_result sync_folder(const std::string& folder);
// The names in a folder (not "." and ".."); empty when it cannot be read.
std::vector<std::string> folder_names(const std::string& folder);
// The last part of a path, as `join_path` joined it.
std::string base_name(const std::string& path);

// A folder's lock before it is taken, and while it is.
class lock_slot : public folder_lock {
 public:
  enum class outcome { taken, busy, failed };
  // Tries once, without waiting; a failure's reason goes to `failure`.
  virtual outcome try_take(bool shared, io_result& failure) = 0;
  virtual void release() = 0;
  // Who holds it, as the system tells ("scenario-builder compile, pid
  // 4711"); empty when it does not.
  virtual std::string holder() = 0;
};
// Opens the lock of an existing folder.
std::unique_ptr<lock_slot> open_lock(const std::string& folder, io_result& failure);

}  // namespace sb::face
