// The line file: the general block, then the body with gradients, curves,
// mountain zones, indicator boards and indication boards.
#include <string>

#include "builder/reader_context.h"
#include "builder/recorders.h"
#include "builder/rounding.h"
#include "builder/track_plan.h"

namespace sb::reader {

namespace {

constexpr int32_t max_route_length = 1000000;
// The shortest line that still has a cell 1: 7000 m of cells follow the
// route length, so a negative length down to this still builds.
constexpr int32_t min_route_length = -6950;
constexpr int64_t max_plan_index = 1000000;
constexpr size_t max_text_length = 65535;  // the table file's length field

bool is_section_header(const std::string& field) {
  const size_t first = field.find_first_not_of(" \t");
  if (first != std::string::npos && field[first] == '-') return false;
  return field.find('[') != std::string::npos && field.find(']') != std::string::npos;
}

struct line_reader {
  context& c;
  scenario_model& m;
  field_cursor in;
  int row_line = 0;
  int64_t gradient_fill = 0;
  int32_t gradient = 0;
  int64_t plan_next = 2;

  // Closes the phase on a failure that ends the reader.
  phase_end fail(int32_t code) {
    c.record(code, row_line);
    c.remove_text(c.line_name);
    return phase_end::stop;
  }
  phase_end fail_at(int32_t code, int32_t position) {
    c.record_at(code, position, row_line);
    c.remove_text(c.line_name);
    return phase_end::stop;
  }
  // An item beyond the cells: the pass over this file ends here.
  void beyond(int32_t position) { c.record_at(15, position, row_line); }

  void fill_gradients_until(int64_t n) {
    do {
      if (gradient_fill > m.last_cell) break;
      c.cell(gradient_fill).gradient_code = low8(int64_t{gradient} + 100);
      ++gradient_fill;
    } while (gradient_fill < n);
  }

  using row = row_end;

  phase_end find_general() {
    row_line = 0;
    for (;;) {
      if (in.at_end()) return fail(102);
      const std::string field = in.read_text();
      if (in.at_end()) return fail(102);
      if (contains_folded(field, "[generale]")) return phase_end::go_on;
    }
  }

  phase_end read_general_block() {
    for (;;) {
      if (in.at_end()) return phase_end::go_on;
      m.current_field = in.read_text();
      if (in.at_end()) return phase_end::go_on;
      for (int i = 0; i < 10 && contains_exact(m.current_field, "-"); ++i) m.current_field = in.read_text();
      row_line = in.line();
      const std::string& f = m.current_field;
      auto& t = m.scenario_table;

      if (contains_folded(f, "percorso") && contains_folded(f, "lunghezza")) {
        const int32_t length = in.read_int32();
        t[table_row::train_and_route].range_end = length;
        if (length > max_route_length || length < min_route_length) return fail(1);
        m.total_metres = length + 7000;
        m.last_cell = static_cast<int32_t>(round_div(m.total_metres, 50));
        m.cells.assign(static_cast<size_t>(m.last_cell) + 1, track_cell{});
        m.track_plan = {};
        if (m.geometry_flag != 0) create_track_plan(m.track_plan, m.total_metres);
      }
      const struct {
        const char* word;
        int row;
      } progressions[] = {{"tre", 81}, {"due", 82}, {"uno", 83}};
      for (const auto& p : progressions)
        if (contains_exact(f, p.word) && contains_exact(f, "progressiva")) {
          table_entry& r = t[static_cast<size_t>(p.row)];
          r.range_start = in.read_int32();
          r.range_end = in.read_int32();
          r.position = in.read_int32();
        }
      table_entry& scenery = t[table_row::scenery_and_identity];
      if (contains_exact(f, "sfondo") && contains_exact(f, "uno")) scenery.range_start = in.read_int32();
      if (contains_exact(f, "sfondo") && contains_exact(f, "due")) scenery.position = in.read_int32();
      if (contains_exact(f, "sfondo") && contains_exact(f, "tre")) scenery.range_end = in.read_int32();
      if (contains_exact(f, "segnali") && contains_exact(f, "ripetizione")) {
        table_entry& r = t[table_row::repetition_and_clock];
        r.range_start = in.read_int32();
        r.range_end = in.read_int32();
        if (r.range_start % 50 != 0) return fail(3);
        if (r.range_end % 50 != 0) return fail(4);
        if (contains_exact(f, "4"))
          r.position = 4;
        else if (contains_exact(f, "9"))
          r.position = 9;
        else
          return fail(5);
        if (r.range_end == 0) r.position = 0;
      }
      if (is_section_header(f)) return phase_end::go_on;
    }
  }

  row gradient_row() {
    const int32_t p = in.read_int32();
    const int32_t g = in.read_int32();
    if (c.beyond_line(p, 100)) return beyond(p), row::beyond;
    const int64_t n = round_div(p, 50);
    if (n > 0) fill_gradients_until(n);
    gradient = g;
    return row::done;
  }

  // Extends the plan with straight steps up to point `to`, then curve
  // steps up to `curve_to`; code 103 when the index passes its limit.
  bool advance_plan(int64_t to, int64_t curve_to, double k) {
    while (plan_next <= to) {
      straight_step(m.track_plan, plan_next);
      if (++plan_next > max_plan_index) return false;
    }
    while (plan_next <= curve_to) {
      curve_step(m.track_plan, plan_next, k);
      if (++plan_next > max_plan_index) return false;
    }
    return true;
  }

  row curve_row() {
    const int32_t s = in.read_int32();
    const int32_t len = in.read_int32();
    if (c.beyond_line(s, 100)) return beyond(s), row::beyond;
    // The plan's last two points are never computed.
    if (!m.track_plan.exists() || int64_t{s} + len > int64_t{m.total_metres} - 2)
      return beyond(s), row::beyond;
    const double k = curve_curvature(m.current_field);
    if (k == 0.0 || !advance_plan(s, int64_t{s} + len, k)) {
      fail(103);
      return row::failed;
    }
    return row::done;
  }

  row mountain_row() {
    const int32_t inizio = in.read_int32();
    const int32_t fine = in.read_int32();
    const int32_t tipo = in.read_int32();
    if (c.beyond_line(inizio, 100)) return beyond(inizio), row::beyond;
    if (m.mountain_count >= mountain_capacity)
      throw read_failure{"more than " + std::to_string(mountain_capacity) + " mountain zones", row_line};
    memo_montagna(m, inizio, fine, tipo);
    if (m.error_code > 0) {
      fail_at(m.error_code, inizio);
      return row::failed;
    }
    return row::done;
  }

  row indicator_row() {
    int32_t v[9];
    for (int32_t& x : v) x = in.read_int32();
    const int32_t posizione = v[0];
    if (c.beyond_line(posizione, 100) || !indicator_fits(m, posizione)) return beyond(posizione), row::beyond;
    memo_indicatori_v_max(m, posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
    if (m.error_code == 25) throw read_failure{"a packed board speed does not fit 16 bits", row_line};
    if (m.error_code > 0) {
      fail_at(m.error_code, posizione);
      return row::failed;
    }
    return row::done;
  }

  row board_row() {
    const int32_t chainage = in.read_int32();
    m.current_field = in.read_text();
    if (m.current_field.size() > max_text_length)
      throw read_failure{"a board text longer than 65535 bytes", in.line()};
    if (c.beyond_line(chainage, 100) || !indicator_fits(m, chainage)) return beyond(chainage), row::beyond;
    track_cell& cell = c.cell(item_cell(chainage));
    if (!is_free(cell)) {
      fail_at(6, chainage);
      return row::failed;
    }
    if (c.board_slot < table_row::first_station) {
      fail_at(10, chainage);
      return row::failed;
    }
    cell.kind = cell_kind::indication_board;
    cell.value_1 = static_cast<int16_t>(c.board_slot);
    m.scenario_table[static_cast<size_t>(c.board_slot)].text = m.current_field;
    --c.board_slot;
    return row::done;
  }

  // Only the board row changes the keyword field, and it comes last.
  std::array<row_test<line_reader>, 5> tests_for(const std::string& k) const {
    return {{
        {contains_folded(k, "pendenza"), &line_reader::gradient_row},
        {m.geometry_flag != 0 && contains_folded(k, "curva"), &line_reader::curve_row},
        {contains_folded(k, "montagna"), &line_reader::mountain_row},
        {contains_folded(k, "indicatori_v"), &line_reader::indicator_row},
        {contains_folded(k, "cartello") && contains_folded(k, "indicat"), &line_reader::board_row},
    }};
  }

  void finish() {
    c.remove_text(c.line_name);
    fill_gradients_until(int64_t{m.last_cell} - 2);
    if (m.track_plan.exists())
      while (plan_next <= int64_t{m.total_metres} - 2) straight_step(m.track_plan, plan_next++);
  }
};

}  // namespace

phase_end read_line_file(context& c) {
  scenario_model& m = c.m;
  c.reading = c.line_name;
  const std::string path = c.path(c.line_name);
  if (!c.fs.exists(path)) {
    c.record(101, 0);
    return phase_end::stop;
  }
  std::string bytes;
  if (io_result r = c.fs.read_file(path, bytes); !r) throw io_stop{r};

  line_reader r{c, m, field_cursor(bytes)};
  phase_end end = r.find_general();
  if (end == phase_end::go_on) end = r.read_general_block();
  if (end == phase_end::stop) return end;

  if (!progressive_ordina(m))
    throw read_failure{"a kilometric progression's value + 100 does not fit 32 bits", 0};
  m.mountain_count = 0;
  c.board_slot = table_row::first_board;
  if (m.track_plan.exists()) seed_track_plan(m.track_plan);

  if (read_body(r, [&r](const std::string& k) { return r.tests_for(k); }) == phase_end::stop)
    return phase_end::stop;
  r.finish();
  return phase_end::go_on;
}

}  // namespace sb::reader
