#include "platform/console_ui.h"

#include <unistd.h>

#include <cstdio>

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
}  // namespace

std::unique_ptr<wait_window> console_wait_window() { return std::make_unique<console_window>(); }

void console_message_box(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fputc('\n', stderr);
}

}  // namespace sb
