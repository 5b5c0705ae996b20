// The running program as the operating system sees it.
#pragma once

#include <string>
#include <vector>

namespace sb {

// The folder that holds the running executable, without a trailing
// separator (except at the root of a drive). Empty when the platform
// cannot tell.
std::string program_folder();

// The arguments of `main` (program name first) as UTF-8. Also puts the
// standard streams into byte mode: what the tools print is the same bytes
// on every platform.
std::vector<std::string> program_arguments(int argc, char** argv);

}  // namespace sb
