#include "builder/compiled_files.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "builder/scenario_files.h"
#include "support/memory_file_system.h"

namespace sb {
namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(CellFile, EveryFieldInOrderLittleEndian) {
  track_cell c;
  c.kind = 1;
  c.value_1 = 0x0102;
  c.value_2 = -2;
  c.value_3 = 0x7fff;
  c.value_4 = -32768;
  c.signal_time = 7;
  c.approach_code = 34;
  c.mountain_kind = 2;
  c.speed_code = 15;
  c.gradient_code = 96;
  c.adhesion = 255;
  EXPECT_EQ(encode_cell_file({c, track_cell{}}),
            bytes({1, 0x02, 0x01, 0xfe, 0xff, 0xff, 0x7f, 0x00, 0x80, 7, 34, 2, 15, 96, 255,
                   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(CellFile, FifteenBytesPerCellAndTheMarkerAtBytes16And17) {
  std::vector<track_cell> cells(7301);
  cells[1].value_1 = 5121;
  const std::string file = encode_cell_file(cells);
  ASSERT_EQ(file.size(), 109515u);
  EXPECT_EQ(file.substr(16, 2), bytes({0x01, 0x14}));
  EXPECT_EQ(encode_cell_file({}), "");
}

TEST(TableFile, RowLayoutWithAndWithoutText) {
  scenario_table_t table{};
  table_entry& r = table[0];
  r.kind = 3;
  r.range_start = 0x01020304;
  r.range_end = -1;
  r.position = 324900;  // 0x0004F524
  r.flag_a = 9;
  r.text = "Ab\xe8";  // a byte above 0x7f is one byte of the text
  r.value_a = 610;
  r.value_b = -3;
  r.value_c = 1;
  r.value_d = 2;
  r.value_e = 3;
  r.flag_d = 4;
  r.stop_value = 5;
  r.flag_c = 6;
  r.flag_b = 7;
  r.time_of_day = 32678;  // 0x7FA6
  table[1].kind = 1;
  const std::string file = encode_table_file(table);
  ASSERT_EQ(file.size(), 2958u + 3u);
  EXPECT_EQ(file.substr(0, 37),
            bytes({3, 0x04, 0x03, 0x02, 0x01, 0xff, 0xff, 0xff, 0xff, 0x24, 0xf5, 0x04, 0x00, 9,
                   3, 0, 'A', 'b', 0xe8, 0x62, 0x02, 0xfd, 0xff, 1, 0, 2, 0, 3, 0, 4, 5, 6, 7,
                   0xa6, 0x7f, 0x00, 0x00}));
  // A row without text is 34 bytes, its length two zero bytes.
  std::string empty_row(34, '\0');
  empty_row[0] = 1;
  EXPECT_EQ(file.substr(37, 34), empty_row);
  EXPECT_EQ(file.substr(37 + 34), std::string(85 * 34, '\0'));
}

TEST(TableFile, SizeIsFixedPartPlusTexts) {
  scenario_table_t table{};
  table[table_row::scenery_and_identity].text = "Ortesa-Vildoro";
  table[table_row::repetition_and_clock].text = "418";
  table[table_row::first_board].text = std::string(300, 'x');
  EXPECT_EQ(encode_table_file(table).size(), 2958u + 14 + 3 + 300);
  // The length is written as an unsigned 16-bit number.
  table[table_row::first_board].text = std::string(40000, 'x');
  const std::string file = encode_table_file(table);
  const size_t row80 = 80 * 34 + 14;
  EXPECT_EQ(file.substr(row80, 2), bytes({0x40, 0x9c}));
}

TEST(PlanFile, TagsAndValues) {
  track_plan_t plan;
  plan.x = {plan_number::of_int16(0), plan_number::of_real(1.5), plan_number{}};
  plan.y = {plan_number::of_int16(-2), plan_number{}, plan_number::of_real(-0.0)};
  EXPECT_EQ(encode_plan_file(plan),
            bytes({2, 0, 0, 0,                                 //
                   5, 0, 0, 0, 0, 0, 0, 0, 0xf8, 0x3f,         //
                   0, 0,                                       //
                   2, 0, 0xfe, 0xff,                           //
                   0, 0,                                       //
                   5, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(encode_plan_file(track_plan_t{}), "");
}

// A plan as a complete read leaves it: seeds, computed points, two empty.
track_plan_t complete_plan(int total_metres) {
  track_plan_t plan;
  for (int m = 0; m <= total_metres; ++m) {
    if (m < 2) {
      plan.x.push_back(plan_number::of_int16(0));
      plan.y.push_back(plan_number::of_int16(static_cast<int16_t>(m)));
    } else if (m <= total_metres - 2) {
      plan.x.push_back(plan_number::of_real(0.25 * m));
      plan.y.push_back(plan_number::of_real(m));
    } else {
      plan.x.push_back(plan_number{});
      plan.y.push_back(plan_number{});
    }
  }
  return plan;
}

TEST(PlanFile, CompletePlanSizeAndEmptyTail) {
  for (int total : {4, 10, 7001}) {
    const std::string file = encode_plan_file(complete_plan(total));
    ASSERT_EQ(file.size(), static_cast<size_t>(20 * total - 36)) << total;
    // The last two elements of each column are bare zero tags.
    EXPECT_EQ(file.substr(file.size() - 4), std::string(4, '\0'));
    const size_t column = file.size() / 2;
    EXPECT_EQ(file.substr(column - 4, 4), std::string(4, '\0'));
    EXPECT_EQ(file.substr(column, 4), bytes({2, 0, 0, 0}));
  }
}

scenario_model small_model(int32_t geometry_flag) {
  scenario_model m;
  m.route_name = "R";
  m.train_number = "7";
  m.geometry_flag = geometry_flag;
  m.cells.resize(3);
  m.cells[1].value_1 = 5121;
  m.scenario_table[table_row::scenery_and_identity].text = "R";
  m.scenario_table[table_row::repetition_and_clock].text = "7";
  m.track_plan = complete_plan(6);
  return m;
}

TEST(WriteCompiledFiles, WritesTheThreeFilesUnderTheirNames) {
  test::memory_file_system fs;
  const scenario_model m = small_model(1);
  ASSERT_TRUE(write_compiled_files(m, fs, "/d"));
  ASSERT_EQ(fs.files.size(), 3u);
  EXPECT_EQ(fs.files.at(join_path("/d", "R_linea.dat")), encode_plan_file(m.track_plan));
  EXPECT_EQ(fs.files.at(join_path("/d", "R_7.sim")), encode_table_file(m.scenario_table));
  EXPECT_EQ(fs.files.at(join_path("/d", "R_7.dat")), encode_cell_file(m.cells));
}

TEST(WriteCompiledFiles, WithoutGeometryTheOldPlanFileStays) {
  test::memory_file_system fs;
  fs.files[join_path("/d", "R_linea.dat")] = "old plan";
  fs.files[join_path("/d", "R_7.dat")] = std::string(5000, 'z');  // an older, longer file is replaced whole
  ASSERT_TRUE(write_compiled_files(small_model(0), fs, "/d"));
  EXPECT_EQ(fs.files.at(join_path("/d", "R_linea.dat")), "old plan");
  EXPECT_EQ(fs.files.at(join_path("/d", "R_7.dat")).size(), 45u);
  EXPECT_EQ(fs.files.at(join_path("/d", "R_7.sim")).size(), 2960u);
}

TEST(WriteCompiledFiles, AFailureOnAnyFileWritesNoneOfThem) {
  for (const std::string& failing : {join_path("/d", "R_linea.dat"), join_path("/d", "R_7.sim"), join_path("/d", "R_7.dat")}) {
    test::failing_file_system fs(failing);
    fs.files[join_path("/d", "R_7.sim")] = "old";
    const io_result r = write_compiled_files(small_model(1), fs, "/d");
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message, std::string(failing) + ": No space left on device");
    EXPECT_EQ(fs.files, (std::map<std::string, std::string>{{join_path("/d", "R_7.sim"), "old"}})) << failing;
  }
}

TEST(WriteCompiledFiles, RefusesATextLongerThanItsLengthFieldBeforeWriting) {
  test::memory_file_system fs;
  scenario_model m = small_model(1);
  m.scenario_table[table_row::first_board].text = std::string(65535, 'x');
  ASSERT_TRUE(write_compiled_files(m, fs, "/d"));
  fs.files.clear();
  m.scenario_table[table_row::first_board - 1].text = std::string(65536, 'x');
  const io_result r = write_compiled_files(m, fs, "/d");
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.message, join_path("/d", "R_7.sim") + ": text of row 79 longer than 65535 bytes");
  EXPECT_TRUE(fs.files.empty());
}

std::vector<track_cell> sample_cells() {
  std::vector<track_cell> cells(4);
  cells[1] = {0, 5121, 2411, 0, 0, 0, 0, 0, 12, 100, 100};
  cells[2] = {1, 32, -41, 32767, -32768, 101, 84, 3, 255, 0, 255};
  cells[3].kind = 14;
  return cells;
}

scenario_table_t sample_table() {
  scenario_table_t t{};
  t[table_row::first_station] = {2, 203500, 204300, 203900, 1, "Ortesa", 1, 2, 3, 4, 5, 6, 7, 8, 9, 29550};
  t[table_row::first_board].text = "caf\xe9";  // bytes above 0x7f come back as they went
  t[table_row::train_and_route].range_end = 358000;
  t[table_row::scenery_and_identity].text = "Ortesa-Vildoro";
  t[table_row::scenery_and_identity].value_a = 610;
  t[table_row::scenery_and_identity].time_of_day = -2147483647 - 1;
  t[table_row::repetition_and_clock].text = "418";
  return t;
}

track_plan_t sample_plan() {
  track_plan_t p;
  p.x = {plan_number::of_int16(0), plan_number::of_int16(-3), plan_number::of_real(0.1),
         plan_number{}};
  p.y = {plan_number::of_int16(0), plan_number::of_int16(1), plan_number::of_real(-1e300),
         plan_number{}};
  return p;
}

TEST(DecodeCompiledFiles, RoundTripEachFile) {
  const auto cells = decode_cell_file(encode_cell_file(sample_cells()));
  ASSERT_TRUE(cells);
  EXPECT_EQ(cells.value, sample_cells());

  const auto table = decode_table_file(encode_table_file(sample_table()));
  ASSERT_TRUE(table);
  EXPECT_EQ(table.value, sample_table());

  const auto plan = decode_plan_file(encode_plan_file(sample_plan()));
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan.value.x, sample_plan().x);
  EXPECT_EQ(plan.value.y, sample_plan().y);

  // Empty cell and plan files are files of nothing, not damaged ones.
  EXPECT_TRUE(decode_cell_file(""));
  EXPECT_TRUE(decode_plan_file(""));
  EXPECT_FALSE(decode_table_file(""));
}

struct truncation_case {
  const char* file;
  size_t keep;          // bytes kept
  size_t offset;        // where the reader stops
  const char* message;  // part of the message
};

TEST(DecodeCompiledFiles, TruncatedFilesStopAtTheRightByte) {
  const std::string cells = encode_cell_file(sample_cells());
  const std::string table = encode_table_file(sample_table());
  const std::string plan = encode_plan_file(sample_plan());
  // Row 1 starts at 34; its text "Ortesa" is 6 bytes; the tail of the
  // table is rows 84..86 with texts of 14 and 3 bytes.
  const size_t row85 = table.size() - (34 + 3) - (34 + 14);
  const truncation_case cases[] = {
      {"cells", 14, 0, "ends inside cell 0, after 14 bytes of 15"},
      {"cells", 59, 45, "ends inside cell 3, after 14 bytes of 15"},
      {"cells", 31, 30, "ends inside cell 2, after 1 byte of 15"},
      {"table", 0, 0, "row 0: the file ends before kind"},
      {"table", 7, 5, "row 0: the file ends inside range_end (2 bytes left of 4)"},
      {"table", 34 + 15, 34 + 14, "row 1: the file ends inside the text length"},
      {"table", 34 + 19, 34 + 14, "row 1: a text of 6 bytes runs past the end of the file (3 bytes left)"},
      {"table", 34 + 22, 34 + 22, "row 1: the file ends before value_a"},
      {"table", 34 + 6 + 32, 34 + 6 + 30, "row 1: the file ends inside time_of_day"},
      {"table", row85 + 20, row85 + 14, "row 85: a text of 14 bytes runs past"},
      {"table", table.size() - 1, table.size() - 4, "row 86: the file ends inside time_of_day"},
      {"plan", 1, 0, "value 0: the file ends inside its tag (1 byte left of 2)"},
      {"plan", 7, 6, "value 1: the file ends inside its 16-bit integer (1 byte left of 2)"},
      {"plan", 6, 6, "value 1: the file ends before its 16-bit integer"},
      {"plan", 17, 10, "value 2: the file ends inside its double (7 bytes left of 8)"},
      {"plan", 18, 18, "after 3 values, an odd number"},
  };
  for (const truncation_case& c : cases) {
    const std::string kind = c.file;
    const std::string& whole = kind == "cells" ? cells : kind == "table" ? table : plan;
    ASSERT_LT(c.keep, whole.size());
    const std::string cut = whole.substr(0, c.keep);
    const std::optional<decode_error> e =
        kind == "cells"   ? decode_cell_file(cut).error
        : kind == "table" ? decode_table_file(cut).error
                          : decode_plan_file(cut).error;
    ASSERT_TRUE(e) << kind << " " << c.keep;
    EXPECT_EQ(e->offset, c.offset) << kind << " " << c.keep << ": " << e->message;
    EXPECT_NE(e->message.find(c.message), std::string::npos) << e->message;
  }
}

TEST(DecodeCompiledFiles, EveryShorterTableFailsWithinWhatIsLeft) {
  const std::string table = encode_table_file(sample_table());
  for (size_t keep = 0; keep < table.size(); ++keep) {
    const auto r = decode_table_file(table.substr(0, keep));
    ASSERT_FALSE(r) << keep;
    EXPECT_LE(r.error->offset, keep);
  }
}

TEST(DecodeCompiledFiles, DamagedContents) {
  // A text length pointing past the end: the offset is the length field's.
  std::string table = encode_table_file(sample_table());
  const size_t length_at = 34 + 14;  // row 1
  table[length_at] = static_cast<char>(0x88);
  table[length_at + 1] = static_cast<char>(0x13);  // 5000
  auto t = decode_table_file(table);
  ASSERT_FALSE(t);
  EXPECT_EQ(t.error->offset, length_at);
  EXPECT_NE(t.error->message.find("row 1: a text of 5000 bytes runs past the end"),
            std::string::npos);

  // Bytes after the 87th row.
  t = decode_table_file(encode_table_file(sample_table()) + "xy");
  ASSERT_FALSE(t);
  EXPECT_EQ(t.error->offset, encode_table_file(sample_table()).size());
  EXPECT_EQ(t.error->message, "2 bytes after the last of the 87 rows");

  // A tag other than 0, 2 or 5.
  std::string plan = encode_plan_file(sample_plan());
  plan[4] = 3;
  auto p = decode_plan_file(plan);
  ASSERT_FALSE(p);
  EXPECT_EQ(p.error->offset, 4u);
  EXPECT_EQ(p.error->message, "value 1: unknown tag 3 (0, 2 or 5 expected)");
  plan[4] = 2;
  plan[5] = static_cast<char>(0x80);  // tag -32766
  p = decode_plan_file(plan);
  ASSERT_FALSE(p);
  EXPECT_NE(p.error->message.find("unknown tag -32766"), std::string::npos);
}

TEST(DecodeCompiledFiles, KindOfAFileFollowsFromItsName) {
  EXPECT_EQ(compiled_kind_of_name("/a/Ortesa-Vildoro_linea.dat"), compiled_kind::plan);
  EXPECT_EQ(compiled_kind_of_name("Ortesa-Vildoro_418.sim"), compiled_kind::table);
  EXPECT_EQ(compiled_kind_of_name("Ortesa-Vildoro_418.dat"), compiled_kind::cells);
  EXPECT_EQ(compiled_kind_of_name("linea.dat.txt"), compiled_kind::unknown);
  EXPECT_EQ(compiled_kind_of_name(""), compiled_kind::unknown);
}

}  // namespace
}  // namespace sb
