#include "builder/compiled_files.h"

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "builder/scenario_files.h"
#include "platform/huge_pages.h"

namespace sb {

namespace {

// Puts little-endian values into one buffer sized beforehand, whatever the
// host's order. The plan file alone is millions of values: no bounds or
// capacity test per byte.
template <typename Bytes>
class byte_writer {
 public:
  explicit byte_writer(size_t size) {
    bytes_.resize(size);
    at_ = bytes_.data();
  }

  void put_u8(uint8_t v) { *at_++ = static_cast<char>(v); }
  void put_u16(uint16_t v) { put_le(v); }
  void put_i16(int16_t v) { put_le(static_cast<uint16_t>(v)); }
  void put_i32(int32_t v) { put_le(static_cast<uint32_t>(v)); }
  void put_f64(double v) { put_le(std::bit_cast<uint64_t>(v)); }
  void put_bytes(const std::string& s) {
    if (s.empty()) return;
    std::memcpy(at_, s.data(), s.size());
    at_ += s.size();
  }

  // The caller has put exactly the size it announced.
  Bytes take() {
    assert(at_ == bytes_.data() + bytes_.size());
    return std::move(bytes_);
  }

 private:
  // A little-endian host stores the value as it is; any other puts it byte
  // by byte, lowest first.
  template <typename Unsigned>
  void put_le(Unsigned v) {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(at_, &v, sizeof v);
    } else {
      for (size_t i = 0; i < sizeof v; ++i) at_[i] = static_cast<char>(static_cast<uint8_t>(v >> (8 * i)));
    }
    at_ += sizeof v;
  }
  Bytes bytes_;
  char* at_ = nullptr;
};

constexpr size_t cell_bytes = 15;
constexpr size_t row_bytes_without_text = 34;
constexpr size_t longest_text = 65535;

size_t plan_number_bytes(const plan_number& n) {
  switch (n.kind) {
    case plan_number::tag::int16: return 4;
    case plan_number::tag::real: return 10;
    case plan_number::tag::empty: break;
  }
  return 2;
}

template <typename Bytes>
void put_plan_number(byte_writer<Bytes>& w, const plan_number& n) {
  switch (n.kind) {
    case plan_number::tag::int16:
      w.put_i16(2);
      w.put_i16(n.integer);
      return;
    case plan_number::tag::real:
      w.put_i16(5);
      w.put_f64(n.real);
      return;
    case plan_number::tag::empty:
      break;
  }
  w.put_i16(0);
}

template <typename Bytes>
Bytes encode_plan(const track_plan_t& plan) {
  size_t size = 0;
  for (const auto* column : {&plan.x, &plan.y})
    for (const plan_number& n : *column) size += plan_number_bytes(n);
  byte_writer<Bytes> w(size);
  for (const auto* column : {&plan.x, &plan.y})
    for (const plan_number& n : *column) put_plan_number(w, n);
  return w.take();
}

// The plan file's bytes, on huge pages like the plan itself, left
// uninitialised until the encoder writes every one of them.
using large_bytes = std::vector<char, huge_page_allocator<char>>;

}  // namespace

std::string encode_plan_file(const track_plan_t& plan) { return encode_plan<std::string>(plan); }

// The caller makes sure no text is longer than a 16-bit length can say.
std::string encode_table_file(const scenario_table_t& table) {
  size_t size = 0;
  for (const table_entry& row : table) size += row_bytes_without_text + row.text.size();
  byte_writer<std::string> w(size);
  for (const table_entry& row : table) {
    assert(row.text.size() <= longest_text);
    w.put_u8(row.kind);
    w.put_i32(row.range_start);
    w.put_i32(row.range_end);
    w.put_i32(row.position);
    w.put_u8(row.flag_a);
    w.put_u16(static_cast<uint16_t>(row.text.size()));
    w.put_bytes(row.text);
    w.put_i16(row.value_a);
    w.put_i16(row.value_b);
    w.put_i16(row.value_c);
    w.put_i16(row.value_d);
    w.put_i16(row.value_e);
    w.put_u8(row.flag_d);
    w.put_u8(row.stop_value);
    w.put_u8(row.flag_c);
    w.put_u8(row.flag_b);
    w.put_i32(row.time_of_day);
  }
  return w.take();
}

std::string encode_cell_file(const std::vector<track_cell>& cells) {
  byte_writer<std::string> w(cell_bytes * cells.size());
  for (const track_cell& c : cells) {
    w.put_u8(c.kind);
    w.put_i16(c.value_1);
    w.put_i16(c.value_2);
    w.put_i16(c.value_3);
    w.put_i16(c.value_4);
    w.put_u8(c.signal_time);
    w.put_u8(c.approach_code);
    w.put_u8(c.mountain_kind);
    w.put_u8(c.speed_code);
    w.put_u8(c.gradient_code);
    w.put_u8(c.adhesion);
  }
  return w.take();
}

io_result write_compiled_files(const scenario_model& model, file_system& fs,
                               const std::string& folder) {
  const scenario_identity id{model.route_name, model.train_number};
  const std::string table_path = join_path(folder, table_file_name(id));
  // A table that cannot be encoded is refused before anything is written,
  // so that no half set of compiled files is left behind.
  for (size_t i = 0; i < model.scenario_table.size(); ++i) {
    if (model.scenario_table[i].text.size() > longest_text)
      return io_result::failure(
          table_path, "text of row " + std::to_string(i) + " longer than 65535 bytes");
  }
  if (model.geometry_flag != 0) {
    const large_bytes plan = encode_plan<large_bytes>(model.track_plan);
    const io_result r =
        fs.write_file(join_path(folder, plan_file_name(id)), std::string_view(plan.data(), plan.size()));
    if (!r) return r;
  }
  if (const io_result r = fs.write_file(table_path, encode_table_file(model.scenario_table)); !r)
    return r;
  return fs.write_file(join_path(folder, cell_file_name(id)), encode_cell_file(model.cells));
}

}  // namespace sb
