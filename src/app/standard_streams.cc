#include "app/standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "platform/file_system.h"

namespace sb {

// Passes everything on to the stream's own buffer and keeps the reason of
// the first write it refused: by the time the run ends, the C library has
// dropped what it could not write and forgotten why.
class checked_standard_streams::recorder : public std::streambuf {
 public:
  explicit recorder(std::ostream& stream) : stream_(stream), inner_(stream.rdbuf(this)) {}
  ~recorder() override { stream_.rdbuf(inner_); }
  recorder(const recorder&) = delete;
  recorder& operator=(const recorder&) = delete;
  int error() const { return err_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    errno = 0;
    const int_type r = inner_->sputc(traits_type::to_char_type(c));
    if (traits_type::eq_int_type(r, traits_type::eof())) note();
    return r;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    errno = 0;
    const std::streamsize r = inner_->sputn(s, n);
    if (r < n) note();
    return r;
  }
  int sync() override {
    errno = 0;
    const int r = inner_->pubsync();
    if (r != 0) note();
    return r;
  }

 private:
  void note() {
    if (err_ == 0) err_ = errno != 0 ? errno : EIO;
  }
  std::ostream& stream_;
  std::streambuf* inner_;
  int err_ = 0;
};

checked_standard_streams::checked_standard_streams()
    : out_(std::make_unique<recorder>(std::cout)), err_(std::make_unique<recorder>(std::cerr)) {}

checked_standard_streams::~checked_standard_streams() = default;

namespace {

// The first failure of standard output's last flush and close, if any.
// The stream itself stays open: the runtime flushes it once more at exit.
int flush_and_close_output(int known) {
  errno = 0;
  if (std::fflush(stdout) != 0 && known == 0) known = errno != 0 ? errno : EIO;
  if (std::ferror(stdout) && known == 0) known = EIO;
  if (const int closed = close_standard_output(); closed != 0 && known == 0) known = closed;
  return known;
}

}  // namespace

exit_status checked_standard_streams::finish(exit_status status) {
  std::cout.flush();
  const int out = flush_and_close_output(out_->error());
  if (out != 0) {
    failure_line(std::cerr) << "standard output: " << std::strerror(out) << "\n";
    status = exit_status::failure;
  }
  std::cerr.flush();
  errno = 0;
  if (err_->error() != 0 || std::fflush(stderr) != 0 || std::ferror(stderr)) status = exit_status::failure;
  return status;
}

}  // namespace sb
