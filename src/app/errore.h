// The one way a build error reaches the person at the desktop.
#pragma once

#include <string>

namespace sb {

// Shows " Errore n. " + `a` in the message box and waits for OK. Returns
// the exit status the caller ends the program with at once (1).
[[nodiscard]] int errore(const std::string& a);

}  // namespace sb
