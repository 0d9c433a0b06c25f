#include "formula/lexer.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "formula/formula.h"
#include "platform/text.h"

namespace zor {

namespace {

// Full-width punctuation and its ASCII replacement, tried in this order at every byte. The
// last five rows are code page 936 bytes; inside UTF-8 text they would hit the middle of
// characters (磨 is E7 A3 A8), so they apply only to text that is not valid UTF-8.
struct Replacement {
  const char* bytes;
  char ascii;
};
constexpr Replacement kUtf8Punctuation[] = {
    {"\xEF\xBC\x9A", ':'}, {"\xEF\xBC\x9B", ';'}, {"\xEF\xBC\x8C", ','}, {"\xEF\xBC\x88", '('},
    {"\xEF\xBC\x89", ')'}, {"\xEF\xBC\x9C", '<'}, {"\xEF\xBC\x9E", '>'}, {"\xEF\xBC\x9D", '='},
    {"\xEF\xBC\x8B", '+'}, {"\xEF\xBC\x8D", '-'}, {"\xEF\xBC\x8A", '*'}, {"\xEF\xBC\x8F", '/'},
};
constexpr Replacement kGbkPunctuation[] = {
    {"\xA3\xBA", ':'}, {"\xA3\xBB", ';'}, {"\xA3\xAC", ','}, {"\xA3\xA8", '('}, {"\xA3\xA9", ')'},
};

bool matchAt(std::string_view s, size_t p, std::string_view pattern) {
  return s.size() - p >= pattern.size() && s.compare(p, pattern.size(), pattern) == 0;
}

// Appends the replacement of the first pattern of `table` that matches at p, advancing p.
template <size_t N>
bool replaceFrom(const Replacement (&table)[N], std::string_view text, size_t& p, std::string& out) {
  for (const Replacement& r : table) {
    std::string_view pat(r.bytes);
    if (matchAt(text, p, pat)) {
      out += r.ascii;
      p += pat.size();
      return true;
    }
  }
  return false;
}

std::string replacePunctuation(std::string_view text) {
  const bool gbkRows = !isValidUtf8(text);
  std::string out;
  out.reserve(text.size());
  for (size_t p = 0; p < text.size();) {
    if ((unsigned char)text[p] < 0x80) {  // every pattern starts with a byte of 0x80 or above
      out += text[p++];
      continue;
    }
    if (replaceFrom(kUtf8Punctuation, text, p, out)) continue;
    if (gbkRows && replaceFrom(kGbkPunctuation, text, p, out)) continue;
    out += text[p++];
  }
  return out;
}

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
constexpr std::string_view kLeftSingle = "\xE2\x80\x98", kRightSingle = "\xE2\x80\x99";
constexpr std::string_view kLeftDouble = "\xE2\x80\x9C", kRightDouble = "\xE2\x80\x9D";

// Spaces and curly quotes pasted from documents and chat programs. The scan follows the
// lexer's view of the text (ASCII-quoted literals and comments are copied untouched), so that
// an apostrophe inside a comment or a curly quote inside a literal changes nothing.
std::string mapPastedCharacters(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  size_t p = 0;
  auto copyThrough = [&](size_t end) {  // copies s[p, end) and moves p there
    out.append(s, p, end - p);
    p = end;
  };
  while (p < s.size()) {
    char c = s[p];
    if (c == '{') {
      size_t close = s.find('}', p + 1);
      copyThrough(close == std::string::npos ? s.size() : close + 1);
    } else if (c == '/' && p + 1 < s.size() && s[p + 1] == '/') {
      size_t lf = s.find('\n', p + 2);
      copyThrough(lf == std::string::npos ? s.size() : lf + 1);
    } else if (c == '\'' || c == '"') {
      size_t close = s.find(c, p + 1);
      copyThrough(close == std::string::npos ? s.size() : close + 1);
    } else if ((unsigned char)c < 0x80) {  // the patterns below start with a byte of 0x80 or above
      out += c;
      ++p;
    } else if (matchAt(s, p, kIdeographicSpace)) {
      out += ' ';
      p += kIdeographicSpace.size();
    } else if (matchAt(s, p, kNoBreakSpace)) {
      out += ' ';
      p += kNoBreakSpace.size();
    } else if (matchAt(s, p, kLeftSingle) || matchAt(s, p, kLeftDouble)) {
      bool single = matchAt(s, p, kLeftSingle);
      std::string_view closing = single ? kRightSingle : kRightDouble;
      size_t from = p + 3;
      size_t close = s.find(closing, from);
      if (close == std::string::npos) {
        copyThrough(from);  // an unpaired quote stays what it was
        continue;
      }
      std::string_view content(s.data() + from, close - from);
      // The literal must not contain the quote that encloses it; pick the other one if needed.
      char quote = single ? '\'' : '"';
      char other = single ? '"' : '\'';
      if (content.find(quote) != std::string_view::npos) quote = other;
      if (content.find(quote) != std::string_view::npos) {
        copyThrough(from);
        continue;
      }
      out += quote;
      out.append(content);
      out += quote;
      p = close + closing.size();
    } else {
      out += c;
      ++p;
    }
  }
  return out;
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isIdentStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool isIdentChar(unsigned char c) { return isIdentStart(c) || isDigit(c); }

constexpr std::string_view kTwoCharOperators[] = {":=", ">=", "<=", "<>", "!=", "==", "&&", "||"};
constexpr std::string_view kOneCharOperators = "+-*/><()[],;:=!";

}  // namespace

std::string normalizeFormulaText(std::string_view text) { return mapPastedCharacters(replacePunctuation(text)); }

double leadingNumberValue(std::string_view s) {
  size_t p = 0;
  while (p < s.size() && isDigit((unsigned char)s[p])) ++p;
  std::string_view intPart = s.substr(0, p), fracPart;
  if (p < s.size() && s[p] == '.') {
    size_t q = p + 1;
    while (q < s.size() && isDigit((unsigned char)s[q])) ++q;
    fracPart = s.substr(p + 1, q - p - 1);
    if (!intPart.empty() || !fracPart.empty()) p = q;
  }
  if (intPart.empty() && fracPart.empty()) return 0;
  long long exponent = 0;
  if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
    size_t q = p + 1;
    bool negative = false;
    if (q < s.size() && (s[q] == '+' || s[q] == '-')) negative = s[q++] == '-';
    if (q < s.size() && isDigit((unsigned char)s[q])) {
      while (q < s.size() && isDigit((unsigned char)s[q])) {
        if (exponent < 1000000) exponent = exponent * 10 + (s[q] - '0');
        ++q;
      }
      if (negative) exponent = -exponent;
    }
  }
  // A canonical spelling ("0.5" for ".5", no dangling point) keeps the conversion simple.
  std::string canonical(intPart.empty() ? std::string_view("0") : intPart);
  if (!fracPart.empty()) {
    canonical += '.';
    canonical += fracPart;
  }
  if (exponent != 0) {
    canonical += 'e';
    canonical += std::to_string(exponent);
  }
  double value = 0;
  auto res = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
  if (res.ec == std::errc::result_out_of_range) {
    // The decimal magnitude tells overflow from underflow.
    size_t first = intPart.find_first_not_of('0');
    long long magnitude = first == std::string_view::npos ? 0 : (long long)(intPart.size() - first);
    return magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  if (res.ec != std::errc()) return 0;
  return value;
}

bool tokenizeFormula(std::string_view source, std::vector<FormulaToken>& tokens, std::string& message) {
  FormulaError error;
  const bool ok = tokenizeFormula(source, tokens, error);
  message = std::move(error.message);
  return ok;
}

bool tokenizeFormula(std::string_view source, std::vector<FormulaToken>& tokens, FormulaError& error) {
  tokens.clear();
  error = FormulaError();
  const std::string text = normalizeFormulaText(source);
  const size_t size = text.size();
  auto emit = [&](int32_t kind, size_t start, std::string tokText, double number = 0) {
    FormulaToken t;
    t.kind = kind;
    t.text = std::move(tokText);
    t.number = number;
    t.position = int64_t(start);
    tokens.push_back(std::move(t));
  };
  size_t p = 0;
  while (p < size) {
    unsigned char c = (unsigned char)text[p];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++p;
      continue;
    }
    if (c == '{') {
      size_t close = text.find('}', p);
      if (close == std::string::npos) {
        error.message = "注释 { 未闭合";
        error.position = int64_t(p);
        return false;
      }
      p = close + 1;
      continue;
    }
    if (c == '/' && p + 1 < size && text[p + 1] == '/') {
      size_t lf = text.find('\n', p);
      if (lf == std::string::npos) break;  // the rest of the text is comment
      p = lf + 1;
      continue;
    }
    if (c == '\'' || c == '"') {
      size_t close = text.find(char(c), p + 1);
      if (close == std::string::npos) {
        error.message = strPrintf("字符串 %c 未闭合", char(c));
        error.position = int64_t(p);
        return false;
      }
      emit(TokenString, p, text.substr(p + 1, close - p - 1));
      p = close + 1;
      continue;
    }
    if (isDigit(c) || (c == '.' && p + 1 < size && isDigit((unsigned char)text[p + 1]))) {
      size_t q = p;
      while (q < size && (isDigit((unsigned char)text[q]) || text[q] == '.')) ++q;
      if (q < size && (text[q] == 'e' || text[q] == 'E')) {
        size_t r = q + 1;
        if (r < size && (text[r] == '+' || text[r] == '-')) ++r;
        if (r < size && isDigit((unsigned char)text[r])) {
          while (r < size && isDigit((unsigned char)text[r])) ++r;
          q = r;
        }
      }
      std::string numText = text.substr(p, q - p);
      double value = leadingNumberValue(numText);
      emit(TokenNumber, p, std::move(numText), value);
      p = q;
      continue;
    }
    if (isIdentStart(c)) {
      size_t q = p;
      while (q < size && isIdentChar((unsigned char)text[q])) ++q;
      emit(TokenIdentifier, p, toUpperAscii(std::string_view(text).substr(p, q - p)));
      p = q;
      continue;
    }
    if (c == '#') {  // period suffix such as CLOSE#WEEK: read and dropped
      ++p;
      while (p < size && isIdentChar((unsigned char)text[p])) ++p;
      continue;
    }
    if (p + 1 < size) {
      std::string_view two(text.data() + p, 2);
      bool matched = false;
      for (std::string_view op : kTwoCharOperators) {
        if (two == op) {
          emit(TokenOperator, p, std::string(two));
          p += 2;
          matched = true;
          break;
        }
      }
      if (matched) continue;
    }
    if (kOneCharOperators.find(char(c)) != std::string_view::npos) {
      emit(TokenOperator, p, std::string(1, char(c)));
      ++p;
      continue;
    }
    error.message = "无法识别的字符 '";
    error.message += char(c);
    error.message += strPrintf("' (位置 %lld)", (long long)p);
    error.position = int64_t(p);
    return false;
  }
  emit(TokenEnd, size, std::string());
  return true;
}

}  // namespace zor
