#pragma once

#include <string>

namespace sb {

// The folder that holds the running executable, without a trailing
// separator. Empty when the platform cannot tell.
std::string program_folder();

}  // namespace sb
