// The steps each face of `disk_file_system` provides to the one writer of
// a set (file_system.cc). Only the platform layer includes it.
#pragma once

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

// Checks the target, removes what killed runs left for it, writes the
// content to a fresh temporary beside it and syncs that (unless it is
// transient); the temporary is added to `done` as soon as it exists.
io_result stage(const file_to_write& f, std::vector<staged_file>& done);
// Moves a staged temporary over its target.
io_result replace(const staged_file& s);
// Removes a staged temporary.
void discard(const staged_file& s);
// Once every target is replaced: makes the new entries of the durable
// files' folders durable.
io_result finish(std::span<const staged_file> replaced);

}  // namespace sb::face
