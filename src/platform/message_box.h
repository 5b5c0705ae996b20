// A modal box with a text and one OK button; returns when it is confirmed.
#pragma once

#include <string>

namespace sb {

void show_message_box(const std::string& text);

}  // namespace sb
