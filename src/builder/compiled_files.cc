#include "builder/compiled_files.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "builder/scenario_files.h"

namespace sb {

namespace {

template <class T>
decode_result<T> failed(const le_reader& in) {
  decode_result<T> r;
  r.error = in.error();
  return r;
}

// ---- plan file ----

// A tagged value: 2 bytes of tag, then 2 bytes for an int16, 8 for a
// double, none for an empty number.
constexpr size_t widest_plan_number = 10;

char* store_plan_number(char* at, plan_number::tag kind, const double& value) {
  switch (kind) {
    case plan_number::tag::real:
      at = le_writer::store(at, uint16_t{5});
      return le_writer::store(at, std::bit_cast<uint64_t>(value));
    case plan_number::tag::int16:
      at = le_writer::store(at, uint16_t{2});
      return le_writer::store(at, static_cast<uint16_t>(static_cast<int16_t>(value)));
    case plan_number::tag::empty:
      break;
  }
  return le_writer::store(at, uint16_t{0});
}

bool get_plan_number(le_reader& in, plan_number& n) {
  const size_t tag_at = in.offset();
  int16_t tag = 0;
  if (!in.i16(tag, "its tag")) return false;
  switch (tag) {
    case 0:
      n = {};
      return true;
    case 2: {
      int16_t v = 0;
      if (!in.i16(v, "its 16-bit integer")) return false;
      n = plan_number::of_int16(v);
      return true;
    }
    case 5: {
      double v = 0;
      if (!in.f64(v, "its double")) return false;
      n = plan_number::of_real(v);
      return true;
    }
    default:
      break;
  }
  return in.fail(tag_at, "unknown tag " + std::to_string(tag) + " (0, 2 or 5 expected)");
}

// ---- table file ----

// The decoders name every field they read, so that a damaged file is
// reported at the field where it stops making sense.
constexpr std::array<std::string_view, 11> cell_field_names{
    "kind",          "value_1",       "value_2",   "value_3",       "value_4", "signal_time",
    "approach_code", "mountain_kind", "speed_code", "gradient_code", "adhesion"};
constexpr std::array<std::string_view, 5> row_head_names{"kind", "range_start", "range_end", "position", "flag_a"};
constexpr std::array<std::string_view, 10> row_tail_names{"value_a", "value_b",    "value_c", "value_d", "value_e",
                                                          "flag_d",  "stop_value", "flag_c",  "flag_b",  "time_of_day"};

bool get_field(le_reader& in, uint8_t& v, std::string_view name) { return in.u8(v, name); }
bool get_field(le_reader& in, int16_t& v, std::string_view name) { return in.i16(v, name); }
bool get_field(le_reader& in, int32_t& v, std::string_view name) { return in.i32(v, name); }

template <class Fields, size_t n>
bool get_fields(le_reader& in, Fields fields, const std::array<std::string_view, n>& names) {
  static_assert(std::tuple_size_v<Fields> == n, "a name for every field");
  return std::apply(
      [&](auto&... field) {
        size_t i = 0;
        return (get_field(in, field, names[i++]) && ...);
      },
      fields);
}

template <class Fields>
void put_fields(le_writer& w, Fields fields) {
  std::apply([&w](const auto&... field) { w.all(field...); }, fields);
}

// ---- table file ----

void put_row(le_writer& w, const table_entry& row) {
  assert(row.text.size() <= longest_text);
  put_fields(w, row_head_fields(row));
  w.u16(static_cast<row_text_length>(row.text.size()));
  w.bytes(row.text);
  put_fields(w, row_tail_fields(row));
}

bool get_row(le_reader& in, table_entry& row) {
  return get_fields(in, row_head_fields(row), row_head_names) && in.text(row.text) &&
         get_fields(in, row_tail_fields(row), row_tail_names);
}

// ---- cell file ----

void put_cell(le_writer& w, const track_cell& c) { put_fields(w, cell_fields(c)); }

bool get_cell(le_reader& in, track_cell& c) { return get_fields(in, cell_fields(c), cell_field_names); }

template <class Encode, class Model>
std::string encoded(Encode encode, const Model& model) {
  string_sink out;
  encode(model, out);
  return std::move(out.bytes);
}

}  // namespace

void encode_plan_file(const track_plan_t& plan, byte_sink& out) {
  le_writer w(out);
  for (const plan_column* column : {&plan.x, &plan.y}) {
    const plan_number::tag* tags = column->tags();
    const double* values = column->values();
    const size_t n = column->size();
    size_t m = 0;
    w.run(widest_plan_number, [&](char* at) -> char* {
      if (m == n) return nullptr;
      at = store_plan_number(at, tags[m], values[m]);
      ++m;
      return at;
    });
  }
}

decode_result<track_plan_t> decode_plan_file(std::string_view bytes) {
  // A first pass checks every value and counts them, so that the columns
  // are sized once: the decoder never holds more than the plan itself.
  le_reader check(bytes);
  size_t count = 0;
  plan_number n;
  for (; !check.at_end(); ++count) {
    check.context("value", count);
    if (!get_plan_number(check, n)) return failed<track_plan_t>(check);
  }
  if (count % 2 != 0) {
    decode_result<track_plan_t> r;
    r.error = decode_error{bytes.size(), "the file ends after " + count_of(count, "value", "values") +
                                             ", an odd number: the x and y columns cannot be equal"};
    return r;
  }
  decode_result<track_plan_t> r;
  r.value.x.assign(count / 2);
  r.value.y.assign(count / 2);
  le_reader in(bytes);
  for (size_t i = 0; i < count; ++i) {
    get_plan_number(in, n);
    (i < count / 2 ? r.value.x : r.value.y).set(i % (count / 2), n);
  }
  return r;
}

void encode_table_file(const scenario_table_t& table, byte_sink& out) {
  le_writer w(out);
  for (const table_entry& row : table) put_row(w, row);
}

decode_result<scenario_table_t> decode_table_file(std::string_view bytes) {
  decode_result<scenario_table_t> r;
  le_reader in(bytes);
  for (size_t i = 0; i < r.value.size(); ++i) {
    in.context("row", i);
    if (!get_row(in, r.value[i])) return failed<scenario_table_t>(in);
  }
  if (!in.at_end()) {
    r.error = decode_error{in.offset(), count_of(in.left(), "byte", "bytes") + " after the last of the 87 rows"};
  }
  return r;
}

void encode_cell_file(const std::vector<track_cell>& cells, byte_sink& out) {
  le_writer w(out);
  for (const track_cell& c : cells) put_cell(w, c);
}

decode_result<std::vector<track_cell>> decode_cell_file(std::string_view bytes) {
  decode_result<std::vector<track_cell>> r;
  const size_t whole = bytes.size() / cell_bytes;
  if (const size_t rest = bytes.size() % cell_bytes; rest != 0) {
    r.error = decode_error{whole * cell_bytes, "the file ends inside cell " + std::to_string(whole) + ", after " +
                                                   count_of(rest, "byte", "bytes") + " of " +
                                                   std::to_string(cell_bytes)};
    return r;
  }
  r.value.resize(whole);
  le_reader in(bytes);
  for (size_t i = 0; i < whole; ++i) {
    in.context("cell", i);
    if (!get_cell(in, r.value[i])) return failed<std::vector<track_cell>>(in);
  }
  return r;
}

std::string encode_plan_file(const track_plan_t& plan) {
  return encoded([](const track_plan_t& p, byte_sink& out) { encode_plan_file(p, out); }, plan);
}
std::string encode_table_file(const scenario_table_t& table) {
  return encoded([](const scenario_table_t& t, byte_sink& out) { encode_table_file(t, out); }, table);
}
std::string encode_cell_file(const std::vector<track_cell>& cells) {
  return encoded([](const std::vector<track_cell>& c, byte_sink& out) { encode_cell_file(c, out); }, cells);
}

compiled_kind compiled_kind_of_name(std::string_view path) {
  if (path.ends_with("_linea.dat")) return compiled_kind::plan;
  if (path.ends_with(".sim")) return compiled_kind::table;
  if (path.ends_with(".dat")) return compiled_kind::cells;
  return compiled_kind::unknown;
}

size_t largest_compiled_file(compiled_kind kind) {
  // The longest route (1000000 m) keeps 7000 m of cells after its length;
  // the plan has a point for every metre of it, each coordinate at most a
  // 2-byte tag and a double.
  constexpr size_t most_metres = 1000000 + 7000;
  constexpr size_t plan = 2 * (most_metres + 1) * 10;
  constexpr size_t table = table_rows * (row_bytes_without_text + longest_text);
  constexpr size_t cells = (most_metres / 50 + 1) * cell_bytes;
  switch (kind) {
    case compiled_kind::plan: return plan;
    case compiled_kind::table: return table;
    case compiled_kind::cells: return cells;
    case compiled_kind::unknown: break;
  }
  return std::max({plan, table, cells});
}

const char* kind_name(compiled_kind kind) {
  switch (kind) {
    case compiled_kind::cells: return "cell";
    case compiled_kind::table: return "table";
    case compiled_kind::plan: return "plan";
    case compiled_kind::unknown: break;
  }
  return "compiled";
}

std::string describe_decode_error(const std::string& path, compiled_kind kind, const decode_error& e) {
  return path + ": bad " + kind_name(kind) + " file at byte " + std::to_string(e.offset) + ": " + e.message;
}

io_result write_compiled_files(const scenario_model& model, file_system& fs, const std::string& folder) {
  const scenario_identity id{model.route_name, model.train_number};
  const std::string table_path = join_path(folder, table_file_name(id));
  // A table that cannot be encoded is refused before anything is written.
  for (size_t i = 0; i < model.scenario_table.size(); ++i) {
    if (model.scenario_table[i].text.size() > longest_text)
      return io_result::failure(table_path, "text of row " + std::to_string(i) + " longer than " +
                                                 std::to_string(longest_text) + " bytes");
  }
  std::vector<file_to_write> files;
  if (model.geometry_flag != 0)
    files.push_back({join_path(folder, plan_file_name(id)),
                     [&model](byte_sink& out) { encode_plan_file(model.track_plan, out); }});
  files.push_back({table_path, [&model](byte_sink& out) { encode_table_file(model.scenario_table, out); }});
  files.push_back({join_path(folder, cell_file_name(id)),
                   [&model](byte_sink& out) { encode_cell_file(model.cells, out); }});
  return fs.write_files(files);
}

}  // namespace sb
