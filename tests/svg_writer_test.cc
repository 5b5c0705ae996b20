#include "app/svg_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace sb {
namespace {

TEST(SvgNumber, FixedDecimalsWithoutTrailingZerosAndNeverNan) {
  const struct {
    double v;
    int decimals;
    const char* text;
  } cases[] = {
      {0.0, 1, "0"},        {3.0, 1, "3"},          {-1.5, 1, "-1.5"},        {0.126, 2, "0.13"},
      {-0.04, 1, "0"},      {1e6, 1, "1000000"},    {364.9, 1, "364.9"},      {2.25, 3, "2.25"},
      {std::nan(""), 1, "0"}, {std::numeric_limits<double>::infinity(), 1, "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(svg::number(c.v, c.decimals), c.text) << c.v;
}

TEST(SvgEscape, MarkupCharactersLatin1AndControlBytes) {
  EXPECT_EQ(svg::escape("A&B<C>\"'"), "A&amp;B&lt;C&gt;&quot;&apos;");
  EXPECT_EQ(svg::escape("CITT\xC0"), "CITT&#xC0;");
  EXPECT_EQ(svg::escape(std::string("a\x01" "b\0c", 5)), "a?b?c");
}

}  // namespace
}  // namespace sb
