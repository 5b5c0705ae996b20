// Picks the desktop when a display answers, otherwise the console, so the
// same program runs on a desktop, over ssh and in CI. The desktop lives in
// a module loaded only when a display is named: a run without one never
// pays for loading the toolkit and the X libraries.
#include "platform/desktop.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#ifdef SB_HAVE_FLTK
#include <dlfcn.h>

#include "platform/program_folder.h"
#endif

namespace sb {

namespace {

class console_window : public wait_window {
 public:
  console_window() {
    // Only a person at a terminal wants to see it.
    if (::isatty(STDERR_FILENO)) std::fputs("Attendere\n", stderr);
  }
  void close() override {}
};

void console_message_box(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fputc('\n', stderr);
}

// The desktop module, loaded once and only when a display is named; null
// when there is none, or the module is missing or refuses the display.
const desktop_face* desktop() {
#ifdef SB_HAVE_FLTK
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
#else
  return nullptr;
#endif
}

}  // namespace

// The program never gives up its stderr here.
void tell_failure(const std::string& text) { std::fputs(text.c_str(), stderr); }

std::unique_ptr<wait_window> show_wait_window(desktop_use use) {
  if (use == desktop_use::when_available && desktop() != nullptr) return desktop()->show_wait_window();
  return std::make_unique<console_window>();
}

void show_message_box(const std::string& text, desktop_use use) {
  if (use == desktop_use::when_available && desktop() != nullptr) return desktop()->message_box(text);
  console_message_box(text);
}

}  // namespace sb
