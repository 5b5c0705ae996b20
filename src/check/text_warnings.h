// Warnings about the two texts of a build, from what the reader saw in
// them: lines it read nothing on, rows that ran onto the next line or left
// fields unread, rows out of chainage order, values the compiled fields
// cannot hold as written, items off the grid or beyond the route, texts the
// simulator will show otherwise, files in another encoding.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/diagnostics.h"
#include "check/reader_log.h"
#include "builder/scenario_model.h"

namespace sb {

// The texts' names as the author gave them, folder included.
struct shown_names {
  std::string line;
  std::string train;
};

// Appends the warnings of both texts to `out`. `model` is the build's, for
// the route length.
void text_warnings(const reader_log& log, const scenario_model& model, const shown_names& names,
                   std::vector<diagnostic>& out);

// A sentence saying what a text's encoding does to the reader when it is
// not single-byte text with LF or CR LF line ends ("the file is UTF-16
// text, ..."); empty otherwise.
std::string encoding_trouble(const std::string& text);

// The name of every warning the check gives, as `[name]` ends its message.
std::span<const std::string_view> warning_names();

// The keywords of either text, for suggestions.
const std::vector<std::string>& known_keywords();

}  // namespace sb
