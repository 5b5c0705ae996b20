#include "platform/program_folder.h"

#include <climits>
#include <unistd.h>

namespace sb {

std::string program_folder() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  std::string exe(buffer, static_cast<size_t>(n));
  const auto slash = exe.find_last_of('/');
  if (slash == std::string::npos) return {};
  if (slash == 0) return "/";
  return exe.substr(0, slash);
}

}  // namespace sb

namespace sb {

// The shell has cut the arguments already.
std::vector<std::string> program_arguments(int argc, char** argv, std::span<const std::string_view>) {
  return {argv, argv + argc};
}

}  // namespace sb
