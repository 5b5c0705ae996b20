// The file system on POSIX: new contents are staged in temporaries beside
// their targets, synced, renamed over them in order, and the folder synced
// (each as far as the file's durability asks).
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <new>
#include <set>
#include <vector>

#include "platform/file_system.h"
#include "platform/file_system_face.h"

namespace sb {

namespace {

std::string reason(int err) { return std::strerror(err); }

const char* const not_regular = "not a regular file";

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

// Closes on every way out.
class fd_holder {
 public:
  explicit fd_holder(int fd) : fd_(fd) {}
  fd_holder(const fd_holder&) = delete;
  fd_holder& operator=(const fd_holder&) = delete;
  ~fd_holder() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and tells whether that went well.
  int close_now() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Writes every piece to an open file; remembers the first failure and
// drops whatever comes after it.
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

// A target may be replaced only when it is missing or a regular file that
// may be written. Names the system refuses (too long, a file where a
// folder should be) fail here, before anything is written.
io_result check_target(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return io_result::success();
    return io_result::failure(path, reason(errno));
  }
  if (!S_ISREG(st.st_mode)) return io_result::failure(path, not_regular);
  // Write bits gone, or the system refuses to write: as the simulator's
  // platform does with its read-only attribute, we leave it alone.
  const bool read_only = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                         (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES);
  if (read_only) return io_result::failure(path, "read-only file");
  return io_result::success();
}

// Removes what killed runs left for this target: the caller holds the
// folder's lock, so no live run owns them.
void remove_leftovers(const std::string& folder, const std::string& stem) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::string start = stem + "-";
  std::vector<std::string> found;
  while (const dirent* e = ::readdir(dir)) {
    if (std::strncmp(e->d_name, start.c_str(), start.size()) == 0) found.push_back(e->d_name);
  }
  ::closedir(dir);
  for (const std::string& name : found) ::unlink(join_path(folder, name).c_str());
}

}  // namespace

io_result face::stage(const file_to_write& f, std::vector<staged_file>& done) {
  if (io_result r = check_target(f.path); !r) return r;
  const std::string folder = folder_of(f.path);
  const std::string stem = temporary_stem(base_of(f.path));
  remove_leftovers(folder, stem);

  std::string temp = join_path(folder, stem + "-XXXXXX");
  const int raw = ::mkostemp(temp.data(), O_CLOEXEC);
  if (raw < 0) return io_result::failure(f.path, reason(errno));
  fd_holder fd(raw);
  try {
    done.push_back({temp, f.path, f.keep});
  } catch (const std::bad_alloc&) {
    ::unlink(temp.c_str());
    throw;
  }

  int err = ::fchmod(fd.get(), default_file_mode()) == 0 ? 0 : errno;
  if (err == 0) {
    fd_sink sink(fd.get());
    f.content(sink);
    err = sink.error();
  }
  if (err == 0 && f.keep != durability::transient && ::fsync(fd.get()) != 0) err = errno;
  if (const int closed = fd.close_now(); err == 0) err = closed;
  if (err != 0) return io_result::failure(f.path, reason(err));
  return io_result::success();
}

namespace {

// The renames are durable only once the folder's entries are on disk.
int sync_folder(const std::string& folder) {
  const int raw = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (raw < 0) return errno;
  fd_holder fd(raw);
  // Some file systems cannot sync a folder; the data is synced all the same.
  if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) return errno;
  return 0;
}

class flock_holder : public folder_lock {
 public:
  explicit flock_holder(int fd) : fd_(fd) {}
  ~flock_holder() override { ::close(fd_); }  // closing releases the lock

 private:
  int fd_;
};

}  // namespace

disk_file_system::disk_file_system() {
  // A size limit (ulimit -f) then fails the write with EFBIG, "File too
  // large", which is reported, and the temporary removed, instead of the
  // signal killing the run with the temporary left behind.
  std::signal(SIGXFSZ, SIG_IGN);
}

std::string folder_of_path(const std::string& path) { return folder_of(path); }

std::string join_path(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

io_result disk_file_system::read_file(const std::string& path, std::string& contents, size_t limit) {
  contents.clear();
  // Looked at before it is opened: opening a device or a pipe may wait or
  // act by itself.
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    const int err = errno;
    if (err == ENOENT) return io_result::missing(path, reason(err));
    return io_result::failure(path, reason(err));
  }
  if (!S_ISREG(st.st_mode)) return io_result::failure(path, not_regular);
  const int raw = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (raw < 0) {
    const int err = errno;
    if (err == ENOENT) return io_result::missing(path, reason(err));
    return io_result::failure(path, reason(err));
  }
  fd_holder fd(raw);
  // It may have been swapped for something else in between.
  if (::fstat(fd.get(), &st) != 0) return io_result::failure(path, reason(errno));
  if (!S_ISREG(st.st_mode)) return io_result::failure(path, not_regular);
  const auto too_large = [&](uint64_t size) {
    return io_result::failure(path, std::to_string(size) + " bytes, more than the " + std::to_string(limit) +
                                        " bytes such a file may have");
  };
  if (static_cast<uint64_t>(st.st_size) > limit) return too_large(static_cast<uint64_t>(st.st_size));
  try {
    contents.reserve(static_cast<size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
      const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        contents.clear();
        return io_result::failure(path, reason(err));
      }
      // A file that grows while it is read is held to the same limit.
      if (contents.size() + static_cast<size_t>(n) > limit) {
        const size_t seen = contents.size() + static_cast<size_t>(n);
        contents.clear();
        return too_large(seen);
      }
      contents.append(buffer, static_cast<size_t>(n));
    }
  } catch (const std::bad_alloc&) {
    contents.clear();
    contents.shrink_to_fit();
    return io_result::failure(path, "out of memory");
  }
  return io_result::success();
}

io_result face::replace(const staged_file& s) {
  if (::rename(s.temp.c_str(), s.target.c_str()) != 0) return io_result::failure(s.target, reason(errno));
  return io_result::success();
}

void face::discard(const staged_file& s) { ::unlink(s.temp.c_str()); }

io_result face::finish(std::span<const staged_file> replaced) {
  std::set<std::string> folders;
  for (const staged_file& s : replaced) {
    if (s.keep == durability::durable) folders.insert(folder_of(s.target));
  }
  for (const std::string& folder : folders) {
    if (const int err = sync_folder(folder); err != 0) return io_result::failure(folder, reason(err));
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

locked_folder disk_file_system::lock_folder(const std::string& folder) {
  const std::string at = folder.empty() ? "." : folder;
  // The lock is on the folder itself, so that it leaves no file behind.
  const int fd = ::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {io_result::failure(at, reason(errno)), nullptr};
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const int err = errno;
    ::close(fd);
    return {io_result::failure(at, reason(err)), nullptr};
  }
  return {io_result::success(), std::make_unique<flock_holder>(fd)};
}

}  // namespace sb
