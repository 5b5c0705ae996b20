// The recorders that place the line's items into the cells, and the sort
// of the kilometric progressions. They report failure only through
// `error_code`, which the reader looks at after every call.
#pragma once

#include <cstdint>

#include "builder/scenario_model.h"

namespace sb {

// Marks a mountain zone, clipped to the cells; never fails. The caller
// makes sure there is room for one more zone.
void memo_montagna(scenario_model& m, int32_t inizio, int32_t fine, int32_t tipo);

// Code 21 when the board's cell is taken; 25 when a packed speed does not
// fit 16 bits.
void memo_indicatori_v_max(scenario_model& m, int32_t posizione, int32_t vas, int32_t vbs,
                           int32_t vcs, int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd,
                           int32_t strisced);

// Code 16 when the signal's cell is taken.
void memo_segnale(scenario_model& m, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                  int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                  int32_t tempo);

// Codes 17 to 20 for a taken warning, start, end or approach cell.
void memo_rallentamento(scenario_model& m, int32_t posizione, int32_t v, int32_t l,
                        int32_t f_tt, int32_t f_ta, int32_t d_v);

// False when a value raised by 100 for its flag would pass the 32-bit
// range: an unreadable text, which the reader reports.
[[nodiscard]] bool progressive_ordina(scenario_model& m);

// Whether every cell the item would touch lies in 0 .. last_cell. The
// reader refuses the rest before calling the recorder; the recorders
// themselves record 15 and touch nothing if asked all the same.
bool indicator_fits(const scenario_model& m, int32_t posizione);
bool signal_fits(const scenario_model& m, int32_t posizione);
bool slowdown_fits(const scenario_model& m, int32_t posizione, int32_t l, int32_t f_ta);

// Cell of a board, signal or indicator at this chainage: round(p / 50 + 1).
int64_t item_cell(int64_t chainage);

// Low bits, as a narrowing without rounding keeps them.
inline int16_t low16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
inline uint8_t low8(int64_t v) { return static_cast<uint8_t>(v); }

}  // namespace sb
