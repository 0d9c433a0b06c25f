#include "platform/csv.h"

namespace zor {

void appendCsvField(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(text);
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

std::string csvField(std::string_view text) {
  std::string s;
  appendCsvField(s, text);
  return s;
}

}  // namespace zor
