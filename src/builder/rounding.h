// Rounding of exact quotients, halves to the even neighbour, done in
// integer arithmetic so that no floating-point step can move a half.
#pragma once

#include <cstdint>

namespace sb {

// round(num / den) for den > 0, halves to even.
constexpr int64_t round_div(int64_t num, int64_t den) {
  int64_t q = num / den;
  int64_t r = num % den;
  if (r < 0) {  // floor division
    q -= 1;
    r += den;
  }
  const int64_t twice = 2 * r;
  if (twice > den || (twice == den && (q & 1) != 0)) q += 1;
  return q;
}

// num / den > bound, compared exactly (den > 0).
constexpr bool quotient_above(int64_t num, int64_t den, int64_t bound) { return num > bound * den; }

}  // namespace sb
