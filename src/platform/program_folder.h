// The running program as the operating system sees it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sb {

// The folder that holds the running executable, without a trailing
// separator (except at the root of a drive). Empty when the platform
// cannot tell.
std::string program_folder();

// The arguments of `main` (program name first) as UTF-8; a value of one of
// `path_options` is read as the person meant it where the system's own rule
// would misread it (Windows: a quoted folder ending in a backslash). Also
// puts the standard streams into byte mode: what the tools print into a
// file or a pipe is the same bytes on every platform (a Windows console is
// handed the same text as UTF-16).
std::vector<std::string> program_arguments(int argc, char** argv, std::span<const std::string_view> path_options);

}  // namespace sb
