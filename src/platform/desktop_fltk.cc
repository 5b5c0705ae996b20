// The window and the message box drawn with FLTK on an X display: the
// desktop module, built where the toolkit is installed.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/desktop.h"

namespace sb {

namespace {

// The title the desktop puts on the program's own windows.
constexpr const char* program_name = "scenario-builder";

// Form1's layout, designed in twips, at 15 twips per pixel (96 dpi).
constexpr int form_w = 280, form_h = 179;
constexpr int label_x = 64, label_y = 64, label_w = 177, label_h = 53;
constexpr int label_px = 32;  // 24 point
// A Helvetica-wide bold face: fontconfig finds one among the common metric
// clones; the wider default sans would run past the label's right edge.
// FLTK reads the leading "B" as bold.
constexpr Fl_Font label_font = FL_FREE_FONT;
constexpr const char* label_face = "BHelvetica";

// FLTK's own connect ends the process when the display refuses, so the
// display is opened here first and only a working one is handed over.
bool connect() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return false;
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return false;
  fl_open_display(display);
  return true;
}

class form_window : public Fl_Window {
 public:
  form_window() : Fl_Window(form_w, form_h, "Form1") {
    Fl::set_font(label_font, label_face);
    auto* label = new Fl_Box(label_x, label_y, label_w, label_h, "Attendere");
    label->box(FL_NO_BOX);
    label->labelfont(label_font);
    label->labelsize(label_px);
    label->labelcolor(FL_BLACK);
    label->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
    end();
    xclass(program_name);
  }
  bool drawn() const { return drawn_; }

 protected:
  void draw() override {
    Fl_Window::draw();
    drawn_ = true;
  }

 private:
  bool drawn_ = false;
};

class fltk_wait_window : public wait_window {
 public:
  fltk_wait_window() : form_(std::make_unique<form_window>()) {
    form_->show();
    // FLTK draws a window only after the server's first expose, so the few
    // events up to it are handled here; none are handled afterwards, and
    // the window stays as drawn until the program ends. The bound keeps a
    // window manager that never shows it from stopping the run.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!form_->drawn() && std::chrono::steady_clock::now() < give_up) Fl::wait(0.02);
    Fl::flush();
    XSync(fl_display, False);
  }
  ~fltk_wait_window() override { close(); }

  void close() override {
    if (!form_) return;
    form_->hide();
    form_.reset();
    XSync(fl_display, False);
  }

 private:
  std::unique_ptr<form_window> form_;
};

// FLTK reads "@" as the start of a symbol; doubled, it prints as itself.
std::string plain_label(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '@') out += '@';
  }
  return out;
}

void hide_box(Fl_Widget*, void* window) { static_cast<Fl_Window*>(window)->hide(); }

bool desktop_available() {
  static const bool available = connect();
  return available;
}

std::unique_ptr<wait_window> desktop_wait_window() { return std::make_unique<fltk_wait_window>(); }

void desktop_message_box(const std::string& text) {
  constexpr int margin = 20, button_w = 80, button_h = 25, text_size = 14;
  const std::string label = plain_label(text);
  fl_font(FL_HELVETICA, text_size);
  int text_w = 0, text_h = 0;
  fl_measure(label.c_str(), text_w, text_h, 0);
  const int w = std::max(text_w + 2 * margin, button_w + 2 * margin + 80);
  const int h = margin + text_h + margin + button_h + margin / 2;

  Fl_Window box(w, h, program_name);
  // The label keeps 3 pixels clear on its left.
  auto* message = new Fl_Box(margin - 3, margin, text_w + 6, text_h);
  message->box(FL_NO_BOX);
  message->copy_label(label.c_str());
  message->labelfont(FL_HELVETICA);
  message->labelsize(text_size);
  message->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  auto* ok = new Fl_Button((w - button_w) / 2, h - margin / 2 - button_h, button_w, button_h, "OK");
  ok->shortcut(FL_Enter);
  ok->callback(hide_box, &box);
  box.end();
  box.xclass(program_name);
  box.set_modal();
  // Closing the box from the title bar or with Escape counts as OK.
  box.callback(hide_box, &box);
  box.show();
  while (box.shown()) Fl::wait();
  XSync(fl_display, False);
}

}  // namespace

}  // namespace sb

const sb::desktop_face* sb_desktop_face() {
  static const sb::desktop_face face{sb::desktop_available, sb::desktop_wait_window, sb::desktop_message_box};
  return &face;
}
