// The line text: the general block, then the body with gradients, curves,
// mountain zones, indicator boards and indication boards.
#include <algorithm>
#include <string>

#include "builder/reader_rows.h"
#include "builder/recorders.h"
#include "builder/rounding.h"
#include "builder/track_plan.h"

namespace sb {

namespace reader {
namespace {

constexpr int32_t max_route_length = 1000000;
// The shortest line that still has a cell 1: 7000 m of cells follow the
// route length, so a negative length down to this still builds.
constexpr int32_t min_route_length = -6950;
constexpr int64_t max_plan_index = 1000000;

bool is_section_header(const std::string& field) {
  const size_t first = field.find_first_not_of(" \t");
  if (first != std::string::npos && field[first] == '-') return false;
  return field.find('[') != std::string::npos && field.find(']') != std::string::npos;
}

struct line_reader {
  phase& p;
  scenario_model& m;
  int& board_slot;
  running_value gradient;
  int64_t plan_next = 2;
  // Where each progression row was read, as rows 81 to 83 hold them.
  std::array<source_place, 3>& progression_rows;

  void fill_gradients_until(int64_t n) {
    gradient.fill_until(n, int64_t{m.last_cell} + 1, [this](int64_t k) { store_gradient(k); });
  }
  void store_gradient(int64_t k) { p.cell(k).gradient_code = gradient_code_of(gradient.value); }

  bool find_general() {
    for (;;) {
      if (p.in.at_end()) return false;
      const std::string field = p.in.read_text();
      if (p.in.at_end()) return false;
      if (contains_folded(field, "[generale]")) {
        if (p.seen) p.seen->generale_found();
        return true;
      }
    }
  }

  row_end route_length_row() {
    const int32_t length = p.in.read_int32();
    m.scenario_table[table_row::train_and_route].range_end = length;
    if (length > max_route_length || length < min_route_length) return p.fail(error::route_length);
    m.total_metres = length + 7000;
    m.last_cell = static_cast<int32_t>(round_div(m.total_metres, metres_per_cell));
    m.cells.assign(static_cast<size_t>(m.last_cell) + 1, track_cell{});
    m.track_plan = {};
    if (m.geometry_flag != 0) create_track_plan(m.track_plan, m.total_metres);
    return row_end::done;
  }

  row_end repetition_row(const std::string& keyword) {
    table_entry& r = m.scenario_table[table_row::repetition_and_clock];
    r.range_start = p.in.read_int32();
    r.range_end = p.in.read_int32();
    if (r.range_start % 50 != 0) return p.fail(error::repetition_start_off_grid);
    if (r.range_end % 50 != 0) return p.fail(error::repetition_end_off_grid);
    if (contains_exact(keyword, "4"))
      r.position = 4;
    else if (contains_exact(keyword, "9"))
      r.position = 9;
    else
      return p.fail(error::repetition_system);
    if (r.range_end == 0) r.position = 0;
    return row_end::done;
  }

  // One field of the general block and the rows it names. False when the
  // block ends with it.
  // A row of the general block, when the field names it.
  template <typename Read>
  row_end general(const std::string& f, keyword_id id, Read read) {
    const keyword_info& k = keyword(id);
    if (!field_names(k, f)) return row_end::done;
    p.open_row(k, true);
    const row_end r = read();
    p.close_row();
    return r;
  }

  // Every row of the general block is tested on each of its fields, in
  // the table's order, and the field may name several.
  row_end general_row(const std::string& f) {
    auto& t = m.scenario_table;
    if (general(f, keyword_id::route_length, [this] { return route_length_row(); }) == row_end::failed)
      return row_end::failed;
    const struct {
      keyword_id id;
      int row;
    } progressions[] = {{keyword_id::progression_tre, table_row::progression_largest},
                        {keyword_id::progression_due, table_row::progression_middle},
                        {keyword_id::progression_uno, table_row::progression_smallest}};
    for (const auto& prog : progressions)
      general(f, prog.id, [&] {
        table_entry& r = t[static_cast<size_t>(prog.row)];
        r.range_start = p.in.read_int32();
        r.range_end = p.in.read_int32();
        r.position = p.in.read_int32();
        progression_rows[static_cast<size_t>(prog.row - table_row::progression_largest)] = {p.row_line, p.row_column};
        return row_end::done;
      });
    table_entry& scenery = t[table_row::scenery_and_identity];
    const struct {
      keyword_id id;
      int32_t table_entry::*field;
    } sceneries[] = {{keyword_id::sfondo_uno, &table_entry::range_start},
                     {keyword_id::sfondo_due, &table_entry::position},
                     {keyword_id::sfondo_tre, &table_entry::range_end}};
    for (const auto& sc : sceneries)
      general(f, sc.id, [&] {
        scenery.*sc.field = p.in.read_int32();
        return row_end::done;
      });
    return general(f, keyword_id::repetition, [&] { return repetition_row(f); });
  }

  bool read_general_block() {
    for (;;) {
      if (p.in.at_end()) return true;
      m.current_field = p.in.read_text();
      if (p.in.at_end()) return true;
      // The general block passes over more comment fields than the body.
      constexpr int comments_allowed = 10;
      int comments = 0;
      for (; comments < comments_allowed && contains_exact(m.current_field, "-"); ++comments)
        m.current_field = p.in.read_text();
      p.keyword_read(comments, comments_allowed);
      if (general_row(m.current_field) == row_end::failed) return false;
      if (is_section_header(m.current_field)) {
        if (p.seen) p.seen->general_block_ended();
        return true;
      }
    }
  }

  row_end gradient_row() {
    const row_end r = running_row(p, gradient, int64_t{m.last_cell} + 1, [this](int64_t k) { store_gradient(k); });
    if (r == row_end::done)
      p.stored(1, gradient.value, gradient_per_mille(gradient_code_of(gradient.value)), stored_how::wrapped);
    return r;
  }

  // Extends the plan with straight steps up to point `to`, then curve
  // steps up to `curve_to`; false when a step reaches the index limit.
  bool advance_plan(int64_t to, int64_t curve_to, double k) {
    return advance(to, [this](int64_t from, int64_t last) { straight_steps(m.track_plan, from, last); }) &&
           advance(curve_to, [this, k](int64_t from, int64_t last) { curve_steps(m.track_plan, from, last, k); });
  }
  template <typename Steps>
  bool advance(int64_t to, Steps steps) {
    if (plan_next > to) return true;
    const int64_t last = std::min(to, max_plan_index);
    steps(plan_next, last);
    plan_next = last + 1;
    return plan_next <= max_plan_index;
  }

  row_end curve_row() {
    const int32_t s = p.in.read_int32();
    const int32_t len = p.in.read_int32();
    if (p.beyond_line(s, 100)) return p.beyond(s);
    // The plan's last two points are never computed.
    if (!m.track_plan.exists() || int64_t{s} + len > int64_t{m.total_metres} - 2) return p.beyond(s);
    const double k = curve_curvature(m.current_field);
    if (k == 0.0 || !advance_plan(s, int64_t{s} + len, k)) return p.fail(error::curve_sharpness);
    return row_end::done;
  }

  row_end mountain_row() {
    const int32_t inizio = p.in.read_int32();
    const int32_t fine = p.in.read_int32();
    const int32_t tipo = p.in.read_int32();
    if (p.beyond_line(inizio, 100)) return p.beyond(inizio);
    if (m.mountain_count >= mountain_capacity)
      p.unreadable("more than " + std::to_string(mountain_capacity) + " mountain zones");
    memo_montagna(m, inizio, fine, tipo, p.seen);
    return row_end::done;
  }

  row_end indicator_row() {
    int32_t v[9];
    for (int32_t& x : v) x = p.in.read_int32();
    const int32_t posizione = v[0];
    if (p.beyond_line(posizione, 100)) return p.beyond(posizione);
    if (const fit f = indicator_fits(m, posizione); f != fit::fits) return p.beyond(posizione, f);
    p.landed(0, posizione, item_cell(posizione), item_grid_chainage(item_cell(posizione)));
    const error e = memo_indicatori_v_max(m, posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], p.seen);
    if (e == error::unreadable_text) p.unreadable("a packed board speed does not fit 16 bits");
    if (e != error::none) return p.fail(e, posizione);
    return row_end::done;
  }

  row_end board_row() {
    const int32_t chainage = p.in.read_int32();
    m.current_field = p.in.read_text();
    if (m.current_field.size() > longest_text)
      throw read_failure{"a board text longer than " + std::to_string(longest_text) + " bytes", p.in.line()};
    if (p.beyond_line(chainage, 100)) return p.beyond(chainage);
    if (const fit f = indicator_fits(m, chainage); f != fit::fits) return p.beyond(chainage, f);
    const int64_t k = item_cell(chainage);
    p.landed(0, chainage, k, item_grid_chainage(k));
    track_cell& cell = p.cell(k);
    if (!is_free(cell)) {
      p.refused(k);
      return p.fail(error::board_cell_taken, chainage);
    }
    if (board_slot < table_row::first_station) return p.fail(error::too_many_stations, chainage);
    cell.kind = cell_kind::indication_board;
    p.taken(k, cell.kind);
    cell.value_1 = static_cast<int16_t>(board_slot);
    m.scenario_table[static_cast<size_t>(board_slot)].text = m.current_field;
    p.table_row_filled(board_slot);
    --board_slot;
    return row_end::done;
  }

  // Only the board row changes the keyword field, and it comes last.
  static const std::array<row_test<line_reader>, 5> rows;

  // The fills that close the body, whether it reached the end of the text
  // or an item beyond the cells.
  void finish() {
    fill_gradients_until(int64_t{m.last_cell} - 2);
    if (m.track_plan.exists()) straight_steps(m.track_plan, plan_next, int64_t{m.total_metres} - 2);
  }

  void read() {
    if (!find_general()) {
      p.row_line = 0;
      p.fail(error::no_generale);
      return;
    }
    if (!read_general_block()) return;
    const progression_order order = progressive_ordina_traced(m);
    std::array<source_place, 3> read_at = progression_rows;
    for (size_t i = 0; i < 3; ++i)
      progression_rows[i] = order.origin[i] < 0 ? source_place{} : read_at[static_cast<size_t>(order.origin[i])];
    if (!order.fits) {
      const source_place at = progression_rows[static_cast<size_t>(order.overflowed - table_row::progression_largest)];
      throw read_failure{"a kilometric progression's value + 100 does not fit 32 bits", at.line, at.column};
    }
    m.mountain_count = 0;
    board_slot = table_row::first_board;
    if (m.track_plan.exists()) seed_track_plan(m.track_plan);
    if (!read_body(*this)) return;
    finish();
  }
};

const std::array<row_test<line_reader>, 5> line_reader::rows{{
    {keyword_id::pendenza, &line_reader::gradient_row},
    {keyword_id::curva, &line_reader::curve_row},
    {keyword_id::montagna, &line_reader::mountain_row},
    {keyword_id::indicatori_vmax, &line_reader::indicator_row},
    {keyword_id::cartello_indicatore, &line_reader::board_row},
}};

}  // namespace
}  // namespace reader

phase_outcome read_line_text(scenario_model& model, std::string_view text, const text_names& names,
                             line_carry& carry, build_observer* seen) {
  reader::phase p(model, text, names.line, text_role::line, seen);
  reader::line_reader r{p, model, carry.board_slot, {}, 2, carry.progression_rows};
  return reader::run_guarded(p, [&r] { r.read(); });
}

}  // namespace sb
