// Console stand-ins for the window and the message box, for machines
// without a desktop.
#include <unistd.h>

#include <cstdio>

#include "platform/message_box.h"
#include "platform/wait_window.h"

namespace sb {

namespace {
class console_wait_window : public wait_window {
 public:
  console_wait_window() {
    // Only a person at a terminal wants to see it.
    if (::isatty(STDERR_FILENO)) std::fputs("Attendere\n", stderr);
  }
  void close() override {}
};
}  // namespace

std::unique_ptr<wait_window> show_wait_window() { return std::make_unique<console_wait_window>(); }

void show_message_box(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fputc('\n', stderr);
}

}  // namespace sb
