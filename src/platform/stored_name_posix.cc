// Letter case of names on POSIX systems: most compare names with their
// case, but a folder may ignore it (ext4's casefold, a FAT drive).
#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "platform/file_system.h"

namespace sb {

namespace {

bool same_but_for_case(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string disk_file_system::stored_name(const std::string& folder, const std::string& name) {
  // Only a name the system finds can be stored in another spelling.
  struct stat st;
  if (::stat(join_path(folder, name).c_str(), &st) != 0) return name;
  DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return name;
  std::string other;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string found = entry->d_name;
    if (found == name) {
      other.clear();
      break;
    }
    if (other.empty() && same_but_for_case(found, name)) other = found;
  }
  ::closedir(listing);
  return other.empty() ? name : other;
}

}  // namespace sb
