// The only two faults a person is shown, and the minimum used by the
// protection pass.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sb {

// The smaller of the two; the first when they are equal.
inline int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

// The message text of a build error shown to the user: " Errore n. 1250".
std::string errore_text(std::string_view a);

}  // namespace sb
