// CSV output: fields separated by commas, rows ended by a line feed. A text field is quoted
// when it holds a comma, a quote or a line break, with inner quotes doubled, so that any text
// survives a spreadsheet or a CSV reader unchanged.
#pragma once

#include <string>
#include <string_view>

namespace zor {

void appendCsvField(std::string& out, std::string_view text);
std::string csvField(std::string_view text);

}  // namespace zor
