#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace sb {

io_result file_system::write_file(const std::string& path, std::string_view bytes) {
  const file_to_write one{path, [bytes](byte_sink& out) { out.append(bytes); }};
  return write_files(std::span<const file_to_write>(&one, 1));
}

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

// Writes every piece to an open file, one write call per piece; remembers
// the first failure and drops whatever comes after it.
class fd_sink : public byte_sink {
 public:
  explicit fd_sink(int fd) : fd_(fd) {}
  void append(std::string_view bytes) override {
    size_t done = 0;
    while (err_ == 0 && done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno != EINTR) err_ = errno;
        continue;
      }
      done += static_cast<size_t>(n);
    }
  }
  int error() const { return err_; }

 private:
  int fd_;
  int err_ = 0;
};

// One new content, complete in its temporary file.
struct staged {
  std::string temp;
  std::string target;
};

void remove_staged(const std::vector<staged>& files) {
  for (const staged& s : files) ::unlink(s.temp.c_str());
}

// Writes the content into a fresh temporary beside the target.
io_result stage(const file_to_write& f, std::vector<staged>& done) {
  // A folder standing where the file should be is refused before anything
  // is written (rename would replace an empty folder on some systems).
  struct stat st;
  if (::stat(f.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return io_result::failure(f.path, reason(EISDIR));

  std::string temp = join_path(folder_of(f.path), "." + base_of(f.path) + ".XXXXXX");
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return io_result::failure(f.path, reason(errno));
  done.push_back({temp, f.path});

  int err = ::fchmod(fd, default_file_mode()) == 0 ? 0 : errno;
  if (err == 0) {
    fd_sink sink(fd);
    f.content(sink);
    err = sink.error();
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) return io_result::failure(f.path, reason(err));
  return io_result::success();
}

}  // namespace

std::string join_path(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

io_result disk_file_system::read_file(const std::string& path, std::string& contents) {
  contents.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    if (err == ENOENT) return io_result::missing(path, reason(err));
    return io_result::failure(path, reason(err));
  }
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

io_result disk_file_system::write_files(std::span<const file_to_write> files) {
  std::vector<staged> ready;
  for (const file_to_write& f : files) {
    if (io_result r = stage(f, ready); !r) {
      remove_staged(ready);
      return r;
    }
  }
  // Every new content is whole: only now are the old files replaced.
  for (size_t i = 0; i < ready.size(); ++i) {
    if (::rename(ready[i].temp.c_str(), ready[i].target.c_str()) != 0) {
      const int err = errno;
      remove_staged(std::vector<staged>(ready.begin() + static_cast<std::ptrdiff_t>(i), ready.end()));
      return io_result::failure(ready[i].target, reason(err));
    }
  }
  return io_result::success();
}

io_result disk_file_system::remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0) {
    const int err = errno;
    if (err == ENOENT) return io_result::missing(path, reason(err));
    return io_result::failure(path, reason(err));
  }
  return io_result::success();
}

}  // namespace sb
