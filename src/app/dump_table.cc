// The table file: the 87 rows named by their use.
#include <array>
#include <ostream>
#include <set>
#include <string_view>

#include "app/compiled_dumps.h"

namespace sb {

namespace {

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

// A row between the stations and the boards that fits neither is shown
// raw as "other".
std::array<row_use, table_rows> classify_rows(const scenario_table_t& t) {
  std::array<row_use, table_rows> use{};
  const int stations_end = station_rows_end(t), boards_begin = board_rows_begin(t);
  for (int i = 0; i <= table_row::first_board; ++i) {
    row_use& u = use[static_cast<size_t>(i)];
    if (i >= table_row::first_station && i < stations_end)
      u = row_use::station;
    else if (i >= boards_begin)
      u = row_use::board;
    else if (!(t[static_cast<size_t>(i)] == table_entry{}))
      u = row_use::other;
  }
  for (int i = table_row::progression_largest; i <= table_row::progression_smallest; ++i)
    use[static_cast<size_t>(i)] = row_use::progression;
  use[table_row::train_and_route] = row_use::train_and_route;
  use[table_row::scenery_and_identity] = row_use::scenery_and_identity;
  use[table_row::repetition_and_clock] = row_use::repetition_and_clock;
  return use;
}

std::vector<named_value> raw_fields(const table_entry& e) {
  return {number_value("kind", e.kind),           number_value("range_start", e.range_start),
          number_value("range_end", e.range_end), number_value("position", e.position),
          number_value("flag_a", e.flag_a),       text_value("text", e.text),
          number_value("value_a", e.value_a),     number_value("value_b", e.value_b),
          number_value("value_c", e.value_c),     number_value("value_d", e.value_d),
          number_value("value_e", e.value_e),     number_value("flag_d", e.flag_d),
          number_value("stop_value", e.stop_value), number_value("flag_c", e.flag_c),
          number_value("flag_b", e.flag_b),       number_value("time_of_day", e.time_of_day)};
}

// A field named after its use, and the raw fields it shows.
struct shown_field {
  named_value value;
  std::vector<std::string_view> from;
};

std::vector<shown_field> fields_by_use(const table_entry& e, row_use use) {
  switch (use) {
    case row_use::station:
      return {{text_value("name", e.text), {"text"}},
              {number_value("type", e.kind), {"kind"}},
              {number_value("position", e.position), {"position"}},
              {number_value("start", e.range_start), {"range_start"}},
              {number_value("end", e.range_end), {"range_end"}},
              {number_value("length", int64_t{e.range_end} - e.range_start), {}},
              {word_value("time", clock_of_seconds(e.time_of_day)), {"time_of_day"}}};
    case row_use::board: return {{text_value("text", e.text), {"text"}}};
    case row_use::progression:
      return {{number_value("start", e.range_start), {"range_start"}},
              {number_value("value", e.range_end), {"range_end"}},
              {number_value("flag", e.position), {"position"}}};
    case row_use::train_and_route:
      return {{number_value("braked_mass_percent", e.range_start), {"range_start"}},
              {number_value("route_length", e.range_end), {"range_end"}},
              {number_value("coaches", e.position), {"position"}}};
    case row_use::scenery_and_identity:
      return {{number_value("scenery_uno", e.range_start), {"range_start"}},
              {number_value("scenery_tre", e.range_end), {"range_end"}},
              {number_value("scenery_due", e.position), {"position"}},
              {text_value("route", e.text), {"text"}},
              {number_value("marker", e.value_a), {"value_a"}},
              {number_value("st_code", e.time_of_day), {"time_of_day"}}};
    case row_use::repetition_and_clock:
      return {{number_value("repetition_start", e.range_start), {"range_start"}},
              {number_value("repetition_end", e.range_end), {"range_end"}},
              {number_value("repetition_system", e.position), {"position"}},
              {text_value("train", e.text), {"text"}},
              {number_value("sand", e.value_a), {"value_a"}},
              {word_value("clock", clock_of(e.value_c, e.value_d, e.value_e)), {"value_c", "value_d", "value_e"}}};
    case row_use::empty:
    case row_use::other: break;
  }
  return {};
}

// The row's fields named after their use; a station shows every other
// field too, any other row those that are not 0.
std::vector<named_value> row_fields(const table_entry& e, row_use use) {
  std::vector<named_value> out;
  std::set<std::string> shown;
  for (const shown_field& f : fields_by_use(e, use)) {
    for (const std::string_view name : f.from) shown.insert(std::string(name));
    out.push_back(f.value);
  }
  for (const named_value& f : raw_fields(e)) {
    if (shown.count(f.name) != 0 || (use != row_use::station && f.is_zero())) continue;
    out.push_back(f);
  }
  return out;
}

std::string row_clock(const table_entry& e, row_use use) {
  if (use == row_use::station) return clock_of_seconds(e.time_of_day);
  if (use == row_use::repetition_and_clock) return clock_of(e.value_c, e.value_d, e.value_e);
  return {};
}

void table_csv(const scenario_table_t& t, std::ostream& out) {
  const auto use = classify_rows(t);
  out << "row,use,kind,range_start,range_end,position,flag_a,text,value_a,value_b,value_c,"
         "value_d,value_e,flag_d,stop_value,flag_c,flag_b,time_of_day,clock\n";
  for (size_t i = 0; i < t.size(); ++i) {
    out << num(static_cast<int64_t>(i)) << ',' << csv_field(use_name(use[i]));
    for (const named_value& f : raw_fields(t[i]))
      out << ',' << (f.t == named_value::type::text ? csv_field(f.text) : num(f.number));
    out << ',' << row_clock(t[i], use[i]) << '\n';
  }
}

void table_json(const scenario_table_t& t, const dump_options& o, std::ostream& out) {
  const auto use = classify_rows(t);
  const table_entry& identity = t[table_row::scenery_and_identity];
  out << "{\"file\": " << json_name(o.path) << ", \"kind\": \"table\", \"marker\": " << num(identity.value_a)
      << ", \"marker_ok\": " << (identity.value_a == table_marker ? "true" : "false")
      << ", \"st_code\": " << num(identity.time_of_day) << ", \"rows\": [";
  for (size_t i = 0; i < t.size(); ++i) {
    out << (i == 0 ? "\n" : ",\n") << "  {\"row\": " << num(static_cast<int64_t>(i))
        << ", \"use\": " << json_string(use_name(use[i])) << ", \"decoded\": " << json_object(row_fields(t[i], use[i]))
        << ", \"fields\": " << json_object(raw_fields(t[i])) << "}";
  }
  out << "\n]}\n";
}

void table_text(const scenario_table_t& t, const dump_options& o, std::ostream& out) {
  const auto use = classify_rows(t);
  const table_entry& identity = t[table_row::scenery_and_identity];
  size_t text_bytes = 0;
  for (const table_entry& e : t) text_bytes += e.text.size();
  out << "table file " << o.path << "\n";
  out << "rows: 87, texts " << num(static_cast<int64_t>(text_bytes)) << " bytes\n";
  out << "marker " << num(identity.value_a) << " ("
      << (identity.value_a == table_marker ? std::string("ok") : "expected " + num(table_marker))
      << "), st code " << num(identity.time_of_day) << "\n\n";
  for (size_t i = 0; i < t.size(); ++i) {
    if (use[i] == row_use::empty && !o.all) {
      size_t last = i;
      while (last + 1 < t.size() && use[last + 1] == row_use::empty) ++last;
      if (last > i) {
        out << "rows " << num(static_cast<int64_t>(i)) << " to " << num(static_cast<int64_t>(last)) << "  empty\n";
        i = last;
        continue;
      }
    }
    const std::string fields = join_values(row_fields(t[i], use[i]));
    out << "row " << pad_left(num(static_cast<int64_t>(i)), 2) << "  "
        << (fields.empty() ? use_name(use[i]) : pad_right(use_name(use[i]), 21) + " " + fields) << "\n";
  }
}

}  // namespace

void dump_table(const scenario_table_t& table, const dump_options& o, std::ostream& out) {
  switch (o.format) {
    case output_format::csv: return table_csv(table, out);
    case output_format::json: return table_json(table, o, out);
    case output_format::text: break;
  }
  table_text(table, o, out);
}

}  // namespace sb
