#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "platform/command_line_win32.h"
#include "platform/console_win32.h"
#include "platform/program_folder.h"
#include "platform/win32_text.h"

namespace sb {

std::string program_folder() {
  // Long paths (\\?\...) can pass MAX_PATH: grow until the name fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
  const auto sep = buffer.find_last_of(L"\\/");
  if (sep == std::wstring::npos) return {};
  // A program at the root of a drive keeps its separator: "C:\".
  if (sep == 2 && buffer[1] == L':') return win32::narrow(buffer.substr(0, 3));
  return win32::narrow(buffer.substr(0, sep));
}

}  // namespace sb

namespace sb {

std::vector<std::string> program_arguments(int, char**, std::span<const std::string_view> path_options) {
  // main's argv is in the ANSI code page, which cannot hold every name a
  // folder may have; the wide command line can.
  std::vector<std::string> args;
  for (const std::wstring& arg : win32::split_command_line(::GetCommandLineW(), path_options))
    args.push_back(win32::narrow(arg));
  // Text mode would turn every "\n" into CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  win32::write_consoles_in_utf16();
  return args;
}

}  // namespace sb
