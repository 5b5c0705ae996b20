#include "platform/command_line_win32.h"

namespace sb::win32 {

namespace {

bool blank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool is_option(const std::wstring& arg, std::string_view option) {
  if (arg.size() != option.size()) return false;
  for (size_t i = 0; i < arg.size(); ++i)
    if (arg[i] != static_cast<unsigned char>(option[i])) return false;
  return true;
}

// "--dir=..." so far: the rest of the argument is a path.
bool starts_with_option(const std::wstring& arg, std::string_view option) {
  return arg.size() > option.size() && arg[option.size()] == L'=' &&
         is_option(arg.substr(0, option.size()), option);
}

}  // namespace

std::vector<std::wstring> split_command_line(std::wstring_view line,
                                             std::span<const std::string_view> path_options) {
  std::vector<std::wstring> args;
  size_t i = 0;
  // The program's name: up to the closing quote, or to the first blank;
  // backslashes are plain characters in it.
  std::wstring name;
  if (i < line.size() && line[i] == L'"') {
    for (++i; i < line.size() && line[i] != L'"'; ++i) name += line[i];
    if (i < line.size()) ++i;
  } else {
    for (; i < line.size() && !blank(line[i]); ++i) name += line[i];
  }
  args.push_back(name);
  while (i < line.size() && blank(line[i])) ++i;

  const auto path_value = [&](const std::wstring& so_far) {
    for (const std::string_view option : path_options)
      if (is_option(args.back(), option) || starts_with_option(so_far, option)) return true;
    return false;
  };

  // `quotes` counts the quotes of the current stretch: odd inside quotes;
  // `backslashes` those just before the current character.
  std::wstring arg;
  bool in_arg = false;
  unsigned quotes = 0, backslashes = 0;
  while (i < line.size()) {
    const wchar_t c = line[i];
    if (blank(c) && quotes == 0) {
      args.push_back(arg);
      arg.clear();
      in_arg = false;
      while (i < line.size() && blank(line[i])) ++i;
      backslashes = 0;
      continue;
    }
    in_arg = true;
    if (c == L'\\') {
      arg += c;
      ++backslashes;
      ++i;
    } else if (c == L'"') {
      const bool closes_a_path = (backslashes & 1) != 0 && (quotes & 1) != 0 &&
                                 (i + 1 == line.size() || blank(line[i + 1])) && path_value(arg);
      if (closes_a_path) {
        ++quotes;
      } else if ((backslashes & 1) == 0) {
        // 2n backslashes and a quote: n backslashes, and the quote opens
        // or closes.
        arg.resize(arg.size() - backslashes / 2);
        ++quotes;
      } else {
        // 2n+1 backslashes and a quote: n backslashes and the quote itself.
        arg.resize(arg.size() - backslashes / 2 - 1);
        arg += L'"';
      }
      ++i;
      backslashes = 0;
      // Runs of quotes: every third is a quote character.
      while (i < line.size() && line[i] == L'"') {
        if (++quotes == 3) {
          arg += L'"';
          quotes = 0;
        }
        ++i;
      }
      if (quotes == 2) quotes = 0;
    } else {
      arg += c;
      backslashes = 0;
      ++i;
    }
  }
  if (in_arg) args.push_back(arg);
  return args;
}

}  // namespace sb::win32
