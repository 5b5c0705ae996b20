#include "builder/compiled_readers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/compiled_files.h"

namespace sb {
namespace {

std::vector<track_cell> sample_cells() {
  std::vector<track_cell> cells(4);
  cells[1] = {0, 5121, 2411, 0, 0, 0, 0, 0, 12, 100, 100};
  cells[2] = {1, 32, -41, 32767, -32768, 101, 84, 3, 255, 0, 255};
  cells[3].kind = 14;
  return cells;
}

scenario_table_t sample_table() {
  scenario_table_t t{};
  t[1] = {2, 203500, 204300, 203900, 1, "Ortesa", 1, 2, 3, 4, 5, 6, 7, 8, 9, 29550};
  t[80].text = "caf\xe9";  // bytes above 0x7f come back as they went
  t[84].range_end = 358000;
  t[85].text = "Ortesa-Vildoro";
  t[85].value_a = 610;
  t[85].time_of_day = -2147483647 - 1;
  t[86].text = "418";
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

TEST(CompiledReaders, RoundTripEachFile) {
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

TEST(CompiledReaders, TruncatedFilesStopAtTheRightByte) {
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

TEST(CompiledReaders, EveryShorterTableFailsWithinWhatIsLeft) {
  const std::string table = encode_table_file(sample_table());
  for (size_t keep = 0; keep < table.size(); ++keep) {
    const auto r = decode_table_file(table.substr(0, keep));
    ASSERT_FALSE(r) << keep;
    EXPECT_LE(r.error->offset, keep);
  }
}

TEST(CompiledReaders, DamagedContents) {
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

TEST(CompiledReaders, KindOfAFileFollowsFromItsName) {
  EXPECT_EQ(compiled_kind_of_name("/a/Ortesa-Vildoro_linea.dat"), compiled_kind::plan);
  EXPECT_EQ(compiled_kind_of_name("Ortesa-Vildoro_418.sim"), compiled_kind::table);
  EXPECT_EQ(compiled_kind_of_name("Ortesa-Vildoro_418.dat"), compiled_kind::cells);
  EXPECT_EQ(compiled_kind_of_name("linea.dat.txt"), compiled_kind::unknown);
  EXPECT_EQ(compiled_kind_of_name(""), compiled_kind::unknown);
}

}  // namespace
}  // namespace sb
