// Every code a build can end with, and how a person is told about it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "builder/scenario_reader.h"

namespace sb {

// A plain-language meaning for every code; empty for an unknown one.
std::string_view error_meaning(int32_t code);

// "FILE:LINE: error CODE at POSITION m: MEANING", dropping the parts the
// code or the site does not have.
std::string describe_error(int32_t code, int32_t position, const error_site& site);

}  // namespace sb
