// The small "Attendere" window shown while the plain run works.
#pragma once

#include <memory>

namespace sb {

class wait_window {
 public:
  virtual ~wait_window() = default;
  // Closes the window; also done on destruction.
  virtual void close() = 0;
};

// Shows the window without waiting and draws it once. Where no desktop is
// available this is a console stand-in.
std::unique_ptr<wait_window> show_wait_window();

}  // namespace sb
