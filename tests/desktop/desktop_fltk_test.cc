// The window and the message box on a real X display (Xvfb in CI). The
// tests skip themselves where no display answers or the X tools are missing.
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "builder/compile_step.h"
#include "platform/file_system.h"
#include "platform/desktop.h"
#include "support/memory_file_system.h"
#include "support/test_support.h"

namespace sb::test {
namespace {

using namespace std::chrono_literals;

struct shell_result {
  int status = -1;
  std::string out;
};

// This process's display, passed on to a program that must reach it.
env_changes on_the_display() {
  const char* display = std::getenv("DISPLAY");
  return {{"DISPLAY", display ? std::optional<std::string>(display) : std::nullopt}};
}

// Runs a command line made of fixed words and numbers; stderr is dropped.
shell_result shell(const std::string& command) {
  const run_result r = run_program("/bin/sh", {"-c", command}, {}, on_the_display());
  return {r.exit_status, r.out};
}

// Why the desktop tests cannot run here; empty when they can.
std::string desktop_missing() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return "no DISPLAY";
  for (const char* tool : {"xwininfo", "xprop", "xdotool", "import"})
    if (shell(std::string("command -v ") + tool).status != 0) return std::string(tool) + " is missing";
  if (shell("xwininfo -root").status != 0) return std::string("display ") + display + " does not answer";
  return {};
}

#define SKIP_WITHOUT_DESKTOP()                              \
  do {                                                      \
    const std::string why = desktop_missing();              \
    if (!why.empty()) GTEST_SKIP() << "desktop: " << why;   \
  } while (0)

const char* const probe_path = SB_DESKTOP_PROBE;

// One widget as the probe reports it.
struct widget {
  std::string kind;  // "text" or "button"
  int x = 0, y = 0, w = 0, h = 0;
  std::string font;
  int size = 0;
  bool image = false;
  std::string label;
};

// A window as the probe reports it, from inside the toolkit.
struct window_report {
  std::string what;  // "window", "box", or "console" when none was shown
  unsigned long xid = 0;
  int w = 0, h = 0;
  std::string title;
  bool modal = false;
  std::vector<widget> widgets;
};

std::string bracketed(const std::string& line, const std::string& key) {
  const size_t start = line.find(key + " [");
  if (start == std::string::npos) return {};
  const size_t from = start + key.size() + 2;
  const size_t end = key == "label" ? line.rfind(']') : line.find(']', from);
  return end == std::string::npos || end < from ? std::string() : line.substr(from, end - from);
}

// A program running beside the test, with a pipe to its stdin and one from
// its stdout; killed if the test leaves it running.
class probe_run {
 public:
  explicit probe_run(const std::vector<std::string>& args, const std::string& program = probe_path)
      : child_(program, args, talking()) {}

  // The next line of output; none when the probe ends or stays silent.
  std::optional<std::string> line(std::chrono::milliseconds patience) {
    const auto until = std::chrono::steady_clock::now() + patience;
    for (;;) {
      const size_t nl = pending_.find('\n');
      if (nl != std::string::npos) {
        std::string l = pending_.substr(0, nl);
        pending_.erase(0, nl + 1);
        return l;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          until - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      pollfd p{child_.output(), POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
      char buf[1024];
      const ssize_t n = ::read(child_.output(), buf, sizeof buf);
      if (n <= 0) return std::nullopt;
      pending_.append(buf, static_cast<size_t>(n));
    }
  }

  // Reads one report, up to its "end" line.
  window_report report(std::chrono::milliseconds patience = 10s) {
    window_report r;
    while (auto l = line(patience)) {
      std::istringstream in(*l);
      std::string word;
      in >> word;
      if (word == "console") {
        r.what = word;
        break;
      }
      if (word == "end") break;
      if (word == "window" || word == "box") {
        r.what = word;
        in >> r.xid >> r.w >> r.h;
      } else if (word == "title") {
        r.title = l->substr(6);
      } else if (word == "modal") {
        in >> r.modal;
      } else if (word == "text" || word == "button") {
        widget w;
        w.kind = word;
        in >> w.x >> w.y >> w.w >> w.h;
        w.font = bracketed(*l, "font");
        const size_t size_at = l->find(" size ");
        if (size_at != std::string::npos) w.size = std::atoi(l->c_str() + size_at + 6);
        w.image = l->find(" image 1 ") != std::string::npos;
        w.label = bracketed(*l, "label");
        r.widgets.push_back(w);
      }
    }
    return r;
  }

  bool running() { return !child_.status(); }

  void close_stdin() { child_.close_input(); }

  // The exit status; -1 when the probe had to be killed.
  int wait(std::chrono::milliseconds patience = 10s) {
    const auto until = std::chrono::steady_clock::now() + patience;
    while (running() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(20ms);
    return child_.status().value_or(-1);
  }

 private:
  static run_options talking() {
    run_options o;
    o.env = on_the_display();
    o.talk = true;
    return o;
  }

  child_program child_;
  std::string pending_;
};

struct rgb_image {
  int w = 0, h = 0;
  std::string pixels;  // 3 bytes a pixel, rows top down
  int luma(int x, int y) const {
    const auto* p = reinterpret_cast<const unsigned char*>(pixels.data()) + 3 * (y * w + x);
    return (299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000;
  }
};

// Binary PPM (P6, 8 bits), as `import` writes it.
std::optional<rgb_image> read_ppm(const std::string& bytes) {
  std::istringstream in(bytes);
  std::string magic;
  int maxval = 0;
  rgb_image img;
  in >> magic >> img.w >> img.h >> maxval;
  if (magic != "P6" || maxval != 255 || img.w <= 0 || img.h <= 0) return std::nullopt;
  in.get();
  img.pixels.resize(static_cast<size_t>(3 * img.w * img.h));
  if (!in.read(img.pixels.data(), static_cast<std::streamsize>(img.pixels.size()))) return std::nullopt;
  return img;
}

std::string xid_text(unsigned long xid) { return std::to_string(xid); }

// The caption the X server holds for a window.
std::string caption(unsigned long xid) { return shell("xprop -id " + xid_text(xid) + " WM_NAME").out; }

int xwininfo_value(unsigned long xid, const std::string& key) {
  const std::string info = shell("xwininfo -id " + xid_text(xid)).out;
  const size_t at = info.find(key + ":");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + key.size() + 1);
}

TEST(DesktopTest, WaitWindowShowsAttendereInForm1UntilClosed) {
  SKIP_WITHOUT_DESKTOP();
  probe_run probe({"window"});
  const window_report r = probe.report();
  ASSERT_EQ(r.what, "window");

  // What the X server holds: caption and client area.
  EXPECT_NE(caption(r.xid).find("\"Form1\""), std::string::npos) << caption(r.xid);
  EXPECT_EQ(xwininfo_value(r.xid, "Width"), 280);
  EXPECT_EQ(xwininfo_value(r.xid, "Height"), 179);

  // What the toolkit holds: one label, bold, 32 pixels, in its box.
  ASSERT_EQ(r.widgets.size(), 1u);
  const widget& label = r.widgets[0];
  EXPECT_EQ(label.label, "Attendere");
  EXPECT_EQ((std::vector<int>{label.x, label.y, label.w, label.h}), (std::vector<int>{64, 64, 177, 53}));
  ASSERT_FALSE(label.font.empty());
  EXPECT_EQ(label.font[0], 'B') << "not a bold face: " << label.font;
  EXPECT_EQ(label.size, 32);

  // What is on the screen: dark text inside the label's box, on the
  // window's light background, and nothing dark anywhere else.
  const std::string shots = std::string(SB_BUILD_DIR) + "/desktop-shots";
  std::filesystem::create_directories(shots);
  const std::string shot = shots + "/wait_window.ppm";
  std::filesystem::remove(shot);
  // The PNG is for people; the test reads the PPM.
  ASSERT_EQ(shell("import -window " + xid_text(r.xid) + " -depth 8 " + shot).status, 0);
  shell("import -window " + xid_text(r.xid) + " " + shots + "/wait_window.png");
  const auto img = read_ppm(read_bytes(shot));
  ASSERT_TRUE(img) << shot;
  ASSERT_EQ(img->w, 280);
  ASSERT_EQ(img->h, 179);
  const int background = img->luma(5, 5);
  EXPECT_GT(background, 150);
  int dark_inside = 0, light_inside = 0, dark_outside = 0;
  for (int y = 0; y < img->h; ++y) {
    for (int x = 0; x < img->w; ++x) {
      const bool inside = x >= 64 && x < 64 + 177 && y >= 64 && y < 64 + 53;
      const bool dark = img->luma(x, y) < 80;
      if (inside) {
        dark_inside += dark;
        light_inside += img->luma(x, y) == background;
      } else {
        dark_outside += dark;
      }
    }
  }
  EXPECT_GT(dark_inside, 600) << "no text in the label's box; see " << shot;
  EXPECT_GT(light_inside, 177 * 53 / 2) << "the label hides the background; see " << shot;
  EXPECT_EQ(dark_outside, 0) << "text runs out of the label's box; see " << shot;

  probe.close_stdin();
  EXPECT_EQ(probe.line(5s), "closed");
  EXPECT_EQ(probe.wait(), 0);
  EXPECT_NE(shell("xwininfo -id " + xid_text(r.xid)).status, 0) << "the window outlived close()";
}

// The box as it must be: the text as given, one OK button, no icon, the
// program's name as title, modal.
void expect_error_box(const window_report& r, const std::string& text) {
  ASSERT_EQ(r.what, "box");
  EXPECT_NE(caption(r.xid).find("\"scenario-builder\""), std::string::npos) << caption(r.xid);
  EXPECT_TRUE(r.modal);
  ASSERT_EQ(r.widgets.size(), 2u);
  EXPECT_EQ(r.widgets[0].kind, "text");
  EXPECT_EQ(r.widgets[0].label, text);
  EXPECT_EQ(r.widgets[1].kind, "button");
  EXPECT_EQ(r.widgets[1].label, "OK");
  for (const widget& w : r.widgets) EXPECT_FALSE(w.image) << w.label;
}

// Presses OK the way a person would, through the X server.
void press_ok(const window_report& r) {
  ASSERT_EQ(shell("xdotool windowfocus --sync " + xid_text(r.xid) + " key Return").status, 0);
}

TEST(DesktopTest, MessageBoxWaitsUntilConfirmed) {
  SKIP_WITHOUT_DESKTOP();
  struct way {
    const char* name;
    std::string (*command)(const window_report&, const widget&);
  };
  const way ways[] = {
      {"Return",
       [](const window_report& r, const widget&) {
         return "xdotool windowfocus --sync " + xid_text(r.xid) + " key Return";
       }},
      {"Escape",
       [](const window_report& r, const widget&) {
         return "xdotool windowfocus --sync " + xid_text(r.xid) + " key Escape";
       }},
      {"click on OK",
       [](const window_report& r, const widget& b) {
         return "xdotool mousemove --sync --window " + xid_text(r.xid) + " " + std::to_string(b.x + b.w / 2) +
                " " + std::to_string(b.y + b.h / 2) + " click 1";
       }},
  };
  for (const way& w : ways) {
    SCOPED_TRACE(w.name);
    probe_run probe({"box", " Errore n. 1250"});
    const window_report r = probe.report();
    expect_error_box(r, " Errore n. 1250");
    if (r.widgets.size() != 2) continue;
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(probe.running()) << "the box did not wait";
    ASSERT_EQ(shell(w.command(r, r.widgets[1])).status, 0);
    EXPECT_EQ(probe.line(5s), "confirmed");
    EXPECT_EQ(probe.wait(), 0);
  }
}

// A scenario whose only item, a speed indicator at chainage 0, lands in
// cell 1 with a value: the stamping step finds its marker field taken.
const char* const line_text =
    "[generale]\r\n"
    "lunghezza percorso,    20000\r\n"
    "[indicazioni]\r\n"
    "indicatori_vmax, 0,  140,  155,  160,  0,  140,  155,  160,  0\r\n"
    "[fine]\r\n";
const char* const train_text =
    "[generale]\r\n"
    "numero vetture,    10\r\n"
    "[vel_limite]\r\n"
    "velocita,  0,    100\r\n"
    "[fine]\r\n";

TEST(DesktopTest, Error1250ShowsTheBoxAndEndsWithoutCompiledFiles) {
  SKIP_WITHOUT_DESKTOP();
  {
    test::memory_file_system mem;
    mem.files[join_path("m", "Ortesa-Vildoro_linea.txt")] = line_text;
    mem.files[join_path("m", "Ortesa-Vildoro_418-.txt")] = train_text;
    scenario_model model;
    model.route_name = "Ortesa-Vildoro";
    model.train_number = "418";
    const compile_result built = memorizza_percorso(model, 1, mem, "m", write_policy::always);
    ASSERT_TRUE(built.error);
    ASSERT_EQ(built.error->code, error::marker_in_use);
  }
  temp_folder dir;
  write_bytes(dir.file("Ortesa-Vildoro_linea.txt"), line_text);
  write_bytes(dir.file("Ortesa-Vildoro_418-.txt"), train_text);

  probe_run probe({"build", dir.path()});
  const window_report r = probe.report();
  expect_error_box(r, " Errore n. 1250");
  press_ok(r);
  EXPECT_EQ(probe.wait(), 1);
  for (const std::string& name : list_folder(dir.path())) {
    EXPECT_FALSE(name.ends_with(".sim") || name.ends_with(".dat")) << name;
  }
}

// With a display the plain run shows its window, draws it, works without
// waiting for anyone and ends as it does on the console.
TEST(DesktopTest, PlainRunUnderTheDisplayEndsByItself) {
  SKIP_WITHOUT_DESKTOP();
  temp_folder with_display, without_display;
  probe_run shown({"--dir", with_display.path()}, program_path());
  const int shown_status = shown.wait(30s);
  ASSERT_NE(shown_status, -1) << "the run did not end by itself";
  const run_result console =
      run_program(program_path(), {"--dir", without_display.path()}, {}, {{"DISPLAY", std::nullopt}});
  EXPECT_EQ(shown_status, console.exit_status);
  EXPECT_EQ(list_folder(with_display.path()), list_folder(without_display.path()));
}

// A run kept to the console shows nothing even where a display answers:
// no window appears, and the box's text goes to stderr without waiting.
TEST(DesktopTest, ConsoleOnlyStaysInTheConsole) {
  SKIP_WITHOUT_DESKTOP();
  testing::internal::CaptureStderr();
  const auto window = show_wait_window(desktop_use::console_only);
  const std::string found = shell("xdotool search --name '^Form1$'").out;
  show_message_box(" Errore n. 1251", desktop_use::console_only);
  window->close();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), " Errore n. 1251\n");
  EXPECT_EQ(found, "");
}

}  // namespace
}  // namespace sb::test
