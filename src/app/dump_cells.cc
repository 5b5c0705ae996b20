// The cell file: one line (or record) per cell with an item, a value or an
// approach mark, every cell with --all.
#include <array>
#include <ostream>

#include "app/compiled_dumps.h"

namespace sb {

namespace {

std::string kind_name(uint8_t kind) {
  switch (kind) {
    case cell_kind::empty: return "empty";
    case cell_kind::signal: return "signal";
    case cell_kind::slowdown_end: return "slowdown end";
    case cell_kind::slowdown_start: return "slowdown start";
    case cell_kind::slowdown_warning: return "slowdown warning";
    case cell_kind::slowdown_approach: return "slowdown approach";
    case cell_kind::speed_indicator: return "speed indicator";
    case cell_kind::station_end: return "station end";
    case cell_kind::mountain_marker: return "mountain marker";
    case cell_kind::reduction_point: return "reduction point";
    case cell_kind::reduction_point_no_value: return "reduction point, no value";
    case cell_kind::indication_board: return "indication board";
    default: break;
  }
  return "unknown kind " + num(kind);
}

// The item's values as its kind packs them; which of the four raw values
// the kind uses is marked in `used`.
std::vector<named_value> item_values(const track_cell& c, std::array<bool, 4>& used) {
  std::vector<named_value> out;
  auto uses = [&](std::initializer_list<int> which) {
    for (int i : which) used[static_cast<size_t>(i)] = true;
  };
  switch (c.kind) {
    case cell_kind::signal: {
      const signal_values v = unpack_signal(c);
      uses({0, 1, 2, 3});
      out = {number_value("s1", v.s1), number_value("d1", v.d1), number_value("s2", v.s2),
             number_value("d2", v.d2), number_value("s3", v.s3), number_value("d3", v.d3),
             number_value("rapp", v.rapp), number_value("sx*3+dx", v.sides)};
      break;
    }
    case cell_kind::slowdown_end:
    case cell_kind::slowdown_start:
      uses({0, 1, 2});
      out = {number_value("v", c.value_1), number_value("d_v", c.value_2), number_value("f_tt", c.value_3)};
      break;
    case cell_kind::slowdown_warning:
      uses({0, 1});
      out = {number_value("v", c.value_1), number_value("d_v", c.value_2)};
      break;
    case cell_kind::slowdown_approach:
      uses({0, 1});
      out = {number_value("step", c.value_1), number_value("d_v_step", c.value_2)};
      break;
    case cell_kind::speed_indicator: {
      const indicator_values v = unpack_indicator(c);
      uses({0, 1, 2, 3});
      out = {number_value("vas", v.vas), number_value("vad", v.vad), number_value("vbs", v.vbs),
             number_value("vbd", v.vbd), number_value("vcs", v.vcs), number_value("vcd", v.vcd),
             number_value("strisces", v.strisces), number_value("strisced", v.strisced)};
      break;
    }
    case cell_kind::station_end:
    case cell_kind::indication_board:
      uses({0});
      out = {number_value("row", c.value_1)};
      break;
    case cell_kind::reduction_point:
      uses({0});
      out = {number_value("value", c.value_1)};
      break;
    default:
      break;
  }
  return out;
}

// Whatever cell 1 holds, its first two values carry the marker and the og
// code once the scenario has been stamped. Values the kind does not use
// are shown raw when they are not 0, so nothing in the cell goes unseen.
std::vector<named_value> cell_values(const track_cell& c, size_t index) {
  const std::array<int64_t, 4> raw{c.value_1, c.value_2, c.value_3, c.value_4};
  std::array<bool, 4> used{};
  std::vector<named_value> out;
  if (index == 1) {
    used = {true, true, false, false};
    out = {number_value("marker", c.value_1), number_value("og_code", c.value_2)};
  } else {
    out = item_values(c, used);
  }
  for (size_t i = 0; i < 4; ++i)
    if (!used[i] && raw[i] != 0) out.push_back(number_value("value_" + num(int64_t(i) + 1), raw[i]));
  if (c.signal_time != 0) out.push_back(number_value("time", c.signal_time));
  return out;
}

// Speed, gradient and adhesion run along the whole line; a cell counts as
// used when an item, a value or an approach mark is in it.
bool cell_is_used(const track_cell& c) {
  return c.kind != 0 || c.value_1 != 0 || c.value_2 != 0 || c.value_3 != 0 || c.value_4 != 0 ||
         c.signal_time != 0 || c.approach_code != 0;
}

std::string marker_check(int64_t value, int64_t expected) {
  return value == expected ? "ok" : "expected " + num(expected);
}

template <class Each>
void for_shown_cells(const std::vector<track_cell>& cells, bool all, Each each) {
  for (size_t i = 0; i < cells.size(); ++i)
    if (all || cell_is_used(cells[i])) each(i, cells[i]);
}

void cells_csv(const std::vector<track_cell>& cells, const dump_options& o, std::ostream& out) {
  out << "index,chainage,kind,kind_name,value_1,value_2,value_3,value_4,decoded,signal_time,"
         "approach_code,mountain_kind,speed_kmh,gradient_per_mille,adhesion\n";
  for_shown_cells(cells, o.all, [&](size_t i, const track_cell& c) {
    const auto index = static_cast<int64_t>(i);
    out << num(index) << ',' << num(chainage_of_cell(index)) << ',' << num(c.kind) << ','
        << csv_field(kind_name(c.kind)) << ',' << num(c.value_1) << ',' << num(c.value_2) << ',' << num(c.value_3)
        << ',' << num(c.value_4) << ',' << csv_field(join_values(cell_values(c, i))) << ',' << num(c.signal_time)
        << ',' << num(c.approach_code) << ',' << num(c.mountain_kind) << ',' << num(speed_kmh(c.speed_code))
        << ',' << num(gradient_per_mille(c.gradient_code)) << ',' << num(c.adhesion) << '\n';
  });
}

void cells_json(const std::vector<track_cell>& cells, const dump_options& o, std::ostream& out) {
  out << "{\"file\": " << json_name(o.path)
      << ", \"kind\": \"cells\", \"cell_count\": " << num(static_cast<int64_t>(cells.size())) << ", \"cell_1\": ";
  if (cells.size() > 1)
    out << "{\"marker\": " << num(cells[1].value_1)
        << ", \"marker_ok\": " << (cells[1].value_1 == cell_marker ? "true" : "false")
        << ", \"og_code\": " << num(cells[1].value_2) << "}";
  else
    out << "null";
  out << ", \"cells\": [";
  bool first = true;
  for_shown_cells(cells, o.all, [&](size_t i, const track_cell& c) {
    const auto index = static_cast<int64_t>(i);
    out << (first ? "\n" : ",\n") << "  {\"index\": " << num(index)
        << ", \"chainage\": " << num(chainage_of_cell(index)) << ", \"kind\": " << num(c.kind)
        << ", \"kind_name\": " << json_string(kind_name(c.kind)) << ", \"values\": [" << num(c.value_1) << ", "
        << num(c.value_2) << ", " << num(c.value_3) << ", " << num(c.value_4)
        << "], \"decoded\": " << json_object(cell_values(c, i)) << ", \"signal_time\": " << num(c.signal_time)
        << ", \"approach_code\": " << num(c.approach_code) << ", \"mountain_kind\": " << num(c.mountain_kind)
        << ", \"speed_kmh\": " << num(speed_kmh(c.speed_code))
        << ", \"gradient_per_mille\": " << num(gradient_per_mille(c.gradient_code))
        << ", \"adhesion\": " << num(c.adhesion) << "}";
    first = false;
  });
  out << (first ? "]}\n" : "\n]}\n");
}

void cells_text(const std::vector<track_cell>& cells, const dump_options& o, std::ostream& out) {
  const auto count = static_cast<int64_t>(cells.size());
  out << "cell file " << o.path << "\n";
  out << "cells: " << num(count);
  if (count > 0) out << " (0 to " << num(count - 1) << ", chainage 0 to " << num(chainage_of_cell(count - 1)) << " m)";
  out << "\n";
  if (count > 1)
    out << "cell 1: marker " << num(cells[1].value_1) << " (" << marker_check(cells[1].value_1, cell_marker)
        << "), og code " << num(cells[1].value_2) << "\n";
  else
    out << "cell 1: missing, no marker and no og code\n";
  out << "speed in km/h, gradient in per mille\n";
  out << "\n  cell  chainage  kind                       approach  mountain   speed  gradient  "
         "adhesion  values\n";
  for_shown_cells(cells, o.all, [&](size_t i, const track_cell& c) {
    const auto index = static_cast<int64_t>(i);
    const std::string values = join_values(cell_values(c, i));
    out << pad_left(num(index), 6) << ' ' << pad_left(num(chainage_of_cell(index)), 9) << "  "
        << pad_right(kind_name(c.kind), 26) << ' ' << pad_left(num(c.approach_code), 8) << "  "
        << pad_left(num(c.mountain_kind), 8) << "  " << pad_left(num(speed_kmh(c.speed_code)), 6) << "  "
        << pad_left(signed_num(gradient_per_mille(c.gradient_code)), 8) << "  " << pad_left(num(c.adhesion), 8)
        << (values.empty() ? "" : "  " + values) << "\n";
  });
}

}  // namespace

void dump_cells(const std::vector<track_cell>& cells, const dump_options& o, std::ostream& out) {
  switch (o.format) {
    case output_format::csv: return cells_csv(cells, o, out);
    case output_format::json: return cells_json(cells, o, out);
    case output_format::text: break;
  }
  cells_text(cells, o, out);
}

}  // namespace sb
