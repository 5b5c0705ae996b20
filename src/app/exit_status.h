// What the program tells its caller by its exit status.
#pragma once

#include <ostream>
#include <string_view>

namespace sb {

enum class exit_status : int {
  done = 0,     // the job was done
  fault = 1,    // the input has a fault: a scenario error, a damaged compiled file
  failure = 2,  // a usage or input/output failure
};

inline int to_int(exit_status s) { return static_cast<int>(s); }

// Every line that tells of a failure begins so.
inline constexpr std::string_view failure_prefix = "scenario-builder: ";
// The stream, with the prefix written: `failure_line(err) << reason`.
inline std::ostream& failure_line(std::ostream& err) { return err << failure_prefix; }

}  // namespace sb
