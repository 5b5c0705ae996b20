// Names are UTF-8 inside the program and UTF-16 at every Windows call.
#pragma once

#include <string>

namespace sb::win32 {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);
std::string narrow(const wchar_t* utf16);

}  // namespace sb::win32
