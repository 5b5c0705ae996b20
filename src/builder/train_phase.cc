// The train file: train values, speeds, adhesion, signals, slowdowns,
// speed-reduction points and stations; then the fills that complete the
// cells and the check of the kilometric progressions.
#include <optional>
#include <string>

#include "builder/reader_rows.h"
#include "builder/recorders.h"
#include "builder/rounding.h"

namespace sb {

namespace reader {
namespace {

struct train_reader {
  phase& p;
  scenario_model& m;
  const text_names& names;
  const line_carry& carry;
  int board_slot;
  int station_row = table_row::first_station;
  running_value speed;
  running_value adhesion;

  using row = row_end;

  int32_t to_int32(int64_t v, const char* what) const {
    if (v < INT32_MIN || v > INT32_MAX) p.unreadable(std::string(what) + " does not fit 32 bits");
    return static_cast<int32_t>(v);
  }

  // A recorder's fault ends the reader; so does an item left beyond the
  // cells by the line text, at the first signal or slowdown, as a failure
  // of that row.
  row after_recorder(error e, int32_t posizione) {
    if (e != error::none) return p.fail(e, posizione);
    if (m.error_code != 0) {
      p.fail(static_cast<error>(m.error_code), posizione);
      p.outcome.error->message =
          "an item of the line text lies beyond the end of the line, and the train text's first signal or "
          "slowdown ends the reader";
      return row::failed;
    }
    return row::done;
  }

  // The fault belongs to the row that put the speed in force, whichever
  // row's fill meets it.
  static std::optional<uint8_t> fitting_speed_code(int64_t kmh) {
    const int64_t code = speed_code_of(kmh);
    if (code < 0 || code > 255) return std::nullopt;
    return static_cast<uint8_t>(code);
  }
  uint8_t speed_code() const {
    const std::optional<uint8_t> code = fitting_speed_code(speed.value);
    if (!code)
      throw read_failure{"speed " + std::to_string(speed.value) + " km/h does not fit a cell's speed code",
                         speed.line, speed.column};
    return *code;
  }

  // A row's speed fill stops short of the last cell; the end fill may
  // write it. No fill passes the last cell.
  void store_speed(int64_t k) { p.cell(k).speed_code = speed_code(); }
  void store_adhesion(int64_t k) { p.cell(k).adhesion = low8(adhesion.value); }

  row braked_mass_row() {
    m.scenario_table[table_row::train_and_route].range_start = p.in.read_int32();
    return row::done;
  }
  row coaches_row() {
    m.scenario_table[table_row::train_and_route].position = p.in.read_int32();
    return row::done;
  }
  row speed_row() {
    const row r = running_row(p, speed, m.last_cell, [this](int64_t k) { store_speed(k); });
    if (r != row::done) return r;
    if (const std::optional<uint8_t> code = fitting_speed_code(speed.value))
      p.stored(1, speed.value, speed_kmh(*code), stored_how::rounded);
    return r;
  }
  row adhesion_row() {
    const row r = running_row(p, adhesion, int64_t{m.last_cell} + 1, [this](int64_t k) { store_adhesion(k); });
    if (r == row::done) p.stored(1, adhesion.value, low8(adhesion.value), stored_how::wrapped);
    return r;
  }
  row clock_row() {
    table_entry& r = m.scenario_table[table_row::repetition_and_clock];
    r.value_c = p.in.read_int16();
    r.value_d = p.in.read_int16();
    r.value_e = p.in.read_int16();
    return row::done;
  }
  row sand_row() {
    m.scenario_table[table_row::repetition_and_clock].value_a = p.in.read_int16();
    return row::done;
  }
  row signal_row() {
    int32_t v[11];
    for (int32_t& x : v) x = p.in.read_int32();
    const int32_t posizione = v[0];
    if (p.beyond_line(posizione, 100)) return p.beyond(posizione);
    if (const fit f = signal_fits(m, posizione); f != fit::fits) return p.beyond(posizione, f);
    p.landed(0, posizione, item_cell(posizione), item_grid_chainage(item_cell(posizione)));
    const error e =
        memo_segnale(m, posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], p.seen);
    return after_recorder(e, posizione);
  }
  row slowdown_row() {
    int32_t v[6];
    for (int32_t& x : v) x = p.in.read_int32();
    const int32_t posizione = v[0];
    if (p.beyond_line(posizione, 100)) return p.beyond(posizione);
    if (const fit f = slowdown_fits(m, posizione, v[2], v[4]); f != fit::fits) return p.beyond(posizione, f);
    p.landed(0, posizione, item_cell(posizione), item_grid_chainage(item_cell(posizione)));
    const error e = memo_rallentamento(m, posizione, v[1], v[2], v[3], v[4], v[5], p.seen);
    return after_recorder(e, posizione);
  }
  row reduction_row() {
    const int32_t at = p.in.read_int32();
    const int32_t w = p.in.read_int32();
    if (p.beyond_line(at, 100)) return p.beyond(at);
    // Without the + 1 that boards and signals take.
    const int64_t k = round_div(at, metres_per_cell);
    if (k < 0 || k > m.last_cell) return p.beyond(at, k < 0 ? fit::before_origin : fit::beyond_end);
    p.landed(0, at, k, chainage_of_cell(k));
    track_cell& cell = p.cell(k);
    if (!is_free(cell)) {
      p.refused(k);
      return p.fail(error::reduction_cell_taken, at);
    }
    if (w < 1) {
      cell.kind = cell_kind::reduction_point_no_value;
    } else {
      cell.kind = cell_kind::reduction_point;
      cell.value_1 = low16(w);
      p.stored(1, w, cell.value_1, stored_how::narrowed);
    }
    p.taken(k, cell.kind);
    return row::done;
  }

  // Steps 3 and 4 of a station: its fields after the chainage. Returns
  // the length, which is not stored.
  int32_t read_station_fields(table_entry& s) {
    s.kind = p.in.read_byte();
    const int32_t length = p.in.read_int32();
    if (length % 100 != 0) return length;
    s.flag_a = p.in.read_byte();
    s.flag_b = p.in.read_byte();
    s.flag_c = p.in.read_byte();
    s.value_a = p.in.read_int16();
    s.value_b = p.in.read_int16();
    s.flag_d = p.in.read_byte();
    s.value_c = p.in.read_int16();
    s.value_d = p.in.read_int16();
    s.value_e = p.in.read_int16();
    s.stop_value = p.in.read_byte();
    const int64_t hours = p.in.read_int32();
    const int64_t minutes = p.in.read_int32();
    const int64_t seconds = p.in.read_int32();
    s.time_of_day = to_int32(hours * 3600 + minutes * 60 + seconds, "the time of day");
    s.text = p.in.read_text();
    if (s.text.size() > longest_text)
      throw read_failure{"a station name longer than " + std::to_string(longest_text) + " bytes", p.in.line()};
    return length;
  }

  // Steps 5 to 7: where the station begins and ends, and the flags that
  // depend on it.
  void set_extent(table_entry& s, int32_t length) const {
    const int64_t pos = s.position;
    if (ends_past_position(s.kind)) {
      s.range_end = to_int32(pos + 150, "the station's end");
      s.range_start = to_int32(pos - length, "the station's start");
      s.flag_c = 0;
    } else if (spans_both_ways(s.kind)) {
      s.range_start = to_int32(pos - length, "the station's start");
      s.range_end = to_int32(pos + length, "the station's end");
      s.flag_c = 0;
    } else {
      s.range_start = to_int32(round_div(2 * pos - length, 2), "the station's start");
      s.range_end = to_int32(round_div(2 * pos + length, 2) + (s.flag_c != 0 ? 50 : 0), "the station's end");
    }
    if (length < 600) s.flag_b = 0;
    if (station_row == table_row::first_station) {
      s.flag_c = 0;
      s.flag_b = 0;
    }
  }

  // Steps 8 and 9: the approach codes and the end marker before the
  // station's end. They must lie on the line; nothing is written for a
  // station that does not fit.
  row mark_station_end(const table_entry& s) {
    const int64_t end = s.range_end;
    if (end > 100 && round_div(end - 50, 50) > m.last_cell) return p.beyond(s.position);
    if (!ends_past_position(s.kind))
      for (int k = 1; k <= 4; ++k)
        if (end > int64_t{50} * (k + 2))
          p.cell(round_div(end - int64_t{50} * (k + 1), 50)).approach_code = static_cast<uint8_t>(80 + k);
    if (end <= 100) return p.fail(error::station_near_origin);
    const int64_t marker_cell = round_div(end - 50, 50);
    track_cell& marker = p.cell(marker_cell);
    marker.kind = cell_kind::station_end;
    marker.value_1 = static_cast<int16_t>(station_row);
    p.taken(marker_cell, marker.kind);
    return row::done;
  }

  row station_row_read() {
    // With 80 boards even row 1 holds a board text: the station is read
    // and checked all the same, into a scratch row that is never stored,
    // and refused only once its row is counted.
    table_entry scratch;
    table_entry& s = station_row <= board_slot ? m.scenario_table[static_cast<size_t>(station_row)] : scratch;
    s.position = p.in.read_int32();
    if (p.beyond_line(s.position, 800)) return p.beyond(s.position);
    if (s.position % 50 != 0) return p.fail(error::station_off_grid, s.position);
    const int32_t length = read_station_fields(s);
    if (length % 100 != 0) return p.fail(error::station_length, s.position);
    set_extent(s, length);
    if (marks_cells(s.kind))
      if (const row r = mark_station_end(s); r != row::done) return r;
    if (station_row > table_row::first_station &&
        int64_t{s.range_start} - 350 < m.scenario_table[static_cast<size_t>(station_row - 1)].range_end)
      return p.fail(error::stations_too_close, s.position);
    if (&s != &scratch) p.table_row_filled(station_row);
    ++station_row;
    if (station_row >= board_slot) return p.fail(error::too_many_stations);
    return row::done;
  }

  static const std::array<row_test<train_reader>, 10> rows;

  // The fills that close the body and the check of the progressions,
  // whether the body reached the end of the text or an item beyond the
  // cells.
  void finish() {
    const int64_t end = int64_t{m.last_cell} - 2, past_last = int64_t{m.last_cell} + 1;
    speed.fill_until(end, past_last, [this](int64_t k) { store_speed(k); });
    adhesion.fill_until(end, past_last, [this](int64_t k) { store_adhesion(k); });
    // Every row off the grid is at fault; the last one found is the one
    // the build keeps.
    for (int r = table_row::progression_largest; r <= table_row::progression_smallest; ++r) {
      const table_entry& prog = m.scenario_table[static_cast<size_t>(r)];
      if (prog.range_start % 50 != 0 || prog.range_end % 50 != 0) {
        m.error_code = code_of(error::progression_off_grid);
        if (p.outcome.error && p.seen) p.seen->reader_fault(*p.outcome.error);
        const source_place at = carry.progression_rows[static_cast<size_t>(r - table_row::progression_largest)];
        p.outcome.error = build_error{error::progression_off_grid, std::nullopt, names.line, at.line, {}, at.column, {}};
      }
    }
  }

  void read() {
    // A text without "[generale]" gives nothing, an empty one included.
    while (!p.in.at_end()) {
      m.current_field = p.in.read_text();
      if (contains_folded(m.current_field, "[generale]")) {
        if (p.seen) p.seen->generale_found();
        break;
      }
    }
    if (read_body(*this)) finish();
  }
};

const std::array<row_test<train_reader>, 10> train_reader::rows{{
    {keyword_id::massa_frenata, &train_reader::braked_mass_row},
    {keyword_id::vetture, &train_reader::coaches_row},
    {keyword_id::velocita, &train_reader::speed_row},
    {keyword_id::aderenza, &train_reader::adhesion_row},
    {keyword_id::orologio, &train_reader::clock_row},
    {keyword_id::sabbia, &train_reader::sand_row},
    {keyword_id::segnale, &train_reader::signal_row},
    {keyword_id::rallentamento, &train_reader::slowdown_row},
    {keyword_id::abbattimento, &train_reader::reduction_row},
    {keyword_id::stazione, &train_reader::station_row_read},
}};

}  // namespace
}  // namespace reader

phase_outcome read_train_text(scenario_model& model, std::string_view text, const text_names& names,
                              const line_carry& carry, build_observer* seen) {
  reader::phase p(model, text, names.train, text_role::train, seen);
  reader::train_reader r{p, model, names, carry, carry.board_slot, table_row::first_station, {}, {}};
  return reader::run_guarded(p, [&r] { r.read(); });
}

}  // namespace sb
