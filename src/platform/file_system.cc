#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sb {

namespace {

std::string reason(int err) { return std::strerror(err); }

std::string folder_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string base_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode an ordinary new file gets: 0666 less the umask.
mode_t default_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool write_all(int fd, std::string_view bytes, int& err) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string join_path(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool disk_file_system::exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

io_result disk_file_system::read_file(const std::string& path, std::string& contents) {
  contents.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return io_result::failure(path, reason(errno));
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return io_result::failure(path, reason(EISDIR));
  }
  if (st.st_size > 0) contents.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return io_result::failure(path, reason(err));
    }
    contents.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return io_result::success();
}

io_result disk_file_system::write_file(const std::string& path, std::string_view bytes) {
  // A folder standing where the file should be is refused before anything
  // is written (rename would replace an empty folder on some systems).
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return io_result::failure(path, reason(EISDIR));

  std::string temp = join_path(folder_of(path), "." + base_of(path) + ".XXXXXX");
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return io_result::failure(path, reason(errno));

  int err = 0;
  bool ok = ::fchmod(fd, default_file_mode()) == 0 || (err = errno, false);
  ok = ok && write_all(fd, bytes, err);
  if (::close(fd) != 0 && ok) {
    err = errno;
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    err = errno;
    ok = false;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return io_result::failure(path, reason(err));
  }
  return io_result::success();
}

io_result disk_file_system::remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return io_result::failure(path, reason(errno));
  return io_result::success();
}

bool memory_file_system::exists(const std::string& path) { return files.count(path) != 0; }

io_result memory_file_system::read_file(const std::string& path, std::string& contents) {
  const auto it = files.find(path);
  if (it == files.end()) return io_result::failure(path, reason(ENOENT));
  contents = it->second;
  return io_result::success();
}

io_result memory_file_system::write_file(const std::string& path, std::string_view bytes) {
  files[path] = std::string(bytes);
  return io_result::success();
}

io_result memory_file_system::remove_file(const std::string& path) {
  if (files.erase(path) == 0) return io_result::failure(path, reason(ENOENT));
  return io_result::success();
}

}  // namespace sb
