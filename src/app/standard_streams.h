// Standard output and standard error, checked: a write that fails is a
// failed run, never a silent success.
#pragma once

#include <memory>

#include "app/exit_status.h"

namespace sb {

// While it lives, remembers why the first write to std::cout or std::cerr
// failed. `finish` flushes and closes standard output, says on stderr what
// failed ("scenario-builder: standard output: No space left on device"),
// and turns the run's status into a failure when either stream failed.
class checked_standard_streams {
 public:
  checked_standard_streams();
  ~checked_standard_streams();
  checked_standard_streams(const checked_standard_streams&) = delete;
  checked_standard_streams& operator=(const checked_standard_streams&) = delete;

  exit_status finish(exit_status status);

  class recorder;

 private:
  std::unique_ptr<recorder> out_, err_;
};

}  // namespace sb
