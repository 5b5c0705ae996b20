#include "builder/error_report.h"

#include <gtest/gtest.h>

namespace sb {
namespace {

TEST(ErrorReport, MessageTextAndMinimum) {
  EXPECT_EQ(errore_text("1250"), " Errore n. 1250");
  EXPECT_EQ(errore_text("1251"), " Errore n. 1251");
  EXPECT_EQ(minimo(180, 180), 180);
  EXPECT_EQ(minimo(180, 120), 120);
  EXPECT_EQ(minimo(180, 270), 180);
}

}  // namespace
}  // namespace sb
