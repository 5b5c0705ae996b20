// The window and the message box on Windows, straight on the Win32 API:
// a plain native window, as the simulator's own tools have. The tools for
// authors keep to the console (`desktop_use::console_only`).
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <iostream>
#include <memory>
#include <string>

#include "platform/desktop.h"
#include "platform/win32_text.h"

namespace sb {

namespace {

// Set when the console given up held stderr: a failure's message would
// then reach no one.
bool stderr_given_up = false;

// Form1's layout in twips (1440 to the inch); the label's size is the one
// it takes when its text cannot be measured.
constexpr int form_w = 4200, form_h = 2688;
constexpr int label_x = 960, label_y = 960, label_w = 2652, label_h = 792;
constexpr int label_points = 24;
constexpr wchar_t form_class[] = L"Form1";
constexpr wchar_t label_text[] = L"Attendere";

int system_dpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int pixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

// Started by a double click, a console program gets a console window of its
// own: the plain run gives it up at once, so that only Form1 is seen. From
// cmd or a terminal the console is shared and kept.
void leave_a_console_of_our_own() {
  DWORD ids[2];
  if (::GetConsoleProcessList(ids, 2) != 1) return;
  // A stderr redirected to a file or a pipe stays readable without it.
  DWORD mode = 0;
  stderr_given_up = ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
  ::FreeConsole();
}

// No owner and no icon; the title is the program's name, as on Linux.
// False when no box could be shown.
bool box(const std::string& text) {
  return ::MessageBoxW(nullptr, win32::widen(text).c_str(), L"scenario-builder", MB_OK | MB_TASKMODAL) != 0;
}

void to_stderr(const std::string& text) { std::cerr << text << std::flush; }

LRESULT CALLBACK form_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  // The label is drawn on the form's own colour, as a form's label is.
  if (message == WM_CTLCOLORSTATIC) {
    ::SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
  }
  return ::DefWindowProcW(window, message, w, l);
}

class console_window : public wait_window {
 public:
  void close() override {}
};

class form_window : public wait_window {
 public:
  form_window(HWND form, HFONT font) : form_(form), font_(font) {}
  ~form_window() override { close(); }
  void close() override {
    if (form_ != nullptr) ::DestroyWindow(form_);
    if (font_ != nullptr) ::DeleteObject(font_);
    form_ = nullptr;
    font_ = nullptr;
  }

 private:
  HWND form_;
  HFONT font_;
};

// The label as wide and high as its text in the font it is drawn in, which
// the system may have swapped for a wider one; moved back or cut where it
// would pass the form's client area.
RECT label_place(HFONT font, int dpi) {
  const int client_w = pixels(form_w, dpi), client_h = pixels(form_h, dpi);
  int w = pixels(label_w, dpi), h = pixels(label_h, dpi);
  if (HDC dc = font != nullptr ? ::GetDC(nullptr) : nullptr; dc != nullptr) {
    const HGDIOBJ before = ::SelectObject(dc, font);
    SIZE extent{};
    if (::GetTextExtentPoint32W(dc, label_text, static_cast<int>(std::wcslen(label_text)), &extent)) {
      w = extent.cx;
      h = extent.cy;
    }
    ::SelectObject(dc, before);
    ::ReleaseDC(nullptr, dc);
  }
  w = std::min(w, client_w);
  h = std::min(h, client_h);
  const int x = std::min(pixels(label_x, dpi), client_w - w), y = std::min(pixels(label_y, dpi), client_h - h);
  return RECT{x, y, x + w, y + h};
}

std::unique_ptr<wait_window> open_form() {
  // Without this Windows would draw the window at 96 dpi and stretch it.
  ::SetProcessDPIAware();
  const int dpi = system_dpi();
  HINSTANCE instance = ::GetModuleHandleW(nullptr);

  WNDCLASSEXW form_kind{};
  form_kind.cbSize = sizeof form_kind;
  form_kind.lpfnWndProc = form_procedure;
  form_kind.hInstance = instance;
  form_kind.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  form_kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form_kind.lpszClassName = form_class;
  if (::RegisterClassExW(&form_kind) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

  constexpr DWORD style = WS_OVERLAPPEDWINDOW;
  RECT outer{0, 0, pixels(form_w, dpi), pixels(form_h, dpi)};
  ::AdjustWindowRectEx(&outer, style, FALSE, 0);
  HWND form = ::CreateWindowExW(0, form_class, L"Form1", style, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                                outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
  if (form == nullptr) return nullptr;
  HFONT font = ::CreateFontW(-::MulDiv(label_points, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                             L"MS Sans Serif");
  const RECT place = label_place(font, dpi);
  HWND label = ::CreateWindowExW(0, L"STATIC", label_text, WS_CHILD | WS_VISIBLE | SS_LEFT, place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, form, nullptr, instance, nullptr);
  if (label != nullptr && font != nullptr) ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  // Shown without waiting and painted once; no message is handled after
  // this, so the window stays as drawn until the run ends.
  ::ShowWindow(form, SW_SHOWNORMAL);
  ::UpdateWindow(form);
  if (label != nullptr) ::UpdateWindow(label);
  return std::make_unique<form_window>(form, font);
}

}  // namespace

std::unique_ptr<wait_window> show_wait_window(desktop_use use) {
  if (use == desktop_use::when_available) {
    leave_a_console_of_our_own();
    if (auto form = open_form()) return form;
  }
  return std::make_unique<console_window>();
}

void show_message_box(const std::string& text, desktop_use use) {
  if (use == desktop_use::when_available && box(text)) return;
  to_stderr(text + "\n");
}

void tell_failure(const std::string& text) {
  if (stderr_given_up) {
    std::string shown = text;
    while (!shown.empty() && shown.back() == '\n') shown.pop_back();
    if (box(shown)) return;
  }
  to_stderr(text);
}

}  // namespace sb
