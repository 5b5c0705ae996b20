#include "builder/recorders.h"

#include <algorithm>
#include <array>

#include "builder/rounding.h"

namespace sb {

namespace {

track_cell& cell(scenario_model& m, int64_t k) { return m.cells[static_cast<size_t>(k)]; }

// Where cells from `low` to `high` stand against the line.
fit fit_of(const scenario_model& m, int64_t low, int64_t high) {
  if (low < 0) return fit::before_origin;
  if (high > m.last_cell) return fit::beyond_end;
  return fit::fits;
}

}  // namespace

slowdown_cells cells_of_slowdown(int64_t x, int64_t l) {
  return {round_div(x - 1200 + 50, 50), round_div(x + 50, 50), round_div(x + l + 50, 50),
          round_div(x - 1200, 50)};
}

int64_t item_cell(int64_t chainage) { return round_div(chainage + 50, 50); }

fit indicator_fits(const scenario_model& m, int32_t posizione) {
  const int64_t k = item_cell(posizione);
  return fit_of(m, k, k);
}

fit signal_fits(const scenario_model& m, int32_t posizione) {
  const int64_t k = item_cell(posizione);
  return fit_of(m, k - 8, k);
}

fit slowdown_fits(const scenario_model& m, int32_t posizione, int32_t l, int32_t f_ta) {
  const slowdown_cells c = cells_of_slowdown(posizione, l);
  const bool warned = posizione > 1500;
  int64_t low = std::min(c.start, c.end), high = std::max(c.start, c.end);
  if (warned) {
    low = std::min(low, c.warning);
    high = std::max(high, c.warning);
  }
  if (warned && f_ta != 0) {
    low = std::min(low, c.approach - 3);
    high = std::max(high, c.approach);
  }
  return fit_of(m, low, high);
}

void memo_montagna(scenario_model& m, int32_t inizio, int32_t fine, int32_t tipo) {
  bool marked = false;
  if (tipo > 10) {
    tipo -= 10;
    marked = true;
  }
  if (m.mountain_count >= mountain_capacity) return;
  m.mountain_count += 1;
  m.mountain_start[static_cast<size_t>(m.mountain_count)] = inizio;
  m.mountain_end[static_cast<size_t>(m.mountain_count)] = fine;
  if (m.mountain_count > 1 &&
      int64_t{inizio} - m.mountain_end[static_cast<size_t>(m.mountain_count - 1)] <= 150)
    tipo = 3;

  // The zone's own count decides the markers, so clipping keeps them in
  // place.
  const int64_t first = round_div(inizio, 50);
  const int64_t last = round_div(int64_t{fine} - 50, 50);
  const int64_t from = std::max<int64_t>(first, 0);
  const int64_t to = std::min<int64_t>(last, m.last_cell);
  for (int64_t c = from; c <= to && !m.cells.empty(); ++c) {
    track_cell& t = cell(m, c);
    t.mountain_kind = low8(tipo);
    const int64_t count = c - first + 1;
    if (marked && count % 4 == 0 && t.kind == cell_kind::empty) t.kind = cell_kind::mountain_marker;
  }
}

error memo_indicatori_v_max(scenario_model& m, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                            int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced) {
  if (indicator_fits(m, posizione) != fit::fits) return error::beyond_line;
  const int64_t k = item_cell(posizione);
  if (!is_free(cell(m, k))) return error::indicator_cell_taken;
  std::array<int16_t, 3> packed{};
  if (!pack_indicator_speed(vas, vad, packed[0]) || !pack_indicator_speed(vbs, vbd, packed[1]) ||
      !pack_indicator_speed(vcs, vcd, packed[2]))
    return error::unreadable_text;
  track_cell& t = cell(m, k);
  t.kind = cell_kind::speed_indicator;
  t.value_1 = packed[0];
  t.value_2 = packed[1];
  t.value_3 = packed[2];
  t.value_4 = low16(int64_t{strisces} * 10 + strisced);
  return error::none;
}

error memo_segnale(scenario_model& m, int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3,
                   int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t tempo) {
  if (signal_fits(m, posizione) != fit::fits) return error::beyond_line;
  const int64_t k = item_cell(posizione);
  if (!is_free(cell(m, k))) return error::signal_cell_taken;
  track_cell& t = cell(m, k);
  t.kind = cell_kind::signal;
  const packed_values v = pack_signal(sx, s1, s2, s3, rapp, dx, d1, d2, d3);
  t.value_1 = v.value_1;
  t.value_2 = v.value_2;
  t.value_3 = v.value_3;
  t.value_4 = v.value_4;
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  t.signal_time = sx == 2 ? low8(tempo) : 0;
  // (sx × 3 + dx) × 10 + n in 8-bit arithmetic.
  const int64_t sides = int64_t{low8(sx)} * 3 + low8(dx);
  for (int n = 1; n <= 4; ++n) cell(m, k - 2 * n).approach_code = low8(sides * 10 + n);
  return error::none;
}

error memo_rallentamento(scenario_model& m, int32_t posizione, int32_t v, int32_t l, int32_t f_tt,
                         int32_t f_ta, int32_t d_v) {
  if (slowdown_fits(m, posizione, l, f_ta) != fit::fits) return error::beyond_line;
  const slowdown_cells c = cells_of_slowdown(posizione, l);
  const bool warned = posizione > 1500;
  if (!warned) f_ta = 0;

  if (warned && !is_free(cell(m, c.warning))) return error::warning_cell_taken;
  if (!is_free(cell(m, c.start))) return error::start_cell_taken;
  if (!is_free(cell(m, c.end))) return error::end_cell_taken;
  track_cell& end = cell(m, c.end);
  end.kind = cell_kind::slowdown_end;
  if (d_v != 0) end.value_2 = low16(d_v);
  track_cell& start = cell(m, c.start);
  start.kind = cell_kind::slowdown_start;
  if (d_v != 0) start.value_2 = low16(d_v);
  if (warned) {
    track_cell& warning = cell(m, c.warning);
    warning.kind = cell_kind::slowdown_warning;
    if (d_v != 0) warning.value_2 = low16(d_v);
    warning.value_1 = low16(v);
  }
  for (track_cell* t : {&start, &end}) {
    t->value_1 = low16(v);
    t->value_3 = low16(f_tt);
  }
  if (f_ta != 0) {
    for (int64_t i = 0; i <= 3; ++i)
      if (!is_free(cell(m, c.approach - i))) return error::approach_cell_taken;
    for (int64_t i = 0; i <= 3; ++i) {
      track_cell& a = cell(m, c.approach - i);
      a.kind = cell_kind::slowdown_approach;
      a.value_1 = static_cast<int16_t>(i + 1);
      if (d_v != 0) a.value_2 = static_cast<int16_t>(i + 1);
    }
  }
  return error::none;
}

bool progressive_ordina(scenario_model& m) {
  using row_t = table_entry;
  auto& t = m.scenario_table;
  // As read: row 81 holds "tre", 82 "due", 83 "uno".
  const row_t tre = t[81], due = t[82], uno = t[83];
  auto set_rows = [&](const row_t& a, const row_t& b, const row_t& c) {
    t[81] = a;
    t[82] = b;
    t[83] = c;
  };
  const row_t zero{};

  const int64_t sum = int64_t{tre.range_start} + due.range_start + uno.range_start;
  if (sum != 0) {
    // Decreasing start; between equal starts "uno", then "due", then "tre".
    std::array<const row_t*, 3> order{&uno, &due, &tre};
    std::stable_sort(order.begin(), order.end(),
                     [](const row_t* a, const row_t* b) { return a->range_start > b->range_start; });
    if (order[0]->range_start > order[1]->range_start)
      set_rows(*order[0], *order[1], *order[2]);
    else
      set_rows(zero, zero, zero);
  } else {
    // Every test looks at the values as read.
    if (tre.range_end >= 1)
      set_rows(tre, due, uno);
    else
      set_rows(zero, zero, zero);
    if (due.range_end > 0) set_rows(due, tre, uno);
    if (uno.range_end > 0) set_rows(uno, due, tre);
  }
  for (int r = 81; r <= 83; ++r) {
    table_entry& row = t[static_cast<size_t>(r)];
    if (row.position != 1) continue;
    if (row.range_end > INT32_MAX - 100) return false;
    row.range_end += 100;
  }
  return true;
}

}  // namespace sb
