#include "edit/edit_host.h"

namespace pelira {

std::string FormatRecordedLine(std::string_view word, std::initializer_list<int> args) {
  std::string line(word);
  bool first = true;
  for (int v : args) {
    line += first ? "=" : ",";
    line += std::to_string(v);
    first = false;
  }
  return line;
}

}  // namespace pelira
