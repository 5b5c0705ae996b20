// The one way a build error reaches the person at the desktop.
#pragma once

#include <string>

#include "app/exit_status.h"
#include "platform/desktop.h"

namespace sb {

// Shows " Errore n. " + `a` in the message box and waits for OK. Returns
// the exit status the caller ends the program with at once.
[[nodiscard]] exit_status errore(const std::string& a, desktop_use use);

}  // namespace sb
