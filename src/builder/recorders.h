// The recorders that place the line's items into the cells, and the sort
// of the kilometric progressions. Each returns the fault it found, and
// changes nothing when it finds one, except where said; the reader records
// the fault.
#pragma once

#include <cstdint>

#include <array>

#include "builder/build_observer.h"
#include "builder/error_codes.h"
#include "builder/scenario_model.h"

namespace sb {

// Each recorder tells an observer, when given one, the cells its item takes
// or finds taken and each of its values stored otherwise than written
// (the values numbered as the row gives them, the chainage first).

// Marks a mountain zone, clipped to the cells; never fails. The caller
// makes sure there is room for one more zone.
void memo_montagna(scenario_model& m, int32_t inizio, int32_t fine, int32_t tipo, build_observer* seen = nullptr);

// `indicator_cell_taken`; `unreadable_text` when a packed speed does not
// fit 16 bits.
error memo_indicatori_v_max(scenario_model& m, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                            int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced,
                            build_observer* seen = nullptr);

// `signal_cell_taken`.
error memo_segnale(scenario_model& m, int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3,
                   int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t tempo,
                   build_observer* seen = nullptr);

// A taken warning, start or end cell; or a taken approach cell, in which
// case the rest of the slowdown stays placed.
error memo_rallentamento(scenario_model& m, int32_t posizione, int32_t v, int32_t l, int32_t f_tt,
                         int32_t f_ta, int32_t d_v, build_observer* seen = nullptr);

// The sort of the progressions: which row as read (0 "tre", 1 "due",
// 2 "uno") each of rows 81 to 83 now holds, -1 for a cleared row; and
// whether every value raised by 100 for its flag still fits 32 bits, and
// if not, the first row that does not.
struct progression_order {
  bool fits = true;
  std::array<int, 3> origin{-1, -1, -1};
  int overflowed = 0;
};
progression_order progressive_ordina_traced(scenario_model& m);
// False when a value raised by 100 for its flag would pass the 32-bit
// range: an unreadable text, which the reader reports.
[[nodiscard]] bool progressive_ordina(scenario_model& m);

// Whether every cell the item would touch lies in 0 .. last_cell, and if
// not, at which end it leaves the line. The reader refuses the rest before
// calling the recorder; the recorders themselves give `beyond_line` and
// touch nothing if asked all the same.
enum class fit { fits, before_origin, beyond_end };
fit indicator_fits(const scenario_model& m, int32_t posizione);
fit signal_fits(const scenario_model& m, int32_t posizione);
fit slowdown_fits(const scenario_model& m, int32_t posizione, int32_t l, int32_t f_ta);

// Cell of a board, signal or indicator at this chainage: round(p / 50 + 1);
// and the chainage on the grid that gives the same cell.
int64_t item_cell(int64_t chainage);
int64_t item_grid_chainage(int64_t cell);

// The cells of a slowdown at x, l metres long: its warning point, start,
// end, and the last of its four approach cells (they run down from it).
struct slowdown_cells {
  int64_t warning, start, end, approach;
};
slowdown_cells cells_of_slowdown(int64_t x, int64_t l);

}  // namespace sb
