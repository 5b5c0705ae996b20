// The file system on POSIX: new contents are staged in temporaries beside
// their targets, synced, renamed over them in order, and the folder synced
// (each as far as the file's durability asks).
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/sysmacros.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
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
    if (errno == ENOENT && ::lstat(path.c_str(), &st) == 0)
      return io_result::failure(path, "a symbolic link to nothing; not replaced");
    if (errno == ENOENT) return io_result::success();
    return io_result::failure(path, reason(errno));
  }
  if (!S_ISREG(st.st_mode)) return io_result::failure(path, not_regular);
  // The link stays a link: moving a new file in would put a regular file
  // in its place.
  struct stat link;
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
    return io_result::failure(path, "a symbolic link; not replaced (name the file it points at)");
  // Write bits gone, or the system refuses to write: as the simulator's
  // platform does with its read-only attribute, we leave it alone.
  const bool read_only = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                         (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES);
  if (read_only) return io_result::failure(path, "read-only file");
  return io_result::success();
}

}  // namespace

io_result face::stage(const file_to_write& f, std::vector<staged_file>& done) {
  if (io_result r = check_target(f.path); !r) return r;
  const std::string folder = folder_of(f.path);
  const std::string stem = temporary_stem(base_of(f.path));

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
int sync_entries(const std::string& folder) {
  const int raw = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (raw < 0) return errno;
  fd_holder fd(raw);
  // Some file systems cannot sync a folder; the data is synced all the same.
  if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) return errno;
  return 0;
}

// "scenario-builder compile" from a process's arguments: the program's
// name, and its first argument when that names a command rather than an
// option or a path.
std::string command_of(const std::string& pid) {
  const int raw = ::open(("/proc/" + pid + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
  if (raw < 0) return {};
  fd_holder fd(raw);
  char buffer[512];
  const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
  if (n <= 0) return {};
  std::vector<std::string> args(1);
  for (ssize_t i = 0; i < n && args.size() < 3; ++i) {
    if (buffer[i] == '\0') {
      args.emplace_back();
    } else {
      const auto c = static_cast<unsigned char>(buffer[i]);
      args.back() += c >= 0x20 && c < 0x7f ? buffer[i] : '?';
    }
  }
  std::string words = base_of(args[0]);
  if (args.size() > 1 && !args[1].empty() && args[1][0] != '-' && args[1].find('/') == std::string::npos)
    words += " " + args[1];
  return words;
}

class flock_slot : public face::lock_slot {
 public:
  flock_slot(int fd, std::string folder) : fd_(fd), folder_(std::move(folder)) {}
  ~flock_slot() override { ::close(fd_); }  // closing releases the lock
  outcome try_take(bool shared, io_result& failure) override {
    while (::flock(fd_, (shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      if (errno == EWOULDBLOCK) return outcome::busy;
      failure = io_result::failure(folder_, reason(errno));
      return outcome::failed;
    }
    return outcome::taken;
  }
  void release() override { ::flock(fd_, LOCK_UN); }
  // /proc/locks lists each lock with its process and the device and inode
  // of what it locks; waiters' lines are marked "->".
  std::string holder() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return {};
    char id[64];
    std::snprintf(id, sizeof id, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    std::string locks;
    if (!disk_file_system().read_file("/proc/locks", locks, 1 << 20)) return {};
    size_t start = 0;
    while (start < locks.size()) {
      size_t end = locks.find('\n', start);
      if (end == std::string::npos) end = locks.size();
      const std::string line = locks.substr(start, end - start);
      start = end + 1;
      std::vector<std::string> fields;
      for (size_t i = 0; i < line.size();) {
        const size_t j = line.find(' ', i);
        const size_t stop = j == std::string::npos ? line.size() : j;
        if (stop > i) fields.push_back(line.substr(i, stop - i));
        i = stop + 1;
      }
      if (fields.size() < 6 || fields[1] != "FLOCK" || fields[5] != id) continue;
      const std::string& pid = fields[4];
      if (pid == "0" || pid == std::to_string(::getpid())) continue;
      const std::string command = command_of(pid);
      return (command.empty() ? std::string("process") : command) + ", pid " + pid;
    }
    return {};
  }

 private:
  int fd_;
  std::string folder_;
};


}  // namespace

disk_file_system::disk_file_system() {
  // A size limit (ulimit -f) then fails the write with EFBIG, "File too
  // large", which is reported, and the temporary removed, instead of the
  // signal killing the run with the temporary left behind.
  std::signal(SIGXFSZ, SIG_IGN);
}

std::string folder_of_path(const std::string& path) { return folder_of(path); }

int close_standard_output() { return ::close(STDOUT_FILENO) == 0 ? 0 : errno; }

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

io_result face::replace(const staged_file& s) { return move_over(s.temp, s.target); }

void face::discard(const staged_file& s) { ::unlink(s.temp.c_str()); }

io_result face::finish(std::span<const staged_file> replaced) {
  std::set<std::string> folders;
  for (const staged_file& s : replaced) {
    if (s.keep == durability::durable) folders.insert(folder_of(s.target));
  }
  for (const std::string& folder : folders) {
    if (io_result r = sync_folder(folder); !r) return r;
  }
  return io_result::success();
}

io_result face::keep_aside(const std::string& target, const std::string& aside) {
  if (::link(target.c_str(), aside.c_str()) == 0) return io_result::success();
  // Some file systems have no second names; an immutable file refuses both.
  if (::rename(target.c_str(), aside.c_str()) != 0) return io_result::failure(target, reason(errno));
  return io_result::success();
}

io_result face::move_over(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return io_result::failure(to, reason(errno));
  return io_result::success();
}

bool face::exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

io_result face::remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return io_result::failure(path, reason(errno));
  return io_result::success();
}

io_result face::sync_folder(const std::string& folder) {
  if (const int err = sync_entries(folder); err != 0) return io_result::failure(folder, reason(err));
  return io_result::success();
}

std::vector<std::string> face::folder_names(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* e = ::readdir(dir)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
  }
  ::closedir(dir);
  return names;
}

std::string face::base_name(const std::string& path) { return base_of(path); }

std::unique_ptr<face::lock_slot> face::open_lock(const std::string& folder, io_result& failure) {
  // The lock is on the folder itself, so that it leaves no file behind.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    failure = io_result::failure(folder, reason(errno));
    return nullptr;
  }
  return std::make_unique<flock_slot>(fd, folder);
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
