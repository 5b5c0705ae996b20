#include "builder/compiled_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/scenario_files.h"

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
  table[85].text = "Ortesa-Vildoro";
  table[86].text = "418";
  table[80].text = std::string(300, 'x');
  EXPECT_EQ(encode_table_file(table).size(), 2958u + 14 + 3 + 300);
  // The length is written as an unsigned 16-bit number.
  table[80].text = std::string(40000, 'x');
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
      plan.x.emplace_back();
      plan.y.emplace_back();
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
  m.scenario_table[85].text = "R";
  m.scenario_table[86].text = "7";
  m.track_plan = complete_plan(6);
  return m;
}

TEST(WriteCompiledFiles, WritesTheThreeFilesUnderTheirNames) {
  memory_file_system fs;
  const scenario_model m = small_model(1);
  ASSERT_TRUE(write_compiled_files(m, fs, "/d"));
  ASSERT_EQ(fs.files.size(), 3u);
  EXPECT_EQ(fs.files.at("/d/R_linea.dat"), encode_plan_file(m.track_plan));
  EXPECT_EQ(fs.files.at("/d/R_7.sim"), encode_table_file(m.scenario_table));
  EXPECT_EQ(fs.files.at("/d/R_7.dat"), encode_cell_file(m.cells));
}

TEST(WriteCompiledFiles, WithoutGeometryTheOldPlanFileStays) {
  memory_file_system fs;
  fs.files["/d/R_linea.dat"] = "old plan";
  fs.files["/d/R_7.dat"] = std::string(5000, 'z');  // an older, longer file is replaced whole
  ASSERT_TRUE(write_compiled_files(small_model(0), fs, "/d"));
  EXPECT_EQ(fs.files.at("/d/R_linea.dat"), "old plan");
  EXPECT_EQ(fs.files.at("/d/R_7.dat").size(), 45u);
  EXPECT_EQ(fs.files.at("/d/R_7.sim").size(), 2960u);
}

// Fails every write to one path; the others go to memory.
class failing_at : public memory_file_system {
 public:
  explicit failing_at(std::string path) : path_(std::move(path)) {}
  io_result write_file(const std::string& path, std::string_view data) override {
    writes.push_back(path);
    if (path == path_) return io_result::failure(path, "Permission denied");
    return memory_file_system::write_file(path, data);
  }
  std::vector<std::string> writes;

 private:
  std::string path_;
};

TEST(WriteCompiledFiles, StopsAtTheFirstFailure) {
  failing_at fs("/d/R_7.sim");
  const io_result r = write_compiled_files(small_model(1), fs, "/d");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "/d/R_7.sim: Permission denied");
  EXPECT_EQ(fs.writes, (std::vector<std::string>{"/d/R_linea.dat", "/d/R_7.sim"}));
  EXPECT_EQ(fs.files.count("/d/R_7.dat"), 0u);
}

TEST(WriteCompiledFiles, RefusesATextLongerThanItsLengthFieldBeforeWriting) {
  memory_file_system fs;
  scenario_model m = small_model(1);
  m.scenario_table[80].text = std::string(65535, 'x');
  ASSERT_TRUE(write_compiled_files(m, fs, "/d"));
  fs.files.clear();
  m.scenario_table[79].text = std::string(65536, 'x');
  const io_result r = write_compiled_files(m, fs, "/d");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "/d/R_7.sim: text of row 79 longer than 65535 bytes");
  EXPECT_TRUE(fs.files.empty());
}

}  // namespace
}  // namespace sb
