#include "builder/error_codes.h"

#include <gtest/gtest.h>

namespace sb {
namespace {

TEST(ErrorCodes, EveryCodeHasItsMeaningAndOnlyTheStopCodesStop) {
  for (int32_t n = 1; n <= 1251; ++n) {
    const error e = static_cast<error>(n);
    const bool named = !meaning_of(e).empty();
    const bool known = (n >= 1 && n <= 25 && n != 14 && n != 23) || (n >= 101 && n <= 103) || n == 1250 || n == 1251;
    EXPECT_EQ(named, known) << n;
    EXPECT_EQ(stops_the_build(e), n == 1250 || n == 1251) << n;
  }
  EXPECT_TRUE(meaning_of(error::none).empty());
}

TEST(ErrorCodes, ADescriptionDropsWhatTheErrorDoesNotHave) {
  EXPECT_EQ(describe({error::signal_cell_taken, 2010, "Prova_7-.txt", 4, {}}),
            "Prova_7-.txt:4: error 16 at 2010 m: the cell of a signal is already taken");
  EXPECT_EQ(describe({error::no_generale, std::nullopt, "Prova_linea.txt", 0, {}}),
            "Prova_linea.txt: error 102: the line file has no [generale] section");
  EXPECT_EQ(describe({error::no_room_before_start, 6050, {}, 0, {}}),
            "error 12 at 6050 m: no room for a speed-reduction point ahead of a slowdown start");
  EXPECT_EQ(describe({error::unreadable_text, std::nullopt, "Prova_7-.txt", 2, "\"x\" is not a number"}),
            "Prova_7-.txt:2: error 25: unreadable scenario text (\"x\" is not a number)");
}

}  // namespace
}  // namespace sb
