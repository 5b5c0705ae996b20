#include "app/errore.h"

#include "builder/error_report.h"
#include "platform/message_box.h"

namespace sb {

int errore(const std::string& a) {
  show_message_box(errore_text(a));
  return 1;
}

}  // namespace sb
