#include "builder/compiled_readers.h"

#include <bit>
#include <cstdint>
#include <string>
#include <utility>

namespace sb {

namespace {

constexpr size_t cell_bytes = 15;

// Takes little-endian values off the front of a byte view. A read that
// would run past the end fails, records where the field began, and leaves
// the position there.
class byte_reader {
 public:
  explicit byte_reader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return pos_; }
  size_t left() const { return bytes_.size() - pos_; }
  bool at_end() const { return pos_ == bytes_.size(); }

  bool get_u8(uint8_t& v) {
    uint64_t raw;
    if (!get_le(1, raw)) return false;
    v = static_cast<uint8_t>(raw);
    return true;
  }
  bool get_u16(uint16_t& v) {
    uint64_t raw;
    if (!get_le(2, raw)) return false;
    v = static_cast<uint16_t>(raw);
    return true;
  }
  bool get_i16(int16_t& v) {
    uint16_t u;
    if (!get_u16(u)) return false;
    v = static_cast<int16_t>(u);
    return true;
  }
  bool get_i32(int32_t& v) {
    uint64_t raw;
    if (!get_le(4, raw)) return false;
    v = static_cast<int32_t>(static_cast<uint32_t>(raw));
    return true;
  }
  bool get_f64(double& v) {
    uint64_t raw;
    if (!get_le(8, raw)) return false;
    v = std::bit_cast<double>(raw);
    return true;
  }
  bool get_bytes(size_t n, std::string& s) {
    if (left() < n) return false;
    s.assign(bytes_.substr(pos_, n));
    pos_ += n;
    return true;
  }

 private:
  bool get_le(size_t width, uint64_t& v) {
    if (left() < width) return false;
    v = 0;
    for (size_t i = 0; i < width; ++i)
      v |= uint64_t{static_cast<unsigned char>(bytes_[pos_ + i])} << (8 * i);
    pos_ += width;
    return true;
  }

  std::string_view bytes_;
  size_t pos_ = 0;
};

std::string count_of(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "the file ends before X" or "... inside X (n bytes left of w)".
std::string ends_at(const std::string& field, size_t left, size_t width) {
  if (left == 0) return "the file ends before " + field;
  return "the file ends inside " + field + " (" + count_of(left, "byte", "bytes") + " left of " +
         std::to_string(width) + ")";
}

template <class T>
decode_result<T> failed(size_t offset, std::string message) {
  decode_result<T> r;
  r.error = decode_error{offset, std::move(message)};
  return r;
}

}  // namespace

decode_result<std::vector<track_cell>> decode_cell_file(std::string_view bytes) {
  const size_t whole = bytes.size() / cell_bytes;
  if (const size_t rest = bytes.size() % cell_bytes; rest != 0)
    return failed<std::vector<track_cell>>(
        whole * cell_bytes, "the file ends inside cell " + std::to_string(whole) + ", after " +
                                count_of(rest, "byte", "bytes") + " of 15");
  decode_result<std::vector<track_cell>> r;
  r.value.resize(whole);
  byte_reader in(bytes);
  for (track_cell& c : r.value) {
    // The size check above guarantees every read here succeeds.
    in.get_u8(c.kind);
    in.get_i16(c.value_1);
    in.get_i16(c.value_2);
    in.get_i16(c.value_3);
    in.get_i16(c.value_4);
    in.get_u8(c.signal_time);
    in.get_u8(c.approach_code);
    in.get_u8(c.mountain_kind);
    in.get_u8(c.speed_code);
    in.get_u8(c.gradient_code);
    in.get_u8(c.adhesion);
  }
  return r;
}

decode_result<scenario_table_t> decode_table_file(std::string_view bytes) {
  decode_result<scenario_table_t> r;
  byte_reader in(bytes);
  for (int i = 0; i < table_rows; ++i) {
    table_entry& row = r.value[static_cast<size_t>(i)];
    const std::string where = "row " + std::to_string(i) + ": ";
    // Names the field that could not be read whole, at its first byte.
    auto short_at = [&](const char* field, size_t width) {
      return failed<scenario_table_t>(in.offset(), where + ends_at(field, in.left(), width));
    };
    if (!in.get_u8(row.kind)) return short_at("kind", 1);
    if (!in.get_i32(row.range_start)) return short_at("range_start", 4);
    if (!in.get_i32(row.range_end)) return short_at("range_end", 4);
    if (!in.get_i32(row.position)) return short_at("position", 4);
    if (!in.get_u8(row.flag_a)) return short_at("flag_a", 1);
    const size_t length_at = in.offset();
    uint16_t length = 0;
    if (!in.get_u16(length)) return short_at("the text length", 2);
    if (!in.get_bytes(length, row.text))
      return failed<scenario_table_t>(
          length_at, where + "a text of " + count_of(length, "byte", "bytes") +
                         " runs past the end of the file (" +
                         count_of(in.left(), "byte", "bytes") + " left)");
    if (!in.get_i16(row.value_a)) return short_at("value_a", 2);
    if (!in.get_i16(row.value_b)) return short_at("value_b", 2);
    if (!in.get_i16(row.value_c)) return short_at("value_c", 2);
    if (!in.get_i16(row.value_d)) return short_at("value_d", 2);
    if (!in.get_i16(row.value_e)) return short_at("value_e", 2);
    if (!in.get_u8(row.flag_d)) return short_at("flag_d", 1);
    if (!in.get_u8(row.stop_value)) return short_at("stop_value", 1);
    if (!in.get_u8(row.flag_c)) return short_at("flag_c", 1);
    if (!in.get_u8(row.flag_b)) return short_at("flag_b", 1);
    if (!in.get_i32(row.time_of_day)) return short_at("time_of_day", 4);
  }
  if (!in.at_end())
    return failed<scenario_table_t>(in.offset(), count_of(in.left(), "byte", "bytes") +
                                                     " after the last of the 87 rows");
  return r;
}

decode_result<track_plan_t> decode_plan_file(std::string_view bytes) {
  std::vector<plan_number> values;
  byte_reader in(bytes);
  while (!in.at_end()) {
    const size_t tag_at = in.offset();
    const std::string which = "value " + std::to_string(values.size()) + ": ";
    int16_t tag = 0;
    if (!in.get_i16(tag))
      return failed<track_plan_t>(tag_at, which + ends_at("its tag", in.left(), 2));
    plan_number n;
    switch (tag) {
      case 0:
        break;
      case 2:
        n.kind = plan_number::tag::int16;
        if (!in.get_i16(n.integer))
          return failed<track_plan_t>(in.offset(),
                                      which + ends_at("its 16-bit integer", in.left(), 2));
        break;
      case 5:
        n.kind = plan_number::tag::real;
        if (!in.get_f64(n.real))
          return failed<track_plan_t>(in.offset(), which + ends_at("its double", in.left(), 8));
        break;
      default:
        return failed<track_plan_t>(
            tag_at, which + "unknown tag " + std::to_string(tag) + " (0, 2 or 5 expected)");
    }
    values.push_back(n);
  }
  if (values.size() % 2 != 0)
    return failed<track_plan_t>(
        bytes.size(), "the file ends after " + count_of(values.size(), "value", "values") +
                          ", an odd number: the x and y columns cannot be equal");
  decode_result<track_plan_t> r;
  const auto half = static_cast<std::ptrdiff_t>(values.size() / 2);
  r.value.x.assign(values.begin(), values.begin() + half);
  r.value.y.assign(values.begin() + half, values.end());
  return r;
}

compiled_kind compiled_kind_of_name(std::string_view path) {
  if (path.ends_with("_linea.dat")) return compiled_kind::plan;
  if (path.ends_with(".sim")) return compiled_kind::table;
  if (path.ends_with(".dat")) return compiled_kind::cells;
  return compiled_kind::unknown;
}

std::string describe_decode_error(const std::string& path, const std::string& kind,
                                  const decode_error& e) {
  return path + ": bad " + kind + " file at byte " + std::to_string(e.offset) + ": " + e.message;
}

}  // namespace sb
