// The disk on Windows: the same promises as on POSIX, on the Win32 API.
// A new content goes to a temporary in the target's folder, is flushed to
// the disk and then moved over the target; names are UTF-8 inside and
// UTF-16 at every call.
#include <windows.h>
#include <io.h>

#include <cerrno>

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

// A file another program opened without sharing: the simulator, most
// likely, which holds its scenario's files while it runs.
io_result move_failed(const std::string& path, DWORD err) {
  if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION)
    return {io_result::state::failed, path + " is open in another program (is the simulator running?)"};
  return io_result::failure(path, reason(err));
}

// MOVEFILE_WRITE_THROUGH returns once the move is on the disk.
io_result move_file(const std::string& from, const std::string& to, DWORD through) {
  if (!::MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | through))
    return move_failed(to, ::GetLastError());
  return io_result::success();
}

io_result face::move_over(const std::string& from, const std::string& to) {
  return move_file(from, to, MOVEFILE_WRITE_THROUGH);
}

// A transient file's move need not wait for the disk. A file kept with the
// next set is moved through all the same: Windows has no folder to sync
// later.
io_result face::replace(const staged_file& s) {
  return move_file(s.temp, s.target, s.keep == durability::transient ? 0 : MOVEFILE_WRITE_THROUGH);
}

void face::discard(const staged_file& s) { ::DeleteFileW(widen(s.temp).c_str()); }

// Each move was written through: the folders have nothing left to sync.
io_result face::finish(std::span<const staged_file>) { return io_result::success(); }

// Moved, not linked: a file held without sharing refuses the move, so the
// set stops before any new file goes in.
io_result face::keep_aside(const std::string& target, const std::string& aside) {
  if (!::MoveFileExW(widen(target).c_str(), widen(aside).c_str(), MOVEFILE_WRITE_THROUGH))
    return move_failed(target, ::GetLastError());
  return io_result::success();
}

bool face::exists(const std::string& path) {
  return ::GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

io_result face::remove(const std::string& path) {
  if (!::DeleteFileW(widen(path).c_str())) {
    const DWORD err = ::GetLastError();
    if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) return io_result::failure(path, reason(err));
  }
  return io_result::success();
}

io_result face::sync_folder(const std::string&) { return io_result::success(); }

std::vector<std::string> face::folder_names(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(widen(join_path(folder, "*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(win32::narrow(found.cFileName));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

std::string face::base_name(const std::string& path) { return base_of(path); }

namespace {

// Runs in one folder take turns on a mutex named after the folder's full
// path, upper-cased as Windows compares names; the name is a digest, since
// a mutex name may not hold a backslash and is bounded in length.
class mutex_slot : public face::lock_slot {
 public:
  mutex_slot(HANDLE m, std::string folder) : m_(m), folder_(std::move(folder)) {}
  ~mutex_slot() override {
    release();
    ::CloseHandle(m_);
  }
  // Readers take the same mutex as writers: they take turns too.
  outcome try_take(bool, io_result& failure) override {
    // A holder that died leaves the mutex abandoned: it is ours all the same.
    const DWORD waited = ::WaitForSingleObject(m_, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
      held_ = true;
      return outcome::taken;
    }
    if (waited == WAIT_TIMEOUT) return outcome::busy;
    failure = io_result::failure(folder_, reason(::GetLastError()));
    return outcome::failed;
  }
  void release() override {
    if (held_) ::ReleaseMutex(m_);
    held_ = false;
  }
  // A mutex does not tell who holds it.
  std::string holder() override { return {}; }

 private:
  HANDLE m_;
  std::string folder_;
  bool held_ = false;
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

int close_standard_output() { return ::_close(1) == 0 ? 0 : errno; }

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

std::unique_ptr<face::lock_slot> face::open_lock(const std::string& at, io_result& failure) {
  const std::wstring wide = widen(at);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    failure = failed(at, ::GetLastError());
    return nullptr;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    failure = io_result::failure(at, "Not a directory");
    return nullptr;
  }
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) {
      failure = io_result::failure(at, reason(::GetLastError()));
      return nullptr;
    }
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  HANDLE m = ::CreateMutexW(nullptr, FALSE, mutex_name(full).c_str());
  if (m == nullptr) {
    failure = io_result::failure(at, reason(::GetLastError()));
    return nullptr;
  }
  return std::make_unique<mutex_slot>(m, at);
}

}  // namespace sb
