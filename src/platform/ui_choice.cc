// Picks the desktop when a display answers, otherwise the console, so the
// same program runs on a desktop, over ssh and in CI.
#include "platform/ui_choice.h"

#include "platform/console_ui.h"
#include "platform/message_box.h"
#include "platform/wait_window.h"
#ifdef SB_HAVE_FLTK
#include "platform/desktop_ui.h"
#endif

namespace sb {

namespace {
bool console_only = false;
}  // namespace

void stay_in_console() { console_only = true; }

std::unique_ptr<wait_window> show_wait_window() {
#ifdef SB_HAVE_FLTK
  if (!console_only && desktop_available()) return desktop_wait_window();
#endif
  return console_wait_window();
}

void show_message_box(const std::string& text) {
#ifdef SB_HAVE_FLTK
  if (!console_only && desktop_available()) return desktop_message_box(text);
#endif
  console_message_box(text);
}

}  // namespace sb
