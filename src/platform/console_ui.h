// Console stand-ins for the window and the message box, used where no
// desktop can be reached.
#pragma once

#include <memory>
#include <string>

#include "platform/wait_window.h"

namespace sb {

std::unique_ptr<wait_window> console_wait_window();
void console_message_box(const std::string& text);

}  // namespace sb
