#include "builder/byte_coder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sb {
namespace {

// Remembers the pieces as the sink got them.
class piece_sink : public byte_sink {
 public:
  void append(std::string_view bytes) override { pieces.emplace_back(bytes); }
  std::vector<std::string> pieces;
};

// Values that straddle a chunk's end, and a text longer than a chunk,
// arrive whole and in order, in few pieces.
TEST(LittleEndianWriter, ChunksKeepEveryByteInOrder) {
  piece_sink sink;
  std::string expected;
  {
    le_writer w(sink);
    for (int i = 0; i < 30000; ++i) {
      w.i16(static_cast<int16_t>(i));
      expected += static_cast<char>(i & 0xFF);
      expected += static_cast<char>((i >> 8) & 0xFF);
      w.u8(7);
      expected += '\x07';
    }
    const std::string big(200000, 'x');
    w.bytes(big);
    expected += big;
    w.f64(1.5);
    expected += std::string("\0\0\0\0\0\0\xf8\x3f", 8);
  }
  std::string got;
  for (const std::string& p : sink.pieces) got += p;
  EXPECT_EQ(got, expected);
  EXPECT_LE(sink.pieces.size(), 5u);
}

TEST(LittleEndianReader, ReadsNameTheFieldTheFileEndsBeforeOrInside) {
  le_reader in(std::string_view("\x01\x02\x03\x04\x05", 5));
  int32_t v = 0;
  ASSERT_TRUE(in.i32(v, "range_start"));
  EXPECT_EQ(v, 0x04030201);
  in.context("row", 3);
  int16_t w = 0;
  EXPECT_FALSE(in.i16(w, "value_a"));
  ASSERT_TRUE(in.error());
  EXPECT_EQ(in.error()->offset, 4u);
  EXPECT_EQ(in.error()->message, "row 3: the file ends inside value_a (1 byte left of 2)");

  le_reader empty("");
  uint8_t b = 0;
  EXPECT_FALSE(empty.u8(b, "kind"));
  EXPECT_EQ(empty.error()->message, "the file ends before kind");
}

}  // namespace
}  // namespace sb
