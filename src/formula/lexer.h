// The first stage of compiling a formula: normalisation of full-width punctuation, then
// scanning into tokens. The lexer works on the bytes of UTF-8 text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zor {

// Keep the values: formula tools print and compare them.
enum TokenKind : int32_t {
  TokenEnd = 0,
  TokenNumber = 1,
  TokenIdentifier = 2,
  TokenOperator = 3,
  TokenString = 4,
};

struct FormulaToken {
  int32_t kind = TokenEnd;
  // Number: as written; Identifier: ASCII letters upper-cased; Operator: its one or two
  // characters; String: the bytes between the quotes; End: empty.
  std::string text;
  double number = 0;     // Number tokens only
  int64_t position = 0;  // byte offset in the normalised text; End: its length
};

// Maps full-width punctuation typed with a Chinese input method to ASCII, code page 936
// punctuation when the text is not UTF-8, and (outside quoted literals and comments) the
// ideographic space, the no-break space and curly-quoted literals. Every replaced character
// becomes one byte, and positions in messages count the text as returned here.
std::string normalizeFormulaText(std::string_view text);

// Normalises and scans `text`. On success `tokens` ends with the End token; on failure the
// result is false and `error` holds the one message (the tokens are then meaningless).
bool tokenizeFormula(std::string_view text, std::vector<FormulaToken>& tokens, std::string& error);
// The same, with the error's position (see FormulaError in formula.h).
struct FormulaError;
bool tokenizeFormula(std::string_view text, std::vector<FormulaToken>& tokens, FormulaError& error);

// The value of the longest leading part of `s` that reads as a decimal number (digits, at most
// one point, an optional exponent); 0 when none. Overflow gives infinity, underflow 0.
double leadingNumberValue(std::string_view s);

}  // namespace zor
