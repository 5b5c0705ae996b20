// Test driver for the desktop face: runs the product's own calls and, from
// inside the toolkit, reports what is on the screen, one fact per line on
// stdout, so that a test can check it and then act on the display.
//
//   desktop_probe window        show the wait window, report it, close it
//                               when stdin ends
//   desktop_probe box TEXT      show TEXT in the message box; "confirmed"
//                               once it returns
//   desktop_probe build DIR     the plain run's compile-and-report over the
//                               texts in DIR, under the wait window
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "app/plain_run.h"
#include "platform/file_system.h"
#include "platform/desktop.h"

namespace {

void report_widgets(Fl_Window* w, const char* what) {
  std::printf("%s %lu %d %d\n", what, static_cast<unsigned long>(fl_xid(w)), w->w(), w->h());
  std::printf("title %s\n", w->label() ? w->label() : "");
  std::printf("modal %d\n", w->modal() ? 1 : 0);
  for (int i = 0; i < w->children(); ++i) {
    const Fl_Widget* c = w->child(i);
    const char* kind = dynamic_cast<const Fl_Button*>(c) ? "button" : "text";
    std::printf("%s %d %d %d %d font [%s] size %d image %d label [%s]\n", kind, c->x(), c->y(),
                c->w(), c->h(), Fl::get_font(c->labelfont()), c->labelsize(), c->image() ? 1 : 0,
                c->label() ? c->label() : "");
  }
  std::printf("end\n");
  std::fflush(stdout);
}

Fl_Window* find_window(const char* title) {
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w))
    if (w->label() && std::strcmp(w->label(), title) == 0) return w;
  return nullptr;
}

// Reports the message box once it is on the screen.
void watch_for_box(void*) {
  Fl_Window* box = find_window("scenario-builder");
  if (box && box->shown() && box->visible()) return report_widgets(box, "box");
  Fl::repeat_timeout(0.05, watch_for_box);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "window") {
    const auto window = sb::show_wait_window(sb::desktop_use::when_available);
    Fl_Window* form = find_window("Form1");
    if (!form) {
      std::printf("console\n");
      return 0;
    }
    report_widgets(form, "window");
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    window->close();
    std::printf("closed\n");
    return 0;
  }
  if (mode == "box" && argc == 3) {
    Fl::add_timeout(0.05, watch_for_box);
    sb::show_message_box(argv[2], sb::desktop_use::when_available);
    std::printf("confirmed\n");
    return 0;
  }
  if (mode == "build" && argc == 3) {
    Fl::add_timeout(0.05, watch_for_box);
    const auto window = sb::show_wait_window(sb::desktop_use::when_available);
    sb::scenario_model model;
    model.route_name = "Ortesa-Vildoro";
    model.train_number = "418";
    sb::disk_file_system fs;
    return sb::to_int(sb::compile_and_report(model, fs, argv[2], std::cerr, sb::desktop_use::when_available));
  }
  std::fprintf(stderr, "usage: desktop_probe window | box TEXT | build DIR\n");
  return 2;
}
