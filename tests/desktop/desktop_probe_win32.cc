// Test driver for the Windows face of the desktop, run under Wine: makes the
// product's own calls and reports what Windows holds, one fact per line on
// stdout, so that a script can check it and then act on the X display.
//
//   desktop_probe window      show the wait window, report it, close it
//                             when stdin ends
//   desktop_probe build DIR   the plain run's compile-and-report over the
//                             texts in DIR, under the wait window
//   desktop_probe box-text    waits for the program's message box, shown
//                             by any process, and reports its text
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <iostream>
#include <string>

#include "app/plain_run.h"
#include "platform/desktop.h"
#include "platform/file_system.h"

namespace {

BOOL CALLBACK report_child(HWND child, LPARAM) {
  wchar_t kind[64] = L"", text[256] = L"";
  ::GetClassNameW(child, kind, 64);
  ::GetWindowTextW(child, text, 256);
  RECT r;
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  LOGFONTW font{};
  if (HFONT f = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0))) ::GetObjectW(f, sizeof font, &font);
  // The text's size in the font the child draws it in.
  SIZE extent{};
  HDC dc = ::GetDC(child);
  const HGDIOBJ before = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)));
  ::GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &extent);
  ::SelectObject(dc, before);
  ::ReleaseDC(child, dc);
  std::printf("child %ls %ld %ld %ld %ld font [%ls] height %ld weight %ld text [%ls] extent %ld %ld\n", kind, r.left,
              r.top, r.right - r.left, r.bottom - r.top, font.lfFaceName, font.lfHeight, font.lfWeight, text, extent.cx,
              extent.cy);
  return TRUE;
}

// A box's text, one line a line of it.
BOOL CALLBACK report_box_text(HWND child, LPARAM) {
  wchar_t kind[64] = L"", text[1024] = L"";
  ::GetClassNameW(child, kind, 64);
  if (std::wcscmp(kind, L"Static") != 0 || ::GetWindowTextW(child, text, 1024) == 0) return TRUE;
  std::printf("text [%ls]\n", text);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "window") {
    const auto window = sb::show_wait_window(sb::desktop_use::when_available);
    HWND form = ::FindWindowW(L"Form1", L"Form1");
    if (form == nullptr) {
      std::printf("console\n");
      return 0;
    }
    RECT client;
    ::GetClientRect(form, &client);
    HDC screen = ::GetDC(nullptr);
    std::printf("window %ld %ld dpi %d visible %d\n", client.right, client.bottom, ::GetDeviceCaps(screen, LOGPIXELSY),
                ::IsWindowVisible(form) ? 1 : 0);
    ::ReleaseDC(nullptr, screen);
    ::EnumChildWindows(form, report_child, 0);
    std::printf("end\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    window->close();
    std::printf("closed %d\n", ::FindWindowW(L"Form1", L"Form1") == nullptr ? 1 : 0);
    return 0;
  }
  if (mode == "box-text") {
    // Waits for the program's box, of any process, and tells its text.
    for (int tries = 0; tries < 300; ++tries) {
      if (HWND box = ::FindWindowW(L"#32770", L"scenario-builder")) {
        ::EnumChildWindows(box, report_box_text, 0);
        return 0;
      }
      ::Sleep(100);
    }
    std::printf("no box\n");
    return 1;
  }
  if (mode == "build" && argc == 3) {
    const auto window = sb::show_wait_window(sb::desktop_use::when_available);
    sb::scenario_model model;
    model.route_name = "Ortesa-Vildoro";
    model.train_number = "418";
    sb::disk_file_system fs;
    return sb::to_int(sb::compile_and_report(model, fs, argv[2], std::cerr, sb::desktop_use::when_available));
  }
  std::fprintf(stderr, "usage: desktop_probe window | build DIR\n");
  return 2;
}
