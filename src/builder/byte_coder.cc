#include "builder/byte_coder.h"

namespace sb {

void le_writer::bytes(std::string_view s) {
  if (s.size() > chunk_size - used_) flush();
  if (s.size() > chunk_size) {
    sink_.append(s);
    return;
  }
  std::memcpy(buffer_.data() + used_, s.data(), s.size());
  used_ += s.size();
}

void le_writer::flush() {
  if (used_ == 0) return;
  sink_.append(std::string_view(buffer_.data(), used_));
  used_ = 0;
}

std::string count_of(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string le_reader::prefix() const {
  if (context_what_ == nullptr) return {};
  return std::string(context_what_) + " " + std::to_string(context_index_) + ": ";
}

bool le_reader::fail(size_t offset, const std::string& message) {
  if (!error_) error_ = decode_error{offset, prefix() + message};
  return false;
}

bool le_reader::short_read(std::string_view field, size_t width) {
  const std::string name(field);
  if (left() == 0) return fail(pos_, "the file ends before " + name);
  return fail(pos_, "the file ends inside " + name + " (" + count_of(left(), "byte", "bytes") + " left of " +
                        std::to_string(width) + ")");
}

bool le_reader::f64(double& v, std::string_view field) {
  uint64_t raw = 0;
  if (!get(raw, field)) return false;
  v = std::bit_cast<double>(raw);
  return true;
}

bool le_reader::text(std::string& s) {
  const size_t length_at = pos_;
  uint16_t length = 0;
  if (!u16(length, "the text length")) return false;
  if (left() < length)
    return fail(length_at, "a text of " + count_of(length, "byte", "bytes") + " runs past the end of the file (" +
                               count_of(left(), "byte", "bytes") + " left)");
  s.assign(bytes_.substr(pos_, length));
  pos_ += length;
  return true;
}

}  // namespace sb
