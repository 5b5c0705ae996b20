// The disk on Windows: the same promises as on POSIX, on the Win32 API.
// A new content goes to a temporary in the target's folder, is flushed to
// the disk and then moved over the target; names are UTF-8 inside and
// UTF-16 at every call.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32_text.h"

namespace sb {

io_result file_system::write_file(const std::string& path, std::string_view bytes) {
  const file_to_write one{path, [bytes](byte_sink& out) { out.append(bytes); }};
  return write_files(std::span<const file_to_write>(&one, 1));
}

namespace {

using win32::widen;

// The reasons people also read on Linux, where Windows has the same case;
// the system's own words for the rest.
std::string reason(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
      return "Permission denied";
    case ERROR_WRITE_PROTECT:
      return "Read-only file system";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";
    case ERROR_FILENAME_EXCED_RANGE:
      return "File name too long";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "in use by another program";
    case ERROR_DIRECTORY:
      return "Not a directory";
    default:
      break;
  }
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err,
      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string words = n != 0 ? win32::narrow(text) : std::string();
  if (text != nullptr) ::LocalFree(text);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.' || words.back() == ' '))
    words.pop_back();
  return words.empty() ? "error " + std::to_string(err) : words;
}

io_result failed(const std::string& path, DWORD err) {
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return io_result::missing(path, reason(err));
  return io_result::failure(path, reason(err));
}

// The folder part of a path with its separator, empty for a bare name.
std::string folder_prefix(const std::string& path) {
  const auto sep = path.find_last_of("\\/");
  if (sep != std::string::npos) return path.substr(0, sep + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);  // "C:name"
  return {};
}

class handle {
 public:
  explicit handle(HANDLE h) : h_(h) {}
  ~handle() { close(); }
  handle(const handle&) = delete;
  handle& operator=(const handle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  bool close() {
    if (!valid()) return true;
    const bool ok = ::CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

// Writes every piece, in as many calls as Windows needs; remembers the
// first failure and drops whatever comes after it.
class handle_sink : public byte_sink {
 public:
  explicit handle_sink(HANDLE h) : h_(h) {}
  void append(std::string_view bytes) override {
    size_t done = 0;
    while (err_ == 0 && done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
      DWORD n = 0;
      if (!::WriteFile(h_, bytes.data() + done, chunk, &n, nullptr)) {
        err_ = ::GetLastError();
        break;
      }
      done += n;
    }
  }
  DWORD error() const { return err_; }

 private:
  HANDLE h_;
  DWORD err_ = 0;
};

struct staged {
  std::string temp;
  std::string target;
};

void remove_staged(const std::vector<staged>& files) {
  for (const staged& s : files) ::DeleteFileW(widen(s.temp).c_str());
}

// A name no other writer uses: the process and a counter.
std::string temporary_name(const std::string& target, unsigned attempt) {
  static unsigned counter = 0;
  return folder_prefix(target) + ".sb-tmp-" + std::to_string(::GetCurrentProcessId()) + "-" +
         std::to_string(++counter) + "-" + std::to_string(attempt);
}

// Writes the content into a fresh temporary beside the target and flushes
// it to the disk.
io_result stage(const file_to_write& f, std::vector<staged>& done) {
  const std::wstring target = widen(f.path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return io_result::failure(f.path, "Is a directory");
    // MoveFileEx would refuse it only after every temporary is written.
    if (attributes & FILE_ATTRIBUTE_READONLY) return io_result::failure(f.path, "read-only file");
  }

  std::string temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; h == INVALID_HANDLE_VALUE; ++attempt) {
    temp = temporary_name(f.path, attempt);
    h = ::CreateFileW(widen(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && (::GetLastError() != ERROR_FILE_EXISTS || attempt == 100))
      return io_result::failure(f.path, reason(::GetLastError()));
  }
  handle file(h);
  done.push_back({temp, f.path});

  handle_sink sink(file.get());
  f.content(sink);
  DWORD err = sink.error();
  if (err == 0 && !::FlushFileBuffers(file.get())) err = ::GetLastError();
  if (!file.close() && err == 0) err = ::GetLastError();
  if (err != 0) return io_result::failure(f.path, reason(err));
  return io_result::success();
}

}  // namespace

std::string join_path(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '\\' || folder.back() == '/') return folder + name;
  return folder + "\\" + name;
}

io_result disk_file_system::read_file(const std::string& path, std::string& contents) {
  contents.clear();
  const std::wstring wide = widen(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return io_result::failure(path, "Is a directory");
  handle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return failed(path, ::GetLastError());
  // Devices and pipes could hand out bytes without end.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return io_result::failure(path, "not a regular file");
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) contents.reserve(static_cast<size_t>(size.QuadPart));
  std::vector<char> buffer(1 << 16);
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
      const DWORD err = ::GetLastError();
      contents.clear();
      return io_result::failure(path, reason(err));
    }
    if (n == 0) break;
    contents.append(buffer.data(), n);
  }
  return io_result::success();
}

io_result disk_file_system::write_files(std::span<const file_to_write> files) {
  std::vector<staged> ready;
  for (const file_to_write& f : files) {
    if (io_result r = stage(f, ready); !r) {
      remove_staged(ready);
      return r;
    }
  }
  // Every new content is whole and on the disk: only now are the old files
  // replaced.
  for (size_t i = 0; i < ready.size(); ++i) {
    if (!::MoveFileExW(widen(ready[i].temp).c_str(), widen(ready[i].target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      const DWORD err = ::GetLastError();
      remove_staged(std::vector<staged>(ready.begin() + static_cast<std::ptrdiff_t>(i), ready.end()));
      return io_result::failure(ready[i].target, reason(err));
    }
  }
  return io_result::success();
}

io_result disk_file_system::remove_file(const std::string& path) {
  if (!::DeleteFileW(widen(path).c_str())) return failed(path, ::GetLastError());
  return io_result::success();
}

}  // namespace sb
