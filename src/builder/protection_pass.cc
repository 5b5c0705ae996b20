#include "builder/protection_pass.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "builder/error_report.h"

namespace sb {
namespace {

constexpr int16_t reduction_value = 180;
constexpr int16_t walk_speed_limit = 110;  // slower slowdowns get the walk
constexpr int walk_spacing = 8;            // cells between points along a slowdown
constexpr int look_back_cells = 20;        // signals before a warning point
constexpr int signal_search_cells = 12;    // cells searched after a slowdown


// Works on the cells that exist and that `last_cell` allows: every index the
// rules compute is checked against [0, last] before it is touched, so an
// incomplete or inconsistent array can never be read or written past its end.
class protection_pass {
 public:
  protection_pass(scenario_model& model, int64_t last, build_observer* seen)
      : model_(model), cells_(model.cells), last_(last), seen_(seen) {}

  std::optional<build_error> run() {
    const int64_t last_p = last_ - 2;
    for (int64_t p = 1; p <= last_p; ++p) {
      const uint8_t kind = cells_[at(p)].kind;
      slowdown_ = p;
      if (kind == cell_kind::slowdown_warning) {
        signals_before_warning(p);
      } else if (kind == cell_kind::slowdown_start) {
        slowdown_start(p);
      }
    }
    return last_error_;
  }

 private:
  bool exists(int64_t i) const { return i >= 0 && i <= last_; }
  static size_t at(int64_t i) { return static_cast<size_t>(i); }
  bool free_at(int64_t i) const { return exists(i) && is_free(cells_[at(i)]); }
  bool kind_at(int64_t i, uint8_t kind) const { return exists(i) && cells_[at(i)].kind == kind; }

  void place(int64_t i) {
    track_cell& c = cells_[at(i)];
    c.kind = cell_kind::reduction_point;
    c.value_1 = reduction_value;
    if (seen_) seen_->point_added(i, slowdown_, false);
  }
  // An existing point keeps its own value when it is already lower.
  void cap(int64_t i) {
    track_cell& c = cells_[at(i)];
    c.value_1 = static_cast<int16_t>(minimo(reduction_value, c.value_1));
    if (seen_) seen_->point_added(i, slowdown_, true);
  }
  // Only the last error of the pass is kept.
  void record(error code, int64_t cell, std::optional<int64_t> signal = std::nullopt) {
    const auto chainage = static_cast<int32_t>(chainage_of_cell(cell));
    model_.error_code = code_of(code);
    model_.error_position = chainage;
    last_error_ = build_error{code, chainage, {}, 0, {}};
    if (seen_) seen_->pass_fault(*last_error_, slowdown_, signal);
  }

  // Signals before a warning point: every signal within 20 cells before the
  // warning point at p gets a point, or has the one in front of it brought
  // down to 180.
  void signals_before_warning(int64_t p) {
    for (int t = 1; t <= look_back_cells; ++t) {
      const int64_t d = p - t;
      if (d < 3) break;
      if (!kind_at(d, cell_kind::signal)) continue;
      // A new point is preferred to lowering one already there.
      if (free_at(d - 1)) {
        place(d - 1);
      } else if (free_at(d - 2)) {
        place(d - 2);
      } else if (kind_at(d - 1, cell_kind::reduction_point)) {
        cap(d - 1);
      } else if (kind_at(d - 2, cell_kind::reduction_point)) {
        cap(d - 2);
      } else {
        record(error::no_room_before_warning, d, d);
      }
    }
  }

  void slowdown_start(int64_t p) {
    band_before_start(p, 5);
    band_before_start(p, 11);
    band_before_start(p, 18);
    const int64_t end = cells_[at(p)].value_1 < walk_speed_limit ? walk_along(p) : find_end(p);
    signal_after_end(end);
  }

  // The bands before a start: one point among three cells at `nearest`,
  // +1, +2 cells before the start. Bands that would reach cell 0 or below
  // do not apply.
  void band_before_start(int64_t p, int64_t nearest) {
    const int64_t farthest = nearest + 2;
    if (p <= farthest) return;
    for (int64_t i = p - nearest; i >= p - farthest; --i) {
      if (free_at(i)) {
        place(i);
        return;
      }
    }
    record(error::no_room_before_start, p);
  }

  // The end cell of the slowdown starting at p; `last_` when it is missing
  // (an end that fell on its own start cell, or cells cut short).
  int64_t find_end(int64_t p) const {
    int64_t k = p;
    do {
      ++k;
    } while (k < last_ && !kind_at(k, cell_kind::slowdown_end));
    return k;
  }

  // The walk along a slow slowdown: a point every 8 cells, counted from the
  // point actually placed. Returns where the walk stopped: the end cell, or
  // `last_` when there is none.
  int64_t walk_along(int64_t p) {
    int64_t k = p;
    int steps = 0;
    do {
      ++k;
      ++steps;
      if (steps == walk_spacing) {
        if (free_at(k)) {
          place(k);
          steps = 0;
        } else if (free_at(k - 1)) {
          place(k - 1);
          steps = 1;
        } else if (free_at(k + 1)) {
          place(k + 1);
          steps = -1;
        } else {
          // The counter is left at 8: it runs past it and nothing more is
          // placed along this slowdown.
          record(error::no_room_along_slowdown, k);
        }
      }
    } while (k < last_ && !kind_at(k, cell_kind::slowdown_end));
    return k;
  }

  // The signal after a slowdown: a point in front of the first signal
  // within 12 cells from k.
  void signal_after_end(int64_t k) {
    const int64_t stop = std::min(k + signal_search_cells, last_);
    for (int64_t i = k; i <= stop; ++i) {
      if (!kind_at(i, cell_kind::signal)) continue;
      const int64_t n = i - 1;
      if (n <= 0) return;
      if (free_at(n)) {
        place(n);
      } else if (free_at(n - 1)) {
        place(n - 1);
      } else {
        record(error::no_room_along_slowdown, k, i);
      }
      return;
    }
  }

  scenario_model& model_;
  std::vector<track_cell>& cells_;
  const int64_t last_;
  std::optional<build_error> last_error_;
  build_observer* seen_;
  int64_t slowdown_ = 0;  // the warning or start cell whose rules run
};

}  // namespace

std::optional<build_error> signal_protection_pass(scenario_model& model, build_observer* seen) {
  if (model.cells.empty()) return std::nullopt;
  const int64_t last =
      std::min<int64_t>(model.last_cell, static_cast<int64_t>(model.cells.size()) - 1);
  return protection_pass(model, last, seen).run();
}

}  // namespace sb
