// The one command line Windows hands a program, cut into its arguments.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sb::win32 {

// Cuts `line` as CommandLineToArgvW does (the program's name first, by its
// own rule), with one exception for people who end a quoted folder with a
// backslash: in the value of an option of `path_options` (given as the next
// argument or after "="), backslashes before a quote that closes the value
// (a blank or the line's end follows it) are kept, and the quote closes it.
// `--dir "C:\Scenari\"` gives the folder "C:\Scenari\" and the options after
// it stay options; the rule would otherwise read the quote as part of the
// name and run on to the line's end. No name of a file may hold a quote, so
// no path the rule reads otherwise is lost.
std::vector<std::wstring> split_command_line(std::wstring_view line,
                                             std::span<const std::string_view> path_options);

}  // namespace sb::win32
