#include "builder/error_report.h"

namespace sb {

std::string errore_text(std::string_view a) {
  std::string text = " Errore n. ";
  text += a;
  return text;
}

}  // namespace sb
