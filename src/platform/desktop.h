// The program's face on the desktop: the small "Attendere" window shown
// while the plain run works, and the modal box of the build errors that
// stop it. Where no desktop can be reached (no display, a tool for authors,
// a build without the toolkit) console stand-ins serve instead.
#pragma once

#include <memory>
#include <string>

namespace sb {

class wait_window {
 public:
  virtual ~wait_window() = default;
  // Closes the window; also done on destruction.
  virtual void close() = 0;
};

// Where a run may show itself. Only the plain run is handed a desktop;
// the tools for authors never open a window.
enum class desktop_use {
  when_available,  // the desktop when a display answers, else the console
  console_only,    // the console stand-ins, even where a display answers
};

// Shows the window without waiting and draws it once.
std::unique_ptr<wait_window> show_wait_window(desktop_use use);

// A modal box with a text and one OK button; returns once it is confirmed.
void show_message_box(const std::string& text, desktop_use use);

// Tells the person of a failure that ends the program, `text` being what
// would go to stderr: there, unless the program gave up the console its
// stderr was on (the plain run started by a double click on Windows); then
// in the message box, under the same title, so that a run never ends in
// silence.
void tell_failure(const std::string& text);

// What a desktop module hands to the program, through the one entry point
// `sb_desktop_face`.
struct desktop_face {
  bool (*available)();  // connects to the display once; false when it refuses
  std::unique_ptr<wait_window> (*show_wait_window)();
  void (*message_box)(const std::string& text);
};

}  // namespace sb

extern "C" const sb::desktop_face* sb_desktop_face();
