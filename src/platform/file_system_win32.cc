// The disk on Windows: the same promises as on POSIX, on the Win32 API.
// A new content goes to a temporary in the target's folder, is flushed to
// the disk and then moved over the target; names are UTF-8 inside and
// UTF-16 at every call.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/file_system_face.h"
#include "platform/win32_text.h"

namespace sb {

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

const char* const not_regular = "not a regular file";

io_result failed(const std::string& path, DWORD err) {
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return io_result::missing(path, reason(err));
  return io_result::failure(path, reason(err));
}

// Where the folder part of a path ends: after its last separator, or after
// the drive of "C:name"; 0 for a bare name.
size_t folder_end(const std::string& path) {
  const auto sep = path.find_last_of("\\/");
  if (sep != std::string::npos) return sep + 1;
  if (path.size() >= 2 && path[1] == ':') return 2;
  return 0;
}

std::string folder_prefix(const std::string& path) { return path.substr(0, folder_end(path)); }
std::string base_of(const std::string& path) { return path.substr(folder_end(path)); }

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

// Windows tells a name longer than a folder entry may be by no code of its
// own (a missing path, under Wine); POSIX says "File name too long".
bool has_too_long_name(const std::wstring& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = path.size();
    if (end - start > 255) return true;
    start = end + 1;
  }
  return false;
}

const char* const too_long = "File name too long";

// What stands at a path: nothing, or a regular file that may be replaced.
// Folders, devices and read-only files are refused (MoveFileEx would
// refuse a read-only target only after every temporary is written).
io_result check_target(const std::string& path) {
  if (has_too_long_name(widen(path))) return io_result::failure(path, too_long);
  const DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD err = ::GetLastError();
    // Only a missing file in an existing folder is a target to create.
    if (err == ERROR_FILE_NOT_FOUND) return io_result::success();
    return io_result::failure(path, reason(err));
  }
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT))
    return io_result::failure(path, not_regular);
  if (attributes & FILE_ATTRIBUTE_READONLY) return io_result::failure(path, "read-only file");
  return io_result::success();
}

// Removes what killed runs left for this target: the caller holds the
// folder's lock, so no live run owns them.
void remove_leftovers(const std::string& prefix, const std::string& stem) {
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(widen(prefix + stem + "-*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  for (const std::wstring& name : names) ::DeleteFileW((widen(prefix) + name).c_str());
}

// A tail no other live writer uses: the process, a counter and the attempt.
std::string unique_tail(unsigned attempt) {
  static unsigned counter = 0;
  static constexpr char digits[] = "0123456789abcdef";
  uint64_t v = (uint64_t{::GetCurrentProcessId()} << 32) ^ (uint64_t{++counter} << 8) ^ attempt;
  std::string tail;
  for (int shift = 60; shift >= 0; shift -= 4) tail += digits[(v >> shift) & 15];
  return tail;
}

}  // namespace

// Writes the content into a fresh temporary beside the target and flushes
// it to the disk, unless it is transient.
io_result face::stage(const file_to_write& f, std::vector<staged_file>& done) {
  if (io_result r = check_target(f.path); !r) return r;
  const std::string prefix = folder_prefix(f.path);
  const std::string stem = temporary_stem(base_of(f.path));
  remove_leftovers(prefix, stem);

  std::string temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; h == INVALID_HANDLE_VALUE; ++attempt) {
    temp = prefix + stem + "-" + unique_tail(attempt);
    h = ::CreateFileW(widen(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && (::GetLastError() != ERROR_FILE_EXISTS || attempt == 100))
      return io_result::failure(f.path, reason(::GetLastError()));
  }
  handle file(h);
  try {
    done.push_back({temp, f.path, f.keep});
  } catch (const std::bad_alloc&) {
    file.close();
    ::DeleteFileW(widen(temp).c_str());
    throw;
  }

  handle_sink sink(file.get());
  f.content(sink);
  DWORD err = sink.error();
  if (err == 0 && f.keep != durability::transient && !::FlushFileBuffers(file.get())) err = ::GetLastError();
  if (!file.close() && err == 0) err = ::GetLastError();
  if (err != 0) return io_result::failure(f.path, reason(err));
  return io_result::success();
}

// MOVEFILE_WRITE_THROUGH returns once the move is on the disk; a
// transient file's move need not wait for that. A file kept with the next
// set is moved through all the same: Windows has no folder to sync later.
io_result face::replace(const staged_file& s) {
  const DWORD through = s.keep == durability::transient ? 0 : MOVEFILE_WRITE_THROUGH;
  if (!::MoveFileExW(widen(s.temp).c_str(), widen(s.target).c_str(), MOVEFILE_REPLACE_EXISTING | through))
    return io_result::failure(s.target, reason(::GetLastError()));
  return io_result::success();
}

void face::discard(const staged_file& s) { ::DeleteFileW(widen(s.temp).c_str()); }

// Each move was written through: the folders have nothing left to sync.
io_result face::finish(std::span<const staged_file>) { return io_result::success(); }

namespace {

// Runs in one folder take turns on a mutex named after the folder's full
// path, upper-cased as Windows compares names; the name is a digest, since
// a mutex name may not hold a backslash and is bounded in length.
class mutex_holder : public folder_lock {
 public:
  explicit mutex_holder(HANDLE m) : m_(m) {}
  ~mutex_holder() override {
    ::ReleaseMutex(m_);
    ::CloseHandle(m_);
  }

 private:
  HANDLE m_;
};

std::wstring mutex_name(const std::wstring& full_path) {
  std::wstring upper = full_path;
  while (upper.size() > 3 && (upper.back() == L'\\' || upper.back() == L'/')) upper.pop_back();
  for (wchar_t& c : upper) c = c == L'/' ? L'\\' : c;
  if (!upper.empty()) ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  uint64_t h = 0xcbf29ce484222325u;
  for (const wchar_t c : upper) {
    h ^= static_cast<uint16_t>(c);
    h *= 0x100000001b3u;
  }
  static constexpr wchar_t digits[] = L"0123456789abcdef";
  std::wstring name = L"Local\\scenario-builder-folder-";
  for (int shift = 60; shift >= 0; shift -= 4) name += digits[(h >> shift) & 15];
  return name;
}

}  // namespace

disk_file_system::disk_file_system() = default;

std::string folder_of_path(const std::string& path) {
  const size_t end = folder_end(path);
  if (end == 0) return ".";
  // "C:\x" and "\x" keep their root; "C:x" is the drive's current folder.
  if (end == 1 || (end == 3 && path[1] == ':') || (end == 2 && path[1] == ':')) return path.substr(0, end);
  return path.substr(0, end - 1);
}

std::string join_path(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '\\' || folder.back() == '/') return folder + name;
  return folder + "\\" + name;
}

io_result disk_file_system::read_file(const std::string& path, std::string& contents, size_t limit) {
  contents.clear();
  const std::wstring wide = widen(path);
  if (has_too_long_name(wide)) return io_result::failure(path, too_long);
  // Looked at before it is opened: opening a device may wait or act by itself.
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return failed(path, ::GetLastError());
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return io_result::failure(path, not_regular);
  handle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return failed(path, ::GetLastError());
  // Devices and pipes could hand out bytes without end.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return io_result::failure(path, not_regular);
  const auto too_large = [&](uint64_t size) {
    return io_result::failure(path, std::to_string(size) + " bytes, more than the " + std::to_string(limit) +
                                        " bytes such a file may have");
  };
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return io_result::failure(path, reason(::GetLastError()));
  if (static_cast<uint64_t>(size.QuadPart) > limit) return too_large(static_cast<uint64_t>(size.QuadPart));
  try {
    contents.reserve(static_cast<size_t>(size.QuadPart));
    std::vector<char> buffer(1 << 16);
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
        const DWORD err = ::GetLastError();
        contents.clear();
        return io_result::failure(path, reason(err));
      }
      if (n == 0) break;
      // A file that grows while it is read is held to the same limit.
      if (contents.size() + n > limit) {
        const size_t seen = contents.size() + n;
        contents.clear();
        return too_large(seen);
      }
      contents.append(buffer.data(), n);
    }
  } catch (const std::bad_alloc&) {
    contents.clear();
    contents.shrink_to_fit();
    return io_result::failure(path, "out of memory");
  }
  return io_result::success();
}

io_result disk_file_system::remove_file(const std::string& path) {
  if (!::DeleteFileW(widen(path).c_str())) return failed(path, ::GetLastError());
  return io_result::success();
}

locked_folder disk_file_system::lock_folder(const std::string& folder) {
  const std::string at = folder.empty() ? "." : folder;
  const std::wstring wide = widen(at);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {failed(at, ::GetLastError()), nullptr};
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {io_result::failure(at, "Not a directory"), nullptr};
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return {io_result::failure(at, reason(::GetLastError())), nullptr};
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  HANDLE m = ::CreateMutexW(nullptr, FALSE, mutex_name(full).c_str());
  if (m == nullptr) return {io_result::failure(at, reason(::GetLastError())), nullptr};
  // A holder that died leaves the mutex abandoned: it is ours all the same.
  const DWORD waited = ::WaitForSingleObject(m, INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    const DWORD err = ::GetLastError();
    ::CloseHandle(m);
    return {io_result::failure(at, reason(err)), nullptr};
  }
  return {io_result::success(), std::make_unique<mutex_holder>(m)};
}

}  // namespace sb
