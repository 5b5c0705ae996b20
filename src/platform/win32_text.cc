#include "platform/win32_text.h"

#include <windows.h>

#include <cwchar>

namespace sb::win32 {

std::wstring widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string narrow(const wchar_t* utf16) {
  const size_t len = std::wcslen(utf16);
  if (len == 0) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, utf16, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16, static_cast<int>(len), out.data(), n, nullptr, nullptr);
  return out;
}

std::string narrow(const std::wstring& utf16) { return narrow(utf16.c_str()); }

}  // namespace sb::win32
