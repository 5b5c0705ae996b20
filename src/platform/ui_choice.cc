// Picks the desktop when a display answers, otherwise the console, so the
// same program runs on a desktop, over ssh and in CI.
#include "platform/ui_choice.h"

#include "platform/console_ui.h"
#include "platform/message_box.h"
#include "platform/wait_window.h"
#ifdef SB_HAVE_FLTK
#include <dlfcn.h>

#include <cstdlib>

#include "platform/desktop_ui.h"
#include "platform/program_folder.h"
#endif

namespace sb {

namespace {
bool console_only = false;

#ifdef SB_HAVE_FLTK
// The desktop module, loaded once and only when a display is named; null
// when there is none, or the module is missing or refuses the display.
const desktop_face* desktop() {
  static const desktop_face* const face = []() -> const desktop_face* {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return nullptr;
    const std::string path = program_folder() + "/" + SB_DESKTOP_MODULE;
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return nullptr;
    const auto entry = reinterpret_cast<const desktop_face* (*)()>(::dlsym(module, "sb_desktop_face"));
    if (entry == nullptr) return nullptr;
    const desktop_face* f = entry();
    return f->available() ? f : nullptr;
  }();
  return face;
}
#endif
}  // namespace

void stay_in_console() { console_only = true; }

std::unique_ptr<wait_window> show_wait_window() {
#ifdef SB_HAVE_FLTK
  if (!console_only && desktop() != nullptr) return desktop()->show_wait_window();
#endif
  return console_wait_window();
}

void show_message_box(const std::string& text) {
#ifdef SB_HAVE_FLTK
  if (!console_only && desktop() != nullptr) return desktop()->message_box(text);
#endif
  console_message_box(text);
}

}  // namespace sb
