#include "builder/recorders.h"

#include <algorithm>
#include <array>

#include "builder/rounding.h"

namespace sb {

namespace {

track_cell& cell(scenario_model& m, int64_t k) { return m.cells[static_cast<size_t>(k)]; }

// The observer's calls, when there is one.
struct told {
  build_observer* seen;
  void taken(int64_t k, uint8_t kind) const {
    if (seen) seen->cell_taken(k, kind);
  }
  error refused(int64_t k, error e) const {
    if (seen) seen->cell_refused(k);
    return e;
  }
  void stored(size_t value, int64_t written, int64_t kept, stored_how how, std::string_view what = {}) const {
    if (seen && written != kept) seen->value_stored({value, written, kept, how, -1, what});
  }
  void landed(size_t value, int64_t chainage, int64_t into) const {
    if (seen && chainage % metres_per_cell != 0)
      seen->value_stored({value, chainage, chainage_of_cell(into), stored_how::landed, into, {}});
  }
};

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
int64_t item_grid_chainage(int64_t cell) { return chainage_of_cell(cell - 1); }

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

void memo_montagna(scenario_model& m, int32_t inizio, int32_t fine, int32_t tipo, build_observer* seen) {
  const told tell{seen};
  bool marked = false;
  if (tipo > 10) {
    tipo -= 10;
    marked = true;
  }
  const int32_t asked = tipo;
  if (m.mountain_count >= mountain_capacity) return;
  m.mountain_count += 1;
  m.mountain_start[static_cast<size_t>(m.mountain_count)] = inizio;
  m.mountain_end[static_cast<size_t>(m.mountain_count)] = fine;
  if (m.mountain_count > 1 &&
      int64_t{inizio} - m.mountain_end[static_cast<size_t>(m.mountain_count - 1)] <= 150) {
    tipo = 3;
    tell.stored(2, asked, tipo, stored_how::replaced, "mountain kind");
  }
  tell.stored(2, tipo, low8(tipo), stored_how::wrapped, "mountain kind");

  // The zone's own count decides the markers, so clipping keeps them in
  // place.
  const int64_t first = round_div(inizio, 50);
  tell.landed(0, inizio, first);
  const int64_t last = round_div(int64_t{fine} - 50, 50);
  const int64_t from = std::max<int64_t>(first, 0);
  const int64_t to = std::min<int64_t>(last, m.last_cell);
  for (int64_t c = from; c <= to && !m.cells.empty(); ++c) {
    track_cell& t = cell(m, c);
    t.mountain_kind = low8(tipo);
    const int64_t count = c - first + 1;
    if (marked && count % 4 == 0 && t.kind == cell_kind::empty) {
      t.kind = cell_kind::mountain_marker;
      tell.taken(c, t.kind);
    }
  }
}

error memo_indicatori_v_max(scenario_model& m, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                            int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced,
                            build_observer* seen) {
  const told tell{seen};
  if (indicator_fits(m, posizione) != fit::fits) return error::beyond_line;
  const int64_t k = item_cell(posizione);
  if (!is_free(cell(m, k))) return tell.refused(k, error::indicator_cell_taken);
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
  tell.taken(k, t.kind);
  // What the simulator reads back of each value.
  const indicator_values back = unpack_indicator(t);
  const int64_t written[] = {vas, vbs, vcs, vad, vbd, vcd};
  const int64_t kept[] = {back.vas, back.vbs, back.vcs, back.vad, back.vbd, back.vcd};
  static constexpr size_t value_of[] = {1, 2, 3, 5, 6, 7};
  for (size_t i = 0; i < std::size(written); ++i) tell.stored(value_of[i], written[i], kept[i], stored_how::rounded);
  const int64_t stripes = int64_t{strisces} * 10 + strisced;
  tell.stored(4, stripes, t.value_4, stored_how::narrowed, "strisces × 10 + strisced");
  return error::none;
}

error memo_segnale(scenario_model& m, int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3,
                   int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t tempo,
                   build_observer* seen) {
  const told tell{seen};
  if (signal_fits(m, posizione) != fit::fits) return error::beyond_line;
  const int64_t k = item_cell(posizione);
  if (!is_free(cell(m, k))) return tell.refused(k, error::signal_cell_taken);
  track_cell& t = cell(m, k);
  t.kind = cell_kind::signal;
  tell.taken(k, t.kind);
  const packed_values v = pack_signal(sx, s1, s2, s3, rapp, dx, d1, d2, d3);
  t.value_1 = v.value_1;
  t.value_2 = v.value_2;
  t.value_3 = v.value_3;
  t.value_4 = v.value_4;
  const std::array<int64_t, 4> sums = signal_sums(sx, s1, s2, s3, rapp, dx, d1, d2, d3);
  const int16_t packed[] = {v.value_1, v.value_2, v.value_3, v.value_4};
  static constexpr std::string_view sum_names[] = {"s1 × 10 + d1", "s2 × 10 + d2", "s3 × 10 + d3",
                                                   "rapp × 10 + sx × 3 + dx"};
  for (size_t i = 0; i < 4; ++i) tell.stored(i < 3 ? 2 + i : 5, sums[i], packed[i], stored_how::narrowed, sum_names[i]);
  const int32_t written_tempo = tempo;
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  t.signal_time = sx == 2 ? low8(tempo) : 0;
  if (sx != 2) {
    tell.stored(10, written_tempo, 0, stored_how::dropped);
  } else {
    tell.stored(10, written_tempo, tempo, stored_how::raised);
    tell.stored(10, tempo, t.signal_time, stored_how::wrapped);
  }
  // (sx × 3 + dx) × 10 + n in 8-bit arithmetic.
  const int64_t sides = int64_t{low8(sx)} * 3 + low8(dx);
  for (int n = 1; n <= 4; ++n) cell(m, k - 2 * n).approach_code = low8(sides * 10 + n);
  tell.stored(1, sides * 10 + 4, low8(sides * 10 + 4), stored_how::wrapped, "the approach codes (sx × 3 + dx) × 10 + 1 to 4");
  return error::none;
}

error memo_rallentamento(scenario_model& m, int32_t posizione, int32_t v, int32_t l, int32_t f_tt,
                         int32_t f_ta, int32_t d_v, build_observer* seen) {
  const told tell{seen};
  if (slowdown_fits(m, posizione, l, f_ta) != fit::fits) return error::beyond_line;
  const slowdown_cells c = cells_of_slowdown(posizione, l);
  const bool warned = posizione > 1500;
  if (!warned) f_ta = 0;

  if (warned && !is_free(cell(m, c.warning))) return tell.refused(c.warning, error::warning_cell_taken);
  if (!is_free(cell(m, c.start))) return tell.refused(c.start, error::start_cell_taken);
  if (!is_free(cell(m, c.end))) return tell.refused(c.end, error::end_cell_taken);
  if (seen) {
    const int64_t ends_at = int64_t{posizione} + l;
    if (ends_at % metres_per_cell != 0)
      seen->value_stored({2, ends_at, item_grid_chainage(c.end), stored_how::landed, c.end, "the slowdown's end"});
  }
  tell.stored(1, v, low16(v), stored_how::narrowed);
  tell.stored(3, f_tt, low16(f_tt), stored_how::narrowed);
  if (d_v != 0) tell.stored(5, d_v, low16(d_v), stored_how::narrowed);
  track_cell& end = cell(m, c.end);
  end.kind = cell_kind::slowdown_end;
  tell.taken(c.end, end.kind);
  if (d_v != 0) end.value_2 = low16(d_v);
  track_cell& start = cell(m, c.start);
  start.kind = cell_kind::slowdown_start;
  tell.taken(c.start, start.kind);
  if (d_v != 0) start.value_2 = low16(d_v);
  if (warned) {
    track_cell& warning = cell(m, c.warning);
    warning.kind = cell_kind::slowdown_warning;
    tell.taken(c.warning, warning.kind);
    if (d_v != 0) warning.value_2 = low16(d_v);
    warning.value_1 = low16(v);
  }
  for (track_cell* t : {&start, &end}) {
    t->value_1 = low16(v);
    t->value_3 = low16(f_tt);
  }
  if (f_ta != 0) {
    for (int64_t i = 0; i <= 3; ++i)
      if (!is_free(cell(m, c.approach - i))) return tell.refused(c.approach - i, error::approach_cell_taken);
    for (int64_t i = 0; i <= 3; ++i) {
      track_cell& a = cell(m, c.approach - i);
      a.kind = cell_kind::slowdown_approach;
      tell.taken(c.approach - i, a.kind);
      a.value_1 = static_cast<int16_t>(i + 1);
      if (d_v != 0) a.value_2 = static_cast<int16_t>(i + 1);
    }
  }
  return error::none;
}

progression_order progressive_ordina_traced(scenario_model& m) {
  using row_t = table_entry;
  auto& t = m.scenario_table;
  progression_order out;
  // As read: row 81 holds "tre", 82 "due", 83 "uno".
  const std::array<row_t, 3> read{t[81], t[82], t[83]};
  const row_t &tre = read[0], &due = read[1], &uno = read[2];
  constexpr int cleared = -1;
  auto set_rows = [&](int a, int b, int c) {
    out.origin = {a, b, c};
    for (size_t i = 0; i < 3; ++i) t[81 + i] = out.origin[i] == cleared ? row_t{} : read[static_cast<size_t>(out.origin[i])];
  };

  const int64_t sum = int64_t{tre.range_start} + due.range_start + uno.range_start;
  if (sum != 0) {
    // Decreasing start; between equal starts "uno", then "due", then "tre".
    std::array<int, 3> order{2, 1, 0};
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return read[static_cast<size_t>(a)].range_start > read[static_cast<size_t>(b)].range_start;
    });
    if (read[static_cast<size_t>(order[0])].range_start > read[static_cast<size_t>(order[1])].range_start)
      set_rows(order[0], order[1], order[2]);
    else
      set_rows(cleared, cleared, cleared);
  } else {
    // Every test looks at the values as read.
    if (tre.range_end >= 1)
      set_rows(0, 1, 2);
    else
      set_rows(cleared, cleared, cleared);
    if (due.range_end > 0) set_rows(1, 0, 2);
    if (uno.range_end > 0) set_rows(2, 1, 0);
  }
  for (int r = 81; r <= 83; ++r) {
    table_entry& row = t[static_cast<size_t>(r)];
    if (row.position != 1) continue;
    if (row.range_end > INT32_MAX - 100) {
      out.fits = false;
      out.overflowed = r;
      return out;
    }
    row.range_end += 100;
  }
  return out;
}

bool progressive_ordina(scenario_model& m) { return progressive_ordina_traced(m).fits; }

}  // namespace sb
