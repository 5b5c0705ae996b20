#include "platform/console_win32.h"

#include <windows.h>

#include <algorithm>
#include <iostream>
#include <streambuf>
#include <string>

#include "platform/win32_text.h"

namespace sb::win32 {

namespace {

// How many bytes at the end of `bytes` begin a UTF-8 sequence that is not
// complete yet.
size_t incomplete_tail(const char* bytes, size_t n) {
  for (size_t back = 1; back <= 3 && back <= n; ++back) {
    const auto b = static_cast<unsigned char>(bytes[n - back]);
    if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

class console_buffer : public std::streambuf {
 public:
  explicit console_buffer(HANDLE console) : console_(console) { setp(buffer_, buffer_ + sizeof buffer_); }

 protected:
  int_type overflow(int_type c) override {
    if (write_whole_sequences() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return write_whole_sequences(); }

 private:
  // A sequence cut by the buffer's end waits for its rest.
  int write_whole_sequences() {
    const size_t n = static_cast<size_t>(pptr() - pbase());
    const size_t tail = incomplete_tail(pbase(), n);
    const std::wstring text = widen(std::string(pbase(), n - tail));
    int status = 0;
    for (size_t done = 0; done < text.size();) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 8192));
      if (!::WriteConsoleW(console_, text.data() + done, chunk, &written, nullptr) || written == 0) {
        status = -1;
        break;
      }
      done += written;
    }
    std::char_traits<char>::move(buffer_, pbase() + (n - tail), tail);
    setp(buffer_, buffer_ + sizeof buffer_);
    pbump(static_cast<int>(tail));
    return status;
  }

  HANDLE console_;
  char buffer_[4096];
};

bool is_console(HANDLE h) {
  DWORD mode = 0;
  return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode) != 0;
}

}  // namespace

void write_consoles_in_utf16() {
  // Never freed: the streams are flushed once more after every object of
  // the program is gone.
  if (HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE); is_console(out)) std::cout.rdbuf(new console_buffer(out));
  if (HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE); is_console(err)) std::cerr.rdbuf(new console_buffer(err));
}

}  // namespace sb::win32
