// The window and the message box on an X desktop. Built only where the
// toolkit is installed; nothing outside src/platform includes this.
#pragma once

#include <memory>
#include <string>

#include "platform/wait_window.h"

namespace sb {

// Connects to the display named by DISPLAY once per process. False (and
// silent) when there is none or it refuses the connection.
bool desktop_available();

std::unique_ptr<wait_window> desktop_wait_window();
void desktop_message_box(const std::string& text);

}  // namespace sb
