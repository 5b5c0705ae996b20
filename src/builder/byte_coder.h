// Little-endian, fixed-width coding of the compiled files, whatever the
// host's byte order: a writer that hands its bytes on a chunk at a time, and
// a reader whose every read names its field, so that a short or damaged
// file is reported at the field where it stops making sense.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace sb {

class le_writer {
 public:
  explicit le_writer(byte_sink& sink) : sink_(sink) {}
  le_writer(const le_writer&) = delete;
  le_writer& operator=(const le_writer&) = delete;
  ~le_writer() { flush(); }

  void u8(uint8_t v) { put(v); }
  void u16(uint16_t v) { put(v); }
  void i16(int16_t v) { put(static_cast<uint16_t>(v)); }
  void i32(int32_t v) { put(static_cast<uint32_t>(v)); }
  void f64(double v) { put(std::bit_cast<uint64_t>(v)); }
  void bytes(std::string_view s);
  // Several fixed-width values at once, with one test for room: the plan
  // file is millions of tagged values.
  template <typename... Values>
  void all(Values... values) {
    if (chunk_size - used_ < (sizeof(as_unsigned(values)) + ...)) flush();
    char* at = buffer_.data() + used_;
    ((at = store(at, as_unsigned(values))), ...);
    used_ = static_cast<size_t>(at - buffer_.data());
  }
  // A run of values stored straight into the buffer, each at most `widest`
  // bytes: `each(at)` stores the next value at `at` and returns the byte
  // after it, or null when there is none left. For the plan file, whose
  // millions of values would otherwise each pay for a test of room.
  template <typename Each>
  void run(size_t widest, Each each) {
    for (;;) {
      if (chunk_size - used_ < widest) flush();
      char* at = buffer_.data() + used_;
      char* const last = buffer_.data() + (chunk_size - widest);
      while (at <= last) {
        char* const next = each(at);
        if (next == nullptr) {
          used_ = static_cast<size_t>(at - buffer_.data());
          return;
        }
        at = next;
      }
      used_ = static_cast<size_t>(at - buffer_.data());
    }
  }
  // Stores at `at`, where the caller has made room; returns the next byte.
  template <typename Unsigned>
  static char* store(char* at, Unsigned v) {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(at, &v, sizeof v);
    } else {
      for (size_t i = 0; i < sizeof v; ++i) at[i] = static_cast<char>(static_cast<uint8_t>(v >> (8 * i)));
    }
    return at + sizeof v;
  }

  // Hands whatever is gathered to the sink.
  void flush();

 private:
  // Small enough to stay in the cache, large enough that a file of
  // megabytes goes out in few writes.
  static constexpr size_t chunk_size = 64 * 1024;

  static uint8_t as_unsigned(uint8_t v) { return v; }
  static uint16_t as_unsigned(uint16_t v) { return v; }
  static uint16_t as_unsigned(int16_t v) { return static_cast<uint16_t>(v); }
  static uint32_t as_unsigned(int32_t v) { return static_cast<uint32_t>(v); }
  static uint64_t as_unsigned(double v) { return std::bit_cast<uint64_t>(v); }

  template <typename Unsigned>
  void put(Unsigned v) {
    if (chunk_size - used_ < sizeof v) flush();
    used_ = static_cast<size_t>(store(buffer_.data() + used_, v) - buffer_.data());
  }

  byte_sink& sink_;
  std::array<char, chunk_size> buffer_;
  size_t used_ = 0;
};

// Where and why a compiled file stopped making sense.
struct decode_error {
  size_t offset = 0;  // byte offset from the start of the file
  std::string message;
};

class le_reader {
 public:
  explicit le_reader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return pos_; }
  size_t left() const { return bytes_.size() - pos_; }
  bool at_end() const { return pos_ == bytes_.size(); }

  // What is being read, put before every message: "row 3: ". Formed only
  // when a read fails.
  void context(const char* what, size_t index) {
    context_what_ = what;
    context_index_ = index;
  }

  // Each read fails when the field does not fit in what is left ("the
  // file ends before value_a", "... inside range_end (2 bytes left of
  // 4)"); the position then stays at the field's first byte.
  bool u8(uint8_t& v, std::string_view field) { return get(v, field); }
  bool u16(uint16_t& v, std::string_view field) { return get(v, field); }
  bool i16(int16_t& v, std::string_view field) { return get_signed<uint16_t>(v, field); }
  bool i32(int32_t& v, std::string_view field) { return get_signed<uint32_t>(v, field); }
  bool f64(double& v, std::string_view field);
  // A 16-bit length, then that many bytes.
  bool text(std::string& s);

  // A fault of the layout found by the caller, at `offset`.
  bool fail(size_t offset, const std::string& message);
  const std::optional<decode_error>& error() const { return error_; }

 private:
  template <typename Unsigned>
  bool get(Unsigned& v, std::string_view field) {
    if (left() < sizeof v) return short_read(field, sizeof v);
    v = 0;
    for (size_t i = 0; i < sizeof v; ++i)
      v = static_cast<Unsigned>(v | Unsigned{static_cast<unsigned char>(bytes_[pos_ + i])} << (8 * i));
    pos_ += sizeof v;
    return true;
  }
  template <typename Unsigned, typename Signed>
  bool get_signed(Signed& v, std::string_view field) {
    Unsigned u = 0;
    if (!get(u, field)) return false;
    v = static_cast<Signed>(u);
    return true;
  }
  bool short_read(std::string_view field, size_t width);
  std::string prefix() const;

  std::string_view bytes_;
  size_t pos_ = 0;
  const char* context_what_ = nullptr;
  size_t context_index_ = 0;
  std::optional<decode_error> error_;
};

// "1 byte", "3 bytes".
std::string count_of(size_t n, const char* one, const char* many);

}  // namespace sb
