// Letter case of names on Windows, whose file systems find a file whatever
// the case it is named in.
#include <windows.h>

#include <string>

#include "platform/file_system.h"
#include "platform/win32_text.h"

namespace sb {

std::string disk_file_system::stored_name(const std::string& folder, const std::string& name) {
  // A pattern would find some other file.
  if (name.find_first_of("*?") != std::string::npos) return name;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(win32::widen(join_path(folder, name)).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return name;
  ::FindClose(search);
  return win32::narrow(found.cFileName);
}

}  // namespace sb
