// Text for a person at a Windows console.
#pragma once

namespace sb::win32 {

// std::cout and std::cerr, where each goes to a console, write there as
// UTF-16 (WriteConsoleW): the bytes would be shown in the console's code
// page, and any letter beyond ASCII garbled. Redirected to a file or a
// pipe they keep writing the UTF-8 bytes as they are.
void write_consoles_in_utf16();

}  // namespace sb::win32
