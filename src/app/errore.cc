#include "app/errore.h"

#include "builder/error_report.h"
#include "platform/desktop.h"

namespace sb {

exit_status errore(const std::string& a, desktop_use use) {
  show_message_box(errore_text(a), use);
  return exit_status::fault;
}

}  // namespace sb
