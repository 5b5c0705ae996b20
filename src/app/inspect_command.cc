#include "app/inspect_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <numbers>
#include <optional>
#include <ostream>
#include <set>
#include <vector>

#include "builder/compiled_readers.h"

namespace sb {

namespace {

// ---- numbers and texts, the same in every locale ----

std::string num(int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string real(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string signed_num(int64_t v) { return v > 0 ? "+" + num(v) : num(v); }

std::string two_digits(int64_t v) { return v >= 0 && v < 10 ? "0" + num(v) : num(v); }

std::string clock_of(int64_t h, int64_t m, int64_t s) {
  return two_digits(h) + ":" + two_digits(m) + ":" + two_digits(s);
}

// Seconds since midnight as hh:mm:ss; hours may pass 23.
std::string clock_of(int64_t seconds) {
  const std::string sign = seconds < 0 ? "-" : "";
  const int64_t a = seconds < 0 ? -seconds : seconds;
  return sign + clock_of(a / 3600, a / 60 % 60, a % 60);
}

std::string hex_byte(unsigned char c) {
  static constexpr char digits[] = "0123456789abcdef";
  return {digits[c >> 4], digits[c & 15]};
}

// A text of the files for a terminal: printable ASCII as it is, any other
// byte as \xNN, so that the dump shows the bytes the simulator gets.
std::string quoted(const std::string& bytes) {
  std::string s = "\"";
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      s += '\\';
      s += ch;
    } else if (c >= 0x20 && c < 0x7f) {
      s += ch;
    } else {
      s += "\\x" + hex_byte(c);
    }
  }
  return s + "\"";
}

std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (const char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

// Bytes above 0x7f are taken as Latin-1, so the output is always valid JSON.
std::string json_string(const std::string& bytes) {
  std::string s = "\"";
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      s += '\\';
      s += ch;
    } else if (c >= 0x20 && c < 0x7f) {
      s += ch;
    } else {
      s += "\\u00" + hex_byte(c);
    }
  }
  return s + "\"";
}

std::string json_real(double v) { return std::isfinite(v) ? real(v) : "null"; }

std::string pad_right(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string pad_left(const std::string& s, size_t width) {
  return s.size() < width ? std::string(width - s.size(), ' ') + s : s;
}

// ---- one decoded value: a number, a text of the file, or a plain word ----

struct field {
  enum class type { number, text, word };
  std::string name;
  type t = type::number;
  int64_t number = 0;
  std::string text;
};

field number_field(std::string name, int64_t v) { return {std::move(name), field::type::number, v, {}}; }
field text_field(std::string name, std::string s) {
  return {std::move(name), field::type::text, 0, std::move(s)};
}
field word_field(std::string name, std::string s) {
  return {std::move(name), field::type::word, 0, std::move(s)};
}

std::string as_text(const field& f) {
  switch (f.t) {
    case field::type::number: return f.name + "=" + num(f.number);
    case field::type::text: return f.name + "=" + quoted(f.text);
    case field::type::word: break;
  }
  return f.name + "=" + f.text;
}

std::string join_text(const std::vector<field>& fields) {
  std::string s;
  for (const field& f : fields) s += (s.empty() ? "" : " ") + as_text(f);
  return s;
}

std::string json_object(const std::vector<field>& fields) {
  std::string s = "{";
  for (const field& f : fields) {
    if (s.size() > 1) s += ", ";
    s += json_string(f.name) + ": " +
         (f.t == field::type::number ? num(f.number) : json_string(f.text));
  }
  return s + "}";
}

// ---- cells ----

constexpr int metres_per_cell = 50;
constexpr int16_t cell_marker = 5121;
constexpr int16_t table_marker = 610;

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

// The item's values as its kind packs them; values the kind does not use
// are shown raw when they are not 0, so nothing in the cell goes unseen.
std::vector<field> cell_values(const track_cell& c, size_t index) {
  const std::array<int64_t, 4> v{c.value_1, c.value_2, c.value_3, c.value_4};
  std::array<bool, 4> used{};
  std::vector<field> out;
  auto take = [&](int i) {
    used[static_cast<size_t>(i)] = true;
    return v[static_cast<size_t>(i)];
  };
  // Whatever cell 1 holds, its first two values carry the marker and the
  // og code once the scenario has been stamped.
  const bool stamped = index == 1;
  if (stamped) {
    out.push_back(number_field("marker", take(0)));
    out.push_back(number_field("og_code", take(1)));
  }
  switch (stamped ? cell_kind::empty : c.kind) {
    case cell_kind::signal:
      for (int i = 0; i < 3; ++i) {
        const int64_t packed = take(i);
        out.push_back(number_field("s" + num(i + 1), packed / 10));
        out.push_back(number_field("d" + num(i + 1), packed % 10));
      }
      // sx and dx share one digit and cannot be told apart in general.
      out.push_back(number_field("rapp", take(3) / 10));
      out.push_back(number_field("sx*3+dx", v[3] % 10));
      break;
    case cell_kind::slowdown_end:
    case cell_kind::slowdown_start:
      out.push_back(number_field("v", take(0)));
      out.push_back(number_field("d_v", take(1)));
      out.push_back(number_field("f_tt", take(2)));
      break;
    case cell_kind::slowdown_warning:
      out.push_back(number_field("v", take(0)));
      out.push_back(number_field("d_v", take(1)));
      break;
    case cell_kind::slowdown_approach:
      out.push_back(number_field("step", take(0)));
      out.push_back(number_field("d_v_step", take(1)));
      break;
    case cell_kind::speed_indicator: {
      static constexpr std::array<const char*, 3> left{"vas", "vbs", "vcs"};
      static constexpr std::array<const char*, 3> right{"vad", "vbd", "vcd"};
      for (int i = 0; i < 3; ++i) {
        const int64_t packed = take(i);
        out.push_back(number_field(left[static_cast<size_t>(i)], packed / 100 * 5));
        out.push_back(number_field(right[static_cast<size_t>(i)], packed % 100 * 5));
      }
      out.push_back(number_field("strisces", take(3) / 10));
      out.push_back(number_field("strisced", v[3] % 10));
      break;
    }
    case cell_kind::station_end:
    case cell_kind::indication_board:
      out.push_back(number_field("row", take(0)));
      break;
    case cell_kind::reduction_point:
      out.push_back(number_field("value", take(0)));
      break;
    default:
      break;
  }
  for (int i = 0; i < 4; ++i)
    if (!used[static_cast<size_t>(i)] && v[static_cast<size_t>(i)] != 0)
      out.push_back(number_field("value_" + num(i + 1), v[static_cast<size_t>(i)]));
  if (c.signal_time != 0) out.push_back(number_field("time", c.signal_time));
  return out;
}

// Speed, gradient and adhesion run along the whole line; a cell counts as
// used when an item, a value or an approach mark is in it.
bool cell_is_used(const track_cell& c) {
  return c.kind != 0 || c.value_1 != 0 || c.value_2 != 0 || c.value_3 != 0 || c.value_4 != 0 ||
         c.signal_time != 0 || c.approach_code != 0;
}

int64_t speed_kmh(const track_cell& c) { return int64_t{c.speed_code} * 5; }
int64_t gradient_per_mille(const track_cell& c) { return int64_t{c.gradient_code} - 100; }

std::string marker_check(int64_t value, int64_t expected) {
  return value == expected ? "ok" : "expected " + num(expected);
}

void print_cells(const std::vector<track_cell>& cells, const inspect_options& o, std::ostream& out) {
  const bool has_cell_1 = cells.size() > 1;
  if (o.format == "csv") {
    out << "index,chainage,kind,kind_name,value_1,value_2,value_3,value_4,decoded,signal_time,"
           "approach_code,mountain_kind,speed_kmh,gradient_per_mille,adhesion\n";
    for (size_t i = 0; i < cells.size(); ++i) {
      const track_cell& c = cells[i];
      if (!o.all && !cell_is_used(c)) continue;
      out << num(static_cast<int64_t>(i)) << ',' << num(static_cast<int64_t>(i) * metres_per_cell)
          << ',' << num(c.kind) << ',' << csv_field(kind_name(c.kind)) << ',' << num(c.value_1)
          << ',' << num(c.value_2) << ',' << num(c.value_3) << ',' << num(c.value_4) << ','
          << csv_field(join_text(cell_values(c, i))) << ',' << num(c.signal_time) << ','
          << num(c.approach_code) << ',' << num(c.mountain_kind) << ',' << num(speed_kmh(c))
          << ',' << num(gradient_per_mille(c)) << ',' << num(c.adhesion) << '\n';
    }
    return;
  }
  if (o.format == "json") {
    out << "{\"file\": " << json_string(o.path) << ", \"kind\": \"cells\", \"cell_count\": "
        << num(static_cast<int64_t>(cells.size())) << ", \"cell_1\": ";
    if (has_cell_1)
      out << "{\"marker\": " << num(cells[1].value_1)
          << ", \"marker_ok\": " << (cells[1].value_1 == cell_marker ? "true" : "false")
          << ", \"og_code\": " << num(cells[1].value_2) << "}";
    else
      out << "null";
    out << ", \"cells\": [";
    bool first = true;
    for (size_t i = 0; i < cells.size(); ++i) {
      const track_cell& c = cells[i];
      if (!o.all && !cell_is_used(c)) continue;
      out << (first ? "\n" : ",\n") << "  {\"index\": " << num(static_cast<int64_t>(i))
          << ", \"chainage\": " << num(static_cast<int64_t>(i) * metres_per_cell)
          << ", \"kind\": " << num(c.kind) << ", \"kind_name\": " << json_string(kind_name(c.kind))
          << ", \"values\": [" << num(c.value_1) << ", " << num(c.value_2) << ", "
          << num(c.value_3) << ", " << num(c.value_4) << "], \"decoded\": "
          << json_object(cell_values(c, i)) << ", \"signal_time\": " << num(c.signal_time)
          << ", \"approach_code\": " << num(c.approach_code)
          << ", \"mountain_kind\": " << num(c.mountain_kind)
          << ", \"speed_kmh\": " << num(speed_kmh(c))
          << ", \"gradient_per_mille\": " << num(gradient_per_mille(c))
          << ", \"adhesion\": " << num(c.adhesion) << "}";
      first = false;
    }
    out << (first ? "]}\n" : "\n]}\n");
    return;
  }
  out << "cell file " << o.path << "\n";
  out << "cells: " << num(static_cast<int64_t>(cells.size()));
  if (!cells.empty())
    out << " (0 to " << num(static_cast<int64_t>(cells.size()) - 1) << ", chainage 0 to "
        << num((static_cast<int64_t>(cells.size()) - 1) * metres_per_cell) << " m)";
  out << "\n";
  if (has_cell_1)
    out << "cell 1: marker " << num(cells[1].value_1) << " ("
        << marker_check(cells[1].value_1, cell_marker) << "), og code " << num(cells[1].value_2)
        << "\n";
  else
    out << "cell 1: missing, no marker and no og code\n";
  out << "speed in km/h, gradient in per mille\n";
  out << "\n  cell  chainage  kind                       approach  mountain   speed  gradient  "
         "adhesion  values\n";
  for (size_t i = 0; i < cells.size(); ++i) {
    const track_cell& c = cells[i];
    if (!o.all && !cell_is_used(c)) continue;
    const std::string values = join_text(cell_values(c, i));
    out << pad_left(num(static_cast<int64_t>(i)), 6) << ' '
        << pad_left(num(static_cast<int64_t>(i) * metres_per_cell), 9) << "  "
        << pad_right(kind_name(c.kind), 26) << ' ' << pad_left(num(c.approach_code), 8) << "  "
        << pad_left(num(c.mountain_kind), 8) << "  " << pad_left(num(speed_kmh(c)), 6) << "  "
        << pad_left(signed_num(gradient_per_mille(c)), 8) << "  "
        << pad_left(num(c.adhesion), 8) << (values.empty() ? "" : "  " + values) << "\n";
  }
}

// ---- table ----

enum class row_use {
  empty,
  station,
  board,
  progression,
  train_and_route,
  scenery_and_identity,
  repetition_and_clock,
  other
};

std::string use_name(row_use u) {
  switch (u) {
    case row_use::empty: return "empty";
    case row_use::station: return "station";
    case row_use::board: return "board";
    case row_use::progression: return "progression";
    case row_use::train_and_route: return "train and route";
    case row_use::scenery_and_identity: return "scenery and identity";
    case row_use::repetition_and_clock: return "repetition and clock";
    case row_use::other: break;
  }
  return "other";
}

// Stations fill rows upward from 1 and boards downward from 80; a row in
// between that fits neither is shown raw as "other".
std::array<row_use, table_rows> classify_rows(const scenario_table_t& t) {
  std::array<row_use, table_rows> use{};
  int r = table_row::first_station;
  for (; r <= table_row::first_board && (t[r].kind != 0 || t[r].position != 0); ++r)
    use[static_cast<size_t>(r)] = row_use::station;
  for (int b = table_row::first_board;
       b >= r && !t[b].text.empty() && t[b].kind == 0 && t[b].position == 0; --b)
    use[static_cast<size_t>(b)] = row_use::board;
  for (int i = 0; i <= table_row::first_board; ++i) {
    auto& u = use[static_cast<size_t>(i)];
    if (u == row_use::empty && !(t[i] == table_entry{})) u = row_use::other;
  }
  for (int i = table_row::progression_largest; i <= table_row::progression_smallest; ++i)
    use[static_cast<size_t>(i)] = row_use::progression;
  use[table_row::train_and_route] = row_use::train_and_route;
  use[table_row::scenery_and_identity] = row_use::scenery_and_identity;
  use[table_row::repetition_and_clock] = row_use::repetition_and_clock;
  return use;
}

std::vector<field> raw_fields(const table_entry& e) {
  return {number_field("kind", e.kind),           number_field("range_start", e.range_start),
          number_field("range_end", e.range_end), number_field("position", e.position),
          number_field("flag_a", e.flag_a),       text_field("text", e.text),
          number_field("value_a", e.value_a),     number_field("value_b", e.value_b),
          number_field("value_c", e.value_c),     number_field("value_d", e.value_d),
          number_field("value_e", e.value_e),     number_field("flag_d", e.flag_d),
          number_field("stop_value", e.stop_value), number_field("flag_c", e.flag_c),
          number_field("flag_b", e.flag_b),       number_field("time_of_day", e.time_of_day)};
}

// The row's fields named after their use; any other field that is not 0
// follows under its own name.
std::vector<field> row_fields(const table_entry& e, row_use use) {
  std::vector<field> out;
  std::set<std::string> shown;
  auto add = [&](field f, std::initializer_list<const char*> from) {
    for (const char* name : from) shown.insert(name);
    out.push_back(std::move(f));
  };
  switch (use) {
    case row_use::station:
      add(text_field("name", e.text), {"text"});
      add(number_field("type", e.kind), {"kind"});
      add(number_field("position", e.position), {"position"});
      add(number_field("start", e.range_start), {"range_start"});
      add(number_field("end", e.range_end), {"range_end"});
      add(number_field("length", int64_t{e.range_end} - e.range_start), {});
      add(word_field("time", clock_of(e.time_of_day)), {"time_of_day"});
      for (const field& f : raw_fields(e))
        if (!shown.count(f.name)) add(f, {f.name.c_str()});
      break;
    case row_use::board:
      add(text_field("text", e.text), {"text"});
      break;
    case row_use::progression:
      add(number_field("start", e.range_start), {"range_start"});
      add(number_field("value", e.range_end), {"range_end"});
      add(number_field("flag", e.position), {"position"});
      break;
    case row_use::train_and_route:
      add(number_field("braked_mass_percent", e.range_start), {"range_start"});
      add(number_field("route_length", e.range_end), {"range_end"});
      add(number_field("coaches", e.position), {"position"});
      break;
    case row_use::scenery_and_identity:
      add(number_field("scenery_uno", e.range_start), {"range_start"});
      add(number_field("scenery_tre", e.range_end), {"range_end"});
      add(number_field("scenery_due", e.position), {"position"});
      add(text_field("route", e.text), {"text"});
      add(number_field("marker", e.value_a), {"value_a"});
      add(number_field("st_code", e.time_of_day), {"time_of_day"});
      break;
    case row_use::repetition_and_clock:
      add(number_field("repetition_start", e.range_start), {"range_start"});
      add(number_field("repetition_end", e.range_end), {"range_end"});
      add(number_field("repetition_system", e.position), {"position"});
      add(text_field("train", e.text), {"text"});
      add(number_field("sand", e.value_a), {"value_a"});
      add(word_field("clock", clock_of(e.value_c, e.value_d, e.value_e)),
          {"value_c", "value_d", "value_e"});
      break;
    case row_use::empty:
    case row_use::other:
      break;
  }
  for (const field& f : raw_fields(e)) {
    const bool zero = f.t == field::type::text ? f.text.empty() : f.number == 0;
    if (!zero && !shown.count(f.name)) out.push_back(f);
  }
  return out;
}

std::string row_clock(const table_entry& e, row_use use) {
  if (use == row_use::station) return clock_of(e.time_of_day);
  if (use == row_use::repetition_and_clock) return clock_of(e.value_c, e.value_d, e.value_e);
  return {};
}

void print_table(const scenario_table_t& t, const inspect_options& o, std::ostream& out) {
  const auto use = classify_rows(t);
  const table_entry& identity = t[table_row::scenery_and_identity];
  if (o.format == "csv") {
    out << "row,use,kind,range_start,range_end,position,flag_a,text,value_a,value_b,value_c,"
           "value_d,value_e,flag_d,stop_value,flag_c,flag_b,time_of_day,clock\n";
    for (int i = 0; i < table_rows; ++i) {
      const table_entry& e = t[i];
      out << num(i) << ',' << csv_field(use_name(use[static_cast<size_t>(i)]));
      for (const field& f : raw_fields(e))
        out << ',' << (f.t == field::type::text ? csv_field(f.text) : num(f.number));
      out << ',' << row_clock(e, use[static_cast<size_t>(i)]) << '\n';
    }
    return;
  }
  if (o.format == "json") {
    out << "{\"file\": " << json_string(o.path) << ", \"kind\": \"table\", \"marker\": "
        << num(identity.value_a) << ", \"marker_ok\": "
        << (identity.value_a == table_marker ? "true" : "false")
        << ", \"st_code\": " << num(identity.time_of_day) << ", \"rows\": [";
    for (int i = 0; i < table_rows; ++i) {
      const row_use u = use[static_cast<size_t>(i)];
      out << (i == 0 ? "\n" : ",\n") << "  {\"row\": " << num(i)
          << ", \"use\": " << json_string(use_name(u))
          << ", \"decoded\": " << json_object(row_fields(t[i], u))
          << ", \"fields\": " << json_object(raw_fields(t[i])) << "}";
    }
    out << "\n]}\n";
    return;
  }
  size_t text_bytes = 0;
  for (const table_entry& e : t) text_bytes += e.text.size();
  out << "table file " << o.path << "\n";
  out << "rows: 87, texts " << num(static_cast<int64_t>(text_bytes)) << " bytes\n";
  out << "marker " << num(identity.value_a) << " (" << marker_check(identity.value_a, table_marker)
      << "), st code " << num(identity.time_of_day) << "\n\n";
  for (int i = 0; i < table_rows; ++i) {
    const row_use u = use[static_cast<size_t>(i)];
    if (u == row_use::empty && !o.all) {
      int last = i;
      while (last + 1 < table_rows && use[static_cast<size_t>(last + 1)] == row_use::empty) ++last;
      if (last > i) {
        out << "rows " << num(i) << " to " << num(last) << "  empty\n";
        i = last;
        continue;
      }
    }
    const std::string fields = join_text(row_fields(t[i], u));
    out << "row " << pad_left(num(i), 2) << "  "
        << (fields.empty() ? use_name(u) : pad_right(use_name(u), 21) + " " + fields) << "\n";
  }
}

// ---- plan ----

struct plan_summary {
  int64_t points = 0;  // per column
  int64_t filled = 0;  // points with both coordinates
  bool has_box = false;
  double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  double turning = 0;  // radians, left positive
};

plan_summary summarize(const track_plan_t& plan) {
  plan_summary s;
  s.points = plan.size();
  std::optional<double> last_heading;
  for (size_t m = 0; m < plan.x.size(); ++m) {
    const plan_number& x = plan.x[m];
    const plan_number& y = plan.y[m];
    if (x.kind == plan_number::tag::empty || y.kind == plan_number::tag::empty) continue;
    ++s.filled;
    const double px = x.value(), py = y.value();
    if (!std::isfinite(px) || !std::isfinite(py)) continue;
    if (!s.has_box) {
      s.x_min = s.x_max = px;
      s.y_min = s.y_max = py;
      s.has_box = true;
    }
    s.x_min = std::min(s.x_min, px);
    s.x_max = std::max(s.x_max, px);
    s.y_min = std::min(s.y_min, py);
    s.y_max = std::max(s.y_max, py);
    // A step counts only between two neighbouring filled points.
    if (m + 1 >= plan.x.size()) continue;
    const plan_number& nx = plan.x[m + 1];
    const plan_number& ny = plan.y[m + 1];
    if (nx.kind == plan_number::tag::empty || ny.kind == plan_number::tag::empty) continue;
    const double dx = nx.value() - px, dy = ny.value() - py;
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0 && dy == 0)) continue;
    const double heading = std::atan2(dy, dx);
    if (last_heading)
      s.turning += std::remainder(heading - *last_heading, 2 * std::numbers::pi);
    last_heading = heading;
  }
  return s;
}

std::string plan_value(const plan_number& n) {
  switch (n.kind) {
    case plan_number::tag::int16: return num(n.integer);
    case plan_number::tag::real: return real(n.real);
    case plan_number::tag::empty: break;
  }
  return {};
}

void print_plan(const track_plan_t& plan, const inspect_options& o, std::ostream& out) {
  if (o.format == "csv") {
    out << "metre,x,y\n";
    for (size_t m = 0; m < plan.x.size(); ++m)
      out << num(static_cast<int64_t>(m)) << ',' << plan_value(plan.x[m]) << ','
          << plan_value(plan.y[m]) << '\n';
    return;
  }
  const plan_summary s = summarize(plan);
  const int64_t length = std::max<int64_t>(s.points - 1, 0);
  const double degrees = s.turning * 180 / std::numbers::pi;
  if (o.format == "json") {
    out << "{\"file\": " << json_string(o.path) << ", \"kind\": \"plan\", \"points\": "
        << num(s.points) << ", \"length\": " << num(length) << ", \"filled\": " << num(s.filled)
        << ", \"bounding_box\": ";
    if (s.has_box)
      out << "{\"x_min\": " << json_real(s.x_min) << ", \"x_max\": " << json_real(s.x_max)
          << ", \"y_min\": " << json_real(s.y_min) << ", \"y_max\": " << json_real(s.y_max) << "}";
    else
      out << "null";
    out << ", \"turning_rad\": " << json_real(s.turning)
        << ", \"turning_deg\": " << json_real(degrees);
    if (o.all) {
      out << ", \"points_list\": [";
      for (size_t m = 0; m < plan.x.size(); ++m) {
        auto value = [](const plan_number& n) {
          return n.kind == plan_number::tag::empty ? std::string("null")
                 : n.kind == plan_number::tag::int16 ? num(n.integer)
                                                     : json_real(n.real);
        };
        out << (m == 0 ? "\n" : ",\n") << "  [" << num(static_cast<int64_t>(m)) << ", "
            << value(plan.x[m]) << ", " << value(plan.y[m]) << "]";
      }
      out << (plan.x.empty() ? "]" : "\n]");
    }
    out << "}\n";
    return;
  }
  out << "plan file " << o.path << "\n";
  out << "points: " << num(s.points) << " per column";
  if (s.points > 0) out << " (metres 0 to " << num(s.points - 1) << ")";
  out << "\nlength: " << num(length) << " m\n";
  out << "filled: " << num(s.filled) << " points, " << num(s.points - s.filled) << " empty\n";
  if (s.has_box)
    out << "bounding box: x " << real(s.x_min) << " to " << real(s.x_max) << ", y "
        << real(s.y_min) << " to " << real(s.y_max) << "\n";
  else
    out << "bounding box: none\n";
  out << "total turning: " << real(s.turning) << " rad (" << real(degrees) << " deg)\n";
  if (o.all) {
    out << "\n metre  x  y\n";
    for (size_t m = 0; m < plan.x.size(); ++m) {
      auto shown = [](const plan_number& n) {
        return n.kind == plan_number::tag::empty ? std::string("-") : plan_value(n);
      };
      out << num(static_cast<int64_t>(m)) << "  " << shown(plan.x[m]) << "  " << shown(plan.y[m])
          << "\n";
    }
  }
}

// ---- the command ----

template <class T, class Print>
int print_decoded(const decode_result<T>& r, const char* what, const inspect_options& o,
                  Print print, std::ostream& out, std::ostream& err) {
  if (!r) {
    err << "scenario-builder: " << describe_decode_error(o.path, what, *r.error) << "\n";
    return 1;
  }
  print(r.value, o, out);
  return 0;
}

}  // namespace

CLI::App* add_inspect_command(CLI::App& app, inspect_options& options) {
  CLI::App* cmd = app.add_subcommand(
      "inspect",
      "Print what a compiled file holds: the cells (.dat), the table (.sim) or the plan "
      "(_linea.dat).\nExit status: 0 done, 1 damaged file, 2 usage or input/output failure.");
  cmd->add_option("FILE", options.path, "The compiled file")->required();
  cmd->add_flag("--all", options.all, "Every cell, table row or plan point, not only used ones");
  cmd->add_option("--format", options.format, "Output format")
      ->check(CLI::IsMember({"text", "csv", "json"}))
      ->type_name("FORMAT")
      ->capture_default_str();
  cmd->add_option("--kind", options.kind, "Which file it is, when its name does not tell")
      ->check(CLI::IsMember({"cells", "table", "plan"}))
      ->type_name("KIND");
  return cmd;
}

int run_inspect(const inspect_options& o, file_system& fs, std::ostream& out, std::ostream& err) {
  std::string kind = o.kind;
  if (kind.empty()) {
    switch (compiled_kind_of_name(o.path)) {
      case compiled_kind::cells: kind = "cells"; break;
      case compiled_kind::table: kind = "table"; break;
      case compiled_kind::plan: kind = "plan"; break;
      case compiled_kind::unknown: break;
    }
  }
  if (kind.empty()) {
    err << "scenario-builder: " << o.path
        << ": cannot tell the kind of compiled file from its name; give --kind "
           "cells|table|plan\n";
    return 2;
  }
  std::string bytes;
  if (const io_result r = fs.read_file(o.path, bytes); !r) {
    err << "scenario-builder: " << r.message << "\n";
    return 2;
  }
  if (kind == "plan") return print_decoded(decode_plan_file(bytes), "plan", o, print_plan, out, err);
  if (kind == "table")
    return print_decoded(decode_table_file(bytes), "table", o, print_table, out, err);
  return print_decoded(decode_cell_file(bytes), "cell", o, print_cells, out, err);
}

int run_inspect(const inspect_options& options) {
  disk_file_system fs;
  return run_inspect(options, fs, std::cout, std::cerr);
}

}  // namespace sb
