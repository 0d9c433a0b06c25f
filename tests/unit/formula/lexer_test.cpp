#include "formula/lexer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace zor {
namespace {

// Tokens written as "kind:text" (N number, I identifier, O operator, S string), End omitted.
std::vector<std::string> describe(const std::vector<FormulaToken>& tokens) {
  std::vector<std::string> out;
  for (const FormulaToken& t : tokens) {
    if (t.kind == TokenEnd) continue;
    const char* k = t.kind == TokenNumber ? "N" : t.kind == TokenIdentifier ? "I" : t.kind == TokenOperator ? "O" : "S";
    out.push_back(std::string(k) + ":" + t.text);
  }
  return out;
}

TEST(Lexer, TokensOfTypicalTexts) {
  struct Case {
    const char* text;
    std::vector<std::string> want;
  } cases[] = {
      {"", {}},
      {" \t\r\n{ comment }// line", {}},
      {"ma5:ma(close,5);", {"I:MA5", "O::", "I:MA", "O:(", "I:CLOSE", "O:,", "N:5", "O:)", "O:;"}},
      {"MA5\xEF\xBC\x9AMA\xEF\xBC\x88" "C\xEF\xBC\x8C" "5\xEF\xBC\x89\xEF\xBC\x9B",
       {"I:MA5", "O::", "I:MA", "O:(", "I:C", "O:,", "N:5", "O:)", "O:;"}},
      {"5E", {"N:5", "I:E"}},
      {"5E+", {"N:5", "I:E", "O:+"}},
      {"5E+2", {"N:5E+2"}},
      {".5", {"N:.5"}},
      {"1.2.3", {"N:1.2.3"}},
      {"A<>B A!=B A==B A&&B A||B A=B A:=B A>=B A<=B",
       {"I:A", "O:<>", "I:B", "I:A", "O:!=", "I:B", "I:A", "O:==", "I:B", "I:A", "O:&&", "I:B", "I:A", "O:||", "I:B",
        "I:A", "O:=", "I:B", "I:A", "O::=", "I:B", "I:A", "O:>=", "I:B", "I:A", "O:<=", "I:B"}},
      {"'TEXT' \"TEXT\" 'a\"b' \"a'b\"", {"S:TEXT", "S:TEXT", "S:a\"b", "S:a'b"}},
      {"'line\nfeed'", {"S:line\nfeed"}},
      {"[1]", {"O:[", "N:1", "O:]"}},
      {"CLOSE#WEEK+1", {"I:CLOSE", "O:+", "N:1"}},
      {"x_1y\xE4\xB8\xAD\xE6\x96\x87:1", {"I:X_1Y\xE4\xB8\xAD\xE6\x96\x87", "O::", "N:1"}},
      {"X:C;// last line without line feed", {"I:X", "O::", "I:C", "O:;"}},
      {"{ a } b { c }", {"I:B"}},
      {"+-*/><()[],;: =!", {"O:+", "O:-", "O:*", "O:/", "O:>", "O:<", "O:(", "O:)", "O:[", "O:]", "O:,", "O:;", "O::",
                           "O:=", "O:!"}},
  };
  for (const Case& c : cases) {
    std::vector<FormulaToken> tokens;
    std::string error;
    ASSERT_TRUE(tokenizeFormula(c.text, tokens, error)) << c.text << ": " << error;
    EXPECT_EQ(describe(tokens), c.want) << c.text;
    ASSERT_FALSE(tokens.empty());
    EXPECT_EQ(tokens.back().kind, TokenEnd);
    EXPECT_EQ(tokens.back().position, int64_t(normalizeFormulaText(c.text).size())) << c.text;
  }
}

TEST(Lexer, NumberValues) {
  struct Case {
    const char* text;
    double want;
  } cases[] = {
      {"5", 5}, {"5E+2", 500}, {"5e-1", 0.5}, {".5", 0.5}, {"1.2.3", 1.2}, {"12.", 12}, {"0.125", 0.125},
      {"1E400", INFINITY}, {"1E-400", 0}, {"007", 7},
  };
  for (const Case& c : cases) {
    std::vector<FormulaToken> tokens;
    std::string error;
    ASSERT_TRUE(tokenizeFormula(c.text, tokens, error)) << c.text;
    ASSERT_EQ(tokens[0].kind, TokenNumber) << c.text;
    EXPECT_EQ(tokens[0].number, c.want) << c.text;
  }
  EXPECT_EQ(leadingNumberValue("abc"), 0);
  EXPECT_EQ(leadingNumberValue("3.5元"), 3.5);
}

TEST(Lexer, PositionsCountTheNormalisedText) {
  // Each full-width character replaced counts as one byte from there on.
  std::vector<FormulaToken> wide, narrow;
  std::string error;
  ASSERT_TRUE(tokenizeFormula("MA5\xEF\xBC\x9AMA\xEF\xBC\x88" "C\xEF\xBC\x8C" "5\xEF\xBC\x89\xEF\xBC\x9B", wide, error));
  ASSERT_TRUE(tokenizeFormula("MA5:MA(C,5);", narrow, error));
  ASSERT_EQ(wide.size(), narrow.size());
  for (size_t i = 0; i < wide.size(); ++i) EXPECT_EQ(wide[i].position, narrow[i].position) << i;
  EXPECT_EQ(wide.back().position, 12);
}

TEST(Lexer, Errors) {
  struct Case {
    std::string text;
    std::string want;
  } cases[] = {
      {"X:C; {open", "注释 { 未闭合"},
      {"X:'abc", "字符串 ' 未闭合"},
      {"X:\"abc", "字符串 \" 未闭合"},
      {"{ a { b } c }", "无法识别的字符 '}' (位置 12)"},
      {"X.Y", "无法识别的字符 '.' (位置 1)"},
      {"A&B", "无法识别的字符 '&' (位置 1)"},
      {"A|B", "无法识别的字符 '|' (位置 1)"},
      {"?", "无法识别的字符 '?' (位置 0)"},
      {"$", "无法识别的字符 '$' (位置 0)"},
      {"%", "无法识别的字符 '%' (位置 0)"},
      {"^", "无法识别的字符 '^' (位置 0)"},
      {"~", "无法识别的字符 '~' (位置 0)"},
      {"\\", "无法识别的字符 '\\' (位置 0)"},
      {"`", "无法识别的字符 '`' (位置 0)"},
      {"}", "无法识别的字符 '}' (位置 0)"},
      {".", "无法识别的字符 '.' (位置 0)"},
      {std::string("\x0b"), "无法识别的字符 '\x0b' (位置 0)"},
      {std::string("A\x0c"), "无法识别的字符 '\x0c' (位置 1)"},
      {std::string("\x0e"), "无法识别的字符 '\x0e' (位置 0)"},
      // The position counts the full-width colon as one byte.
      {"X\xEF\xBC\x9A" "C?", "无法识别的字符 '?' (位置 3)"},
  };
  for (const Case& c : cases) {
    std::vector<FormulaToken> tokens;
    std::string error;
    EXPECT_FALSE(tokenizeFormula(c.text, tokens, error)) << c.text;
    EXPECT_EQ(error, c.want) << c.text;
  }
}

TEST(Lexer, NormalisationOfPastedText) {
  struct Case {
    std::string text;
    std::string want;
  } cases[] = {
      // Full-width punctuation, everywhere (also inside literals, as it always was).
      {"A\xEF\xBC\x9C" "B\xEF\xBC\x9E" "C\xEF\xBC\x9D" "D\xEF\xBC\x8B" "E\xEF\xBC\x8D" "F\xEF\xBC\x8A" "G\xEF\xBC\x8F" "H",
       "A<B>C=D+E-F*G/H"},
      {"'\xEF\xBC\x9A'", "':'"},
      // Code page 936 punctuation only in text that is not UTF-8.
      {"X\xA3\xBA" "C\xA3\xBB", "X:C;"},
      {"\xA3\xA8\xA3\xA9\xA3\xAC", "(),"},
      // 磨 is E7 A3 A8: valid UTF-8 keeps its bytes.
      {"\xE7\xA3\xA8\xE5\xBA\x95:=C;", "\xE7\xA3\xA8\xE5\xBA\x95:=C;"},
      // Ideographic and no-break spaces outside literals.
      {"X:\xE3\x80\x80" "C\xC2\xA0;", "X: C ;"},
      {"'\xE3\x80\x80'", "'\xE3\x80\x80'"},
      // Curly-quoted literals become ASCII-quoted ones; inside ASCII literals nothing new maps.
      {"\xE2\x80\x98\xE9\x87\x91\xE5\x8F\x89\xE2\x80\x99", "'\xE9\x87\x91\xE5\x8F\x89'"},
      {"\xE2\x80\x9C" "A\xE2\x80\x9D", "\"A\""},
      {"\xE2\x80\x98it's\xE2\x80\x99", "\"it's\""},
      {"'\xE4\xBB\xB7\xE2\x80\x99\xE7\xAA\x81'", "'\xE4\xBB\xB7\xE2\x80\x99\xE7\xAA\x81'"},
      {"\xE2\x80\x98open", "\xE2\x80\x98open"},
      // An apostrophe in a comment opens no literal.
      {"{it's} \xE2\x80\x98" "A\xE2\x80\x99", "{it's} 'A'"},
      {"// don't\n\xE2\x80\x9C" "B\xE2\x80\x9D", "// don't\n\"B\""},
  };
  for (const Case& c : cases) EXPECT_EQ(normalizeFormulaText(c.text), c.want) << c.text;
}

TEST(Lexer, CurlyQuotedTextIsOneString) {
  std::vector<FormulaToken> tokens;
  std::string error;
  ASSERT_TRUE(tokenizeFormula("DRAWTEXT(C>O,L,\xE2\x80\x98\xE9\x87\x91\xE5\x8F\x89\xE2\x80\x99)", tokens, error));
  ASSERT_GE(tokens.size(), 9u);
  EXPECT_EQ(tokens[8].kind, TokenString);
  EXPECT_EQ(tokens[8].text, "\xE9\x87\x91\xE5\x8F\x89");
}

}  // namespace
}  // namespace zor
