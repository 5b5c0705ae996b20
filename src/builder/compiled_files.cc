#include "builder/compiled_files.h"

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "builder/scenario_files.h"

namespace sb {

namespace {

// Appends little-endian values to one buffer, whatever the host's order.
class byte_writer {
 public:
  explicit byte_writer(size_t size) { bytes_.reserve(size); }

  void put_u8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void put_u16(uint16_t v) { put_le(v, 2); }
  void put_i16(int16_t v) { put_le(static_cast<uint16_t>(v), 2); }
  void put_i32(int32_t v) { put_le(static_cast<uint32_t>(v), 4); }
  void put_f64(double v) { put_le(std::bit_cast<uint64_t>(v), 8); }
  void put_bytes(const std::string& s) { bytes_ += s; }

  std::string take() { return std::move(bytes_); }

 private:
  void put_le(uint64_t v, int width) {
    for (int i = 0; i < width; ++i) put_u8(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::string bytes_;
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

void put_plan_number(byte_writer& w, const plan_number& n) {
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

}  // namespace

std::string encode_plan_file(const track_plan_t& plan) {
  size_t size = 0;
  for (const auto* column : {&plan.x, &plan.y})
    for (const plan_number& n : *column) size += plan_number_bytes(n);
  byte_writer w(size);
  for (const auto* column : {&plan.x, &plan.y})
    for (const plan_number& n : *column) put_plan_number(w, n);
  return w.take();
}

// The caller makes sure no text is longer than a 16-bit length can say.
std::string encode_table_file(const scenario_table_t& table) {
  size_t size = 0;
  for (const table_entry& row : table) size += row_bytes_without_text + row.text.size();
  byte_writer w(size);
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
  byte_writer w(cell_bytes * cells.size());
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
    const io_result r =
        fs.write_file(join_path(folder, plan_file_name(id)), encode_plan_file(model.track_plan));
    if (!r) return r;
  }
  if (const io_result r = fs.write_file(table_path, encode_table_file(model.scenario_table)); !r)
    return r;
  return fs.write_file(join_path(folder, cell_file_name(id)), encode_cell_file(model.cells));
}

}  // namespace sb
