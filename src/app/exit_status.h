// What the program tells its caller by its exit status.
#pragma once

namespace sb {

enum class exit_status : int {
  done = 0,     // the job was done
  fault = 1,    // the input has a fault: a scenario error, a damaged compiled file
  failure = 2,  // a usage or input/output failure
};

inline int to_int(exit_status s) { return static_cast<int>(s); }

}  // namespace sb
