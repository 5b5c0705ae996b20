// The window and the message box on an X desktop. Built only where the
// toolkit is installed, as a module beside the program that is loaded only
// when a display is named: a run without one never pays for loading the
// toolkit and the X libraries. Nothing outside src/platform includes this.
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

// What the module hands to the program.
struct desktop_face {
  bool (*available)();
  std::unique_ptr<wait_window> (*show_wait_window)();
  void (*message_box)(const std::string& text);
};

}  // namespace sb

// The module's one entry point, looked up by this name.
extern "C" const sb::desktop_face* sb_desktop_face();
