// Which face the program shows: the desktop's window and message box, or
// their console stand-ins.
#pragma once

namespace sb {

// From now on the console stand-ins serve, even where a display could be
// opened. Tools that serve scenario authors call it first: they never open
// a window.
void stay_in_console();

}  // namespace sb
