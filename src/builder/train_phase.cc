// The train file: train values, speeds, adhesion, signals, slowdowns,
// speed-reduction points and stations; then the fills that complete the
// cells and the check of the kilometric progressions.
#include <string>

#include "builder/reader_context.h"
#include "builder/recorders.h"
#include "builder/rounding.h"

namespace sb::reader {

namespace {

constexpr size_t max_text_length = 65535;  // the table file's length field

int32_t to_int32(int64_t v, const char* what, int line) {
  if (v < INT32_MIN || v > INT32_MAX) throw read_failure{std::string(what) + " does not fit 32 bits", line};
  return static_cast<int32_t>(v);
}

struct train_reader {
  context& c;
  scenario_model& m;
  field_cursor in;
  int row_line = 0;
  int station_row = table_row::first_station;
  int64_t speed_fill = 0;
  int64_t adhesion_fill = 0;
  // Nothing is in force before the first speed and adhesion rows.
  int32_t speed = 0;
  int32_t adhesion = 0;

  using row = row_end;

  row fail(int32_t code) {
    c.record(code, row_line);
    c.remove_text(c.train_name);
    return row::failed;
  }
  row fail_at(int32_t code, int32_t position) {
    c.record_at(code, position, row_line);
    c.remove_text(c.train_name);
    return row::failed;
  }
  row beyond(int32_t position) {
    c.record_at(15, position, row_line);
    return row::beyond;
  }

  uint8_t speed_code() const {
    const int64_t code = round_div(speed, 5);
    if (code < 0 || code > 255)
      throw read_failure{"speed " + std::to_string(speed) + " km/h does not fit a cell's speed code", row_line};
    return static_cast<uint8_t>(code);
  }

  // A row's fill stops short of the last cell; the end fill may write it,
  // and always writes at least one cell. No fill passes the last cell.
  void fill_speeds_until(int64_t n, int64_t guard) {
    do {
      if (speed_fill >= guard) break;
      c.cell(speed_fill).speed_code = speed_code();
      ++speed_fill;
    } while (speed_fill < n);
  }

  void fill_adhesion_until(int64_t n) {
    do {
      if (adhesion_fill > m.last_cell) break;
      c.cell(adhesion_fill).adhesion = low8(adhesion);
      ++adhesion_fill;
    } while (adhesion_fill < n);
  }

  row braked_mass_row() {
    m.scenario_table[table_row::train_and_route].range_start = in.read_int32();
    return row::done;
  }
  row coaches_row() {
    m.scenario_table[table_row::train_and_route].position = in.read_int32();
    return row::done;
  }
  row speed_row() {
    const int32_t p = in.read_int32();
    const int32_t v = in.read_int32();
    if (c.beyond_line(p, 100)) return beyond(p);
    const int64_t n = round_div(p, 50);
    if (n > 0) fill_speeds_until(n, m.last_cell);
    speed = v;
    return row::done;
  }
  row adhesion_row() {
    const int32_t p = in.read_int32();
    const int32_t a = in.read_int32();
    if (c.beyond_line(p, 100)) return beyond(p);
    const int64_t n = round_div(p, 50);
    if (n > 0) fill_adhesion_until(n);
    adhesion = a;
    return row::done;
  }
  row clock_row() {
    table_entry& r = m.scenario_table[table_row::repetition_and_clock];
    r.value_c = in.read_int16();
    r.value_d = in.read_int16();
    r.value_e = in.read_int16();
    return row::done;
  }
  row sand_row() {
    m.scenario_table[table_row::repetition_and_clock].value_a = in.read_int16();
    return row::done;
  }
  row signal_row() {
    int32_t v[11];
    for (int32_t& x : v) x = in.read_int32();
    const int32_t posizione = v[0];
    if (c.beyond_line(posizione, 100) || !signal_fits(m, posizione)) return beyond(posizione);
    memo_segnale(m, posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
    // An error left from the line file ends the reader here too.
    if (m.error_code > 0) return fail_at(m.error_code, posizione);
    return row::done;
  }
  row slowdown_row() {
    int32_t v[6];
    for (int32_t& x : v) x = in.read_int32();
    const int32_t posizione = v[0];
    if (c.beyond_line(posizione, 100) || !slowdown_fits(m, posizione, v[2], v[4])) return beyond(posizione);
    memo_rallentamento(m, posizione, v[1], v[2], v[3], v[4], v[5]);
    if (m.error_code > 0) return fail_at(m.error_code, posizione);
    return row::done;
  }
  row reduction_row() {
    const int32_t p = in.read_int32();
    const int32_t w = in.read_int32();
    if (c.beyond_line(p, 100)) return beyond(p);
    // Without the + 1 that boards and signals take.
    const int64_t k = round_div(p, 50);
    if (k < 0 || k > m.last_cell) return beyond(p);
    track_cell& cell = c.cell(k);
    if (!is_free(cell)) return fail_at(7, p);
    if (w < 1) {
      cell.kind = cell_kind::reduction_point_no_value;
    } else {
      cell.kind = cell_kind::reduction_point;
      cell.value_1 = low16(w);
    }
    return row::done;
  }

  row station_row_read() {
    // With 80 boards even row 1 holds a board text: the station is read
    // and checked all the same, into a scratch row that is never stored,
    // and refused only once its row is counted.
    table_entry scratch;
    table_entry& s = station_row <= c.board_slot ? m.scenario_table[static_cast<size_t>(station_row)] : scratch;
    s.position = in.read_int32();
    if (c.beyond_line(s.position, 800)) return beyond(s.position);
    if (s.position % 50 != 0) return fail_at(8, s.position);
    s.kind = in.read_byte();
    const int32_t length = in.read_int32();
    if (length % 100 != 0) return fail_at(9, s.position);
    s.flag_a = in.read_byte();
    s.flag_b = in.read_byte();
    s.flag_c = in.read_byte();
    s.value_a = in.read_int16();
    s.value_b = in.read_int16();
    s.flag_d = in.read_byte();
    s.value_c = in.read_int16();
    s.value_d = in.read_int16();
    s.value_e = in.read_int16();
    s.stop_value = in.read_byte();
    const int64_t hours = in.read_int32();
    const int64_t minutes = in.read_int32();
    const int64_t seconds = in.read_int32();
    s.time_of_day = to_int32(hours * 3600 + minutes * 60 + seconds, "the time of day", row_line);
    s.text = in.read_text();
    if (s.text.size() > max_text_length) throw read_failure{"a station name longer than 65535 bytes", in.line()};

    const int64_t pos = s.position;
    if (s.kind == 5 || s.kind == 6) {
      s.range_end = to_int32(pos + 150, "the station's end", row_line);
      s.range_start = to_int32(pos - length, "the station's start", row_line);
      s.flag_c = 0;
    } else if (s.kind == 7 || s.kind == 8) {
      s.range_start = to_int32(pos - length, "the station's start", row_line);
      s.range_end = to_int32(pos + length, "the station's end", row_line);
      s.flag_c = 0;
    } else {
      s.range_start = to_int32(round_div(2 * pos - length, 2), "the station's start", row_line);
      s.range_end = to_int32(round_div(2 * pos + length, 2) + (s.flag_c != 0 ? 50 : 0),
                             "the station's end", row_line);
    }
    if (length < 600) s.flag_b = 0;
    if (station_row == table_row::first_station) {
      s.flag_c = 0;
      s.flag_b = 0;
    }

    if (s.kind < 25) {
      const int64_t end = s.range_end;
      // The end marker, and the approach cells before it, must lie on the
      // line; nothing is written for a station that does not fit.
      if (end > 100 && round_div(end - 50, 50) > m.last_cell) return beyond(s.position);
      if (s.kind != 5 && s.kind != 6)
        for (int k = 1; k <= 4; ++k)
          if (end > int64_t{50} * (k + 2))
            c.cell(round_div(end - int64_t{50} * (k + 1), 50)).approach_code = static_cast<uint8_t>(80 + k);
      if (end <= 100) return fail(24);
      track_cell& marker = c.cell(round_div(end - 50, 50));
      marker.kind = cell_kind::station_end;
      marker.value_1 = static_cast<int16_t>(station_row);
    }
    if (station_row > table_row::first_station &&
        int64_t{s.range_start} - 350 < m.scenario_table[static_cast<size_t>(station_row - 1)].range_end)
      return fail_at(22, s.position);
    ++station_row;
    if (station_row >= c.board_slot) return fail(10);
    return row::done;
  }

  std::array<row_test<train_reader>, 10> tests_for(const std::string& k) const {
    return {{
        {contains_folded(k, "frenata") && contains_folded(k, "massa"), &train_reader::braked_mass_row},
        {contains_folded(k, "vetture"), &train_reader::coaches_row},
        {contains_folded(k, "velocit"), &train_reader::speed_row},
        {contains_folded(k, "aderenza"), &train_reader::adhesion_row},
        {contains_folded(k, "orologio"), &train_reader::clock_row},
        {contains_folded(k, "sabbia"), &train_reader::sand_row},
        {contains_folded(k, "segnale"), &train_reader::signal_row},
        {contains_folded(k, "rallentamento"), &train_reader::slowdown_row},
        {contains_folded(k, "abbattimento"), &train_reader::reduction_row},
        {contains_folded(k, "stazione"), &train_reader::station_row_read},
    }};
  }

  void finish() {
    c.remove_text(c.train_name);
    fill_speeds_until(int64_t{m.last_cell} - 2, int64_t{m.last_cell} + 1);
    fill_adhesion_until(int64_t{m.last_cell} - 2);
    for (int r = 81; r <= 83; ++r) {
      const table_entry& p = m.scenario_table[static_cast<size_t>(r)];
      if (p.range_start % 50 != 0 || p.range_end % 50 != 0) {
        m.error_code = 2;
        c.site = {c.line_name, 0, false, {}};
      }
    }
  }
};

}  // namespace

phase_end read_train_file(context& c) {
  c.reading = c.train_name;
  const std::string path = c.path(c.train_name);
  if (!c.fs.exists(path)) throw read_failure{"the train file does not exist", 0};
  std::string bytes;
  if (io_result r = c.fs.read_file(path, bytes); !r) throw io_stop{r};

  train_reader r{c, c.m, field_cursor(bytes)};
  // A file without "[generale]" gives nothing, an empty one included.
  while (!r.in.at_end()) {
    c.m.current_field = r.in.read_text();
    if (contains_folded(c.m.current_field, "[generale]")) break;
  }

  if (read_body(r, [&r](const std::string& k) { return r.tests_for(k); }) == phase_end::stop)
    return phase_end::stop;
  r.finish();
  return phase_end::go_on;
}

}  // namespace sb::reader
