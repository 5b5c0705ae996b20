// Pieces the check of authors' texts shares: the text of a field or a line,
// safe quoting, the display of single-byte text, the closest keyword.
// Internal to the check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/diagnostics.h"
#include "check/reader_log.h"

namespace sb::check {

// The bytes of a field, and the text of a line (from 1), without its end.
std::string_view token(const text_seen& t, const field_seen& f);
std::string_view line_text(const text_seen& t, int line);

// A text's bytes for a message, in double quotes: printable ASCII as it is,
// every other byte as \xNN; longer than `most` bytes, cut with "...".
std::string quoted(std::string_view bytes, size_t most = 40);
// What the simulator shows of single-byte text (Windows-1252), as UTF-8.
std::string as_windows_1252(std::string_view bytes);

// The keyword among `words` within two edits of the field's first word,
// when there is one.
std::optional<std::string> closest(std::string_view field, const std::vector<std::string>& words);

// A number as the reader reads it from a field that was read as one.
int64_t number_of(const text_seen& t, const field_seen& f);

// A diagnostic at a field of a text.
diagnostic at_field(const text_seen& t, const field_seen& f, const std::string& shown_file, severity level,
                    std::string name, std::string message);

}  // namespace sb::check
