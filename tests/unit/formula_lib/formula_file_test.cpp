// The formula file format: the writer's exact bytes, the lenient reader, and damaged files.
#include <gtest/gtest.h>

#include <string>

#include "formula/formula_file.h"
#include "platform/text.h"

namespace zor {
namespace {

void expectSameDef(const FormulaDef& a, const FormulaDef& b) {
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.description, b.description);
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.drawMethod, b.drawMethod);
  EXPECT_EQ(a.decimals, b.decimals);
  ASSERT_EQ(a.params.size(), b.params.size());
  for (size_t i = 0; i < a.params.size(); ++i) {
    EXPECT_EQ(a.params[i].name, b.params[i].name);
    EXPECT_EQ(a.params[i].minimum, b.params[i].minimum);
    EXPECT_EQ(a.params[i].maximum, b.params[i].maximum);
    EXPECT_EQ(a.params[i].defaultValue, b.params[i].defaultValue);
  }
  EXPECT_EQ(a.source, b.source);
  EXPECT_EQ(a.version, b.version);
  EXPECT_EQ(a.usage, b.usage);
  EXPECT_EQ(a.password, b.password);
  EXPECT_EQ(a.axis, b.axis);
  EXPECT_EQ(a.favourite, b.favourite);
  EXPECT_EQ(a.yDividers, b.yDividers);
}

FormulaDef simpleX() {
  FormulaDef def;
  def.name = "X";
  def.drawMethod = 1;
  def.params = {{"N", 1, 100, 5}};
  def.source = "A:MA(C,N);";
  return def;
}

// A formula using every field, with texts that look like file syntax.
FormulaDef everyField() {
  FormulaDef def;
  def.name = "我的指标";
  def.description = "见TEXT:说明";
  def.type = 2;
  def.drawMethod = 5;
  def.decimals = 3;
  def.version = "v1.2";
  def.axis = 1;
  def.favourite = true;
  def.password = storedPasswordForm("abc");
  def.params = {{"N", 1, 100, 5}, {"P", 0.1, 20, 0.123456789}, {"周期", -3, 1e6, 2.5}};
  def.yDividers = {20, 50.5, 80, 1.0 / 3};
  def.source = "A:MA(C,N);\nDRAWTEXT(C>O,H,'###END###');\nB: A USAGE:\n  TEXT:";
  def.usage = "金叉买入\n\nUSAGE:\n死叉卖出";
  return def;
}

TEST(FormulaFileWrite, ExactBlockOfASimpleFormula) {
  EXPECT_EQ(formulaBlockText(simpleX()),
            "###FORMULA###\nNAME:X\nDESC:\nTYPE:0\nDRAW:1\nDEC:2\nAXIS:0\nPARAM:N,1,100,5\nTEXT:\nA:MA(C,N);\n"
            "###END###\n");
}

TEST(FormulaFileWrite, ExactBlockWithEveryOptionalLine) {
  EXPECT_EQ(formulaBlockText(everyField()),
            "###FORMULA###\n"
            "NAME:我的指标\n"
            "DESC:见TEXT:说明\n"
            "TYPE:2\nDRAW:5\nDEC:3\n"
            "VER:v1.2\n"
            "AXIS:1\n"
            "FAV:1\n"
            "PWD:3b030b\n"
            "PARAM:N,1,100,5\n"
            "PARAM:P,0.1,20,0.123456789\n"
            "PARAM:周期,-3,1e+06,2.5\n"
            "YDIV:20,50.5,80,0.33333333333333331\n"
            "TEXT:\n"
            "A:MA(C,N);\nDRAWTEXT(C>O,H,'###END###');\nB: A USAGE:\n  TEXT:\n"
            "USAGE:\n金叉买入\n\nUSAGE:\n死叉卖出\n"
            "###END###\n");
}

TEST(FormulaFileWrite, NumbersKeepEveryDigit) {
  struct {
    double v;
    const char* text;
  } cases[] = {{5, "5"}, {0.1, "0.1"}, {-2.5, "-2.5"}, {1e6, "1e+06"}, {250, "250"},
               {0.123456789, "0.123456789"}, {1234567, "1234567"}, {0, "0"}};
  for (const auto& c : cases) {
    EXPECT_EQ(formulaNumberText(c.v), c.text);
    EXPECT_EQ(std::strtod(formulaNumberText(c.v).c_str(), nullptr), c.v);
  }
}

TEST(FormulaFileWrite, StoredPasswordForm) {
  EXPECT_EQ(storedPasswordForm("abc"), "3b030b");
  EXPECT_EQ(storedPasswordForm(""), "");
  // Byte 31 wraps the key back to 90: 'a' ^ 90 again.
  EXPECT_EQ(storedPasswordForm(std::string(32, 'a')).substr(62), "3b");
  EXPECT_EQ(storedPasswordForm("密").size(), 6u);  // three UTF-8 bytes
}

TEST(FormulaFileRead, BlocksReadBackToEqualDefinitions) {
  for (const FormulaDef& def : {simpleX(), everyField()}) {
    std::string block = formulaBlockText(def);
    ASSERT_TRUE(endsWith(block, "###END###\n"));
    FormulaDef back = parseFormulaBlock(block.substr(0, block.size() - 10));
    expectSameDef(back, def);
    // The file reader gives the same, and writing it again gives identical bytes.
    FormulaFileContent content = parseFormulaFile(block);
    ASSERT_EQ(content.formulas.size(), 1u);
    EXPECT_FALSE(content.damaged);
    EXPECT_EQ(formulaBlockText(content.formulas[0]), block);
  }
}

TEST(FormulaFileRead, HeaderLines) {
  struct {
    const char* header;
    const char* check;
  } cases[] = {
      {"PARAM:N,1,100", "params=0"},
      {"PARAM:N1,0.1,20,2.5", "N1 0.1 20 2.5"},
      {"PARAM:n,1,100,7", "N 1 100 7"},  // lower-case names would never be found
      {"PARAM:abcdefghijklmnopqrstu周期,1,2,3", "ABCDEFGHIJKLMNOPQRSTU 1 2 3"},  // cut to 23 bytes, whole characters
      {"PARAM:ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789,1,2,3", "params=0"},  // more than 31 bytes
      {"PARAM:,1,2,3", "params=0"},
      {"YDIV:20,50,80,90,95", "ydiv=20 50 80 90"},
      {"YDIV:20, 50,x,80", "ydiv=20 50"},
      {"FAV:0", "fav=0"},
      {"FAV:2", "fav=1"},
      {"TYPE:abc", "type=0"},
      {"TYPE: -3x", "type=-3"},
      {"TYPE:99999999999", "type=2147483647"},
      {"DEC:4", "dec=4"},
      {"type:3", "type=0"},  // keys are case-sensitive
      {" NAME:Y", "name=X"},  // keys start the line
      {"COLOR:RED", "name=X"},  // unknown keys are ignored
  };
  for (const auto& c : cases) {
    FormulaDef def = parseFormulaBlock(std::string("###FORMULA###\nNAME:X\n") + c.header + "\nTEXT:\nA:C;\n");
    std::string got;
    std::string want = c.check;
    if (startsWith(want, "params=")) got = "params=" + std::to_string(def.params.size());
    else if (startsWith(want, "ydiv=")) {
      got = "ydiv=";
      for (size_t i = 0; i < def.yDividers.size(); ++i) got += (i ? " " : "") + strPrintf("%g", def.yDividers[i]);
    } else if (startsWith(want, "fav=")) got = strPrintf("fav=%d", int(def.favourite));
    else if (startsWith(want, "type=")) got = strPrintf("type=%d", def.type);
    else if (startsWith(want, "dec=")) got = strPrintf("dec=%d", def.decimals);
    else if (startsWith(want, "name=")) got = "name=" + def.name;
    else if (def.params.size() == 1)
      got = strPrintf("%s %g %g %g", def.params[0].name.c_str(), def.params[0].minimum, def.params[0].maximum,
                      def.params[0].defaultValue);
    EXPECT_EQ(got, want) << c.header;
    EXPECT_EQ(def.source, "A:C;") << c.header;
  }
}

TEST(FormulaFileRead, DefaultsWhenKeysAreMissing) {
  FormulaDef def = parseFormulaBlock("###FORMULA###\nNAME:Y\n");
  EXPECT_EQ(def.name, "Y");
  EXPECT_EQ(def.type, 0);
  EXPECT_EQ(def.drawMethod, 0);
  EXPECT_EQ(def.decimals, 2);
  EXPECT_EQ(def.axis, 0);
  EXPECT_FALSE(def.favourite);
  EXPECT_TRUE(def.source.empty());
  EXPECT_TRUE(def.params.empty());
}

TEST(FormulaFileRead, SourceAndUsageSplitOnlyAtWholeLines) {
  struct {
    const char* body;
    const char* source;
    const char* usage;
  } cases[] = {
      {"A:C;\n\n\n\n", "A:C;", ""},                          // trailing empty lines are lost
      {"\nA:C;\n", "\nA:C;", ""},                            // leading ones are kept
      {"A:C;\nUSAGE:\nnote\n\n", "A:C;", "note"},            // a USAGE: line splits
      {"A:C;\nUSAGE:  \nnote\n", "A:C;", "note"},            // trailing blanks allowed
      {"A:C; {USAGE:}\nX:'USAGE:';\n", "A:C; {USAGE:}\nX:'USAGE:';", ""},
      {"USAGE:\nonly a note\n", "", "only a note"},
      {"A:C;\r\nB:O;\r\n", "A:C;\nB:O;", ""},                 // carriage returns are dropped
  };
  for (const auto& c : cases) {
    FormulaDef def = parseFormulaBlock(std::string("###FORMULA###\nNAME:X\nDESC:TEXT:\nTEXT:\n") + c.body);
    EXPECT_EQ(def.source, c.source) << c.body;
    EXPECT_EQ(def.usage, c.usage) << c.body;
    EXPECT_EQ(def.description, "TEXT:");
  }
  // "TEXT:" counts only as a whole line: without one there is no source.
  EXPECT_EQ(parseFormulaBlock("###FORMULA###\nNAME:X\nDESC:见TEXT:\nA:C;\n").source, "");
  EXPECT_EQ(parseFormulaBlock("###FORMULA###\nNAME:X\nTEXT: \t\nA:C;\n").source, "A:C;");
}

TEST(FormulaFileRead, WholeFiles) {
  std::string x = formulaBlockText(simpleX());
  FormulaDef yDef = simpleX();
  yDef.name = "Y";
  std::string y = formulaBlockText(yDef);
  std::string xNoEnd = x.substr(0, x.size() - 10);  // without "###END###\n"
  struct {
    const char* what;
    std::string text;
    const char* names;
    bool damaged;
  } cases[] = {
      {"empty", "", "", false},
      {"text outside blocks", "说明文字\n" + x + "中间\n" + y + "尾巴", "X Y", false},
      {"CR LF", "\xEF\xBB\xBF" + [&] {
         std::string s;
         for (char c : x) s += c == '\n' ? std::string("\r\n") : std::string(1, c);
         return s;
       }(), "X", false},
      {"block without end, then another", xNoEnd + y, "X Y", true},
      {"file cut in the middle of a block", x + y.substr(0, 40), "X", true},
      {"block without a name", "###FORMULA###\nDESC:d\nTEXT:\nA:C;\n###END###\n" + y, "Y", false},
      {"marker inside a line", "x ###FORMULA###\n" + y, "Y", false},
      {"indented marker is text", "###FORMULA###\nNAME:Z\nTEXT:\nA:C;\n  ###END###\n###END###\n", "Z", false},
      {"marker with trailing blanks", "###FORMULA###  \nNAME:Z\nTEXT:\nA:C;\n###END### \t\n", "Z", false},
      {"duplicates all load", x + x, "X X", false},
      {"end marker without a block", "###END###\n" + x, "X", false},
  };
  for (const auto& c : cases) {
    FormulaFileContent content = parseFormulaFile(c.text);
    std::string names;
    for (const FormulaDef& d : content.formulas) names += (names.empty() ? "" : " ") + d.name;
    EXPECT_EQ(names, c.names) << c.what;
    EXPECT_EQ(content.damaged, c.damaged) << c.what;
  }
  // The block that lost its end marker still has its own source, not the next block's.
  FormulaFileContent content = parseFormulaFile(xNoEnd + y);
  ASSERT_EQ(content.formulas.size(), 2u);
  EXPECT_EQ(content.formulas[0].source, "A:MA(C,N);");
  EXPECT_EQ(parseFormulaFile("###FORMULA###\nNAME:Z\nTEXT:\nA:C;\n  ###END###\n###END###\n").formulas[0].source,
            "A:C;\n  ###END###");
}

TEST(FormulaFileRead, FileCutAnywhereLoadsTheWholeBlocksBeforeTheCut) {
  FormulaDef second = everyField();
  second.name = "B";
  FormulaDef third = simpleX();
  third.name = "C";
  std::string blocks[] = {formulaBlockText(simpleX()), formulaBlockText(second), formulaBlockText(third)};
  std::string file = blocks[0] + blocks[1] + blocks[2];
  for (size_t cut = 0; cut <= file.size(); ++cut) {
    FormulaFileContent content = parseFormulaFile(file.substr(0, cut));
    // Blocks whose end marker line is complete (its line feed may be missing) load.
    size_t whole = 0, end = 0;
    for (const std::string& b : blocks) {
      end += b.size();
      if (cut + 1 >= end) ++whole;
    }
    ASSERT_EQ(content.formulas.size(), whole) << "cut at " << cut;
    for (size_t i = 0; i < whole; ++i) EXPECT_EQ(formulaBlockText(content.formulas[i]), blocks[i]) << cut;
    // Cut inside a block, after its first marker line: that block is incomplete.
    size_t startOfNext = 0;
    for (size_t i = 0; i < whole; ++i) startOfNext += blocks[i].size();
    bool inside = whole < 3 && cut >= startOfNext + kFormulaBeginMarker.size();
    EXPECT_EQ(content.damaged, inside) << "cut at " << cut;
  }
}

TEST(FormulaFileRead, EncodingsDecodeToTheSameText) {
  std::string utf8 = "###FORMULA###\nNAME:磨底\nTEXT:\n磨底:=C;X:磨底;\n###END###\n";
  for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8, utf8ToGbk(utf8)}) {
    FormulaFileContent content = parseFormulaFile(bytes);
    ASSERT_EQ(content.formulas.size(), 1u);
    EXPECT_EQ(content.formulas[0].name, "磨底");
    EXPECT_EQ(content.formulas[0].source, "磨底:=C;X:磨底;");
  }
  EXPECT_EQ(decodeFormulaFileText("plain"), "plain");
  EXPECT_EQ(decodeFormulaFileText("\xEF\xBB\xBF"), "");
}

TEST(FormulaFileRead, RoundTripOfManyFormulasIsByteIdentical) {
  std::string file;
  for (int i = 0; i < 300; ++i) {
    FormulaDef def = i % 2 ? everyField() : simpleX();
    def.name += std::to_string(i);
    def.params.push_back({"K" + std::to_string(i), i * 0.1, i * 1e7 + 0.7, 1.0 / (i + 3)});
    if (i % 3 == 0) def.yDividers.clear();
    file += formulaBlockText(def);
  }
  FormulaFileContent content = parseFormulaFile(file);
  ASSERT_EQ(content.formulas.size(), 300u);
  std::string again;
  for (const FormulaDef& def : content.formulas) again += formulaBlockText(def);
  EXPECT_EQ(again, file);
}

TEST(FormulaFileRead, LargeFileLoadsWhole) {
  // About 8 MB: every block is read, and reading stays linear.
  std::string block = formulaBlockText(everyField());
  std::string file;
  file.reserve(block.size() * 40000);
  for (int i = 0; i < 40000; ++i) file += block;
  FormulaFileContent content = parseFormulaFile(file);
  EXPECT_EQ(content.formulas.size(), 40000u);
  EXPECT_FALSE(content.damaged);
}

TEST(FormulaFileSave, LinesThatWouldSplitABlockAreRefused) {
  struct {
    const char* source;
    const char* usage;
    bool refused;
  } cases[] = {
      {"A:C;", "", false},
      {"A:C;\n###END###", "", true},
      {"A:C;\n###FORMULA###  ", "", true},
      {"A:C;\nUSAGE:", "", true},
      {"DRAWTEXT(C>O,H,'###END###');", "", false},
      {"A:C;\n USAGE:", "", false},
      {"A:C;", "USAGE:", false},
      {"A:C;", "a\n###END###\nb", true},
      {"A:C;", "###FORMULA###", true},
  };
  for (const auto& c : cases) {
    FormulaDef def = simpleX();
    def.source = c.source;
    def.usage = c.usage;
    std::string problem = formulaSaveProblem(def);
    EXPECT_EQ(!problem.empty(), c.refused) << c.source << " / " << c.usage;
    if (c.refused)
      EXPECT_EQ(problem,
                "公式无法保存：源码中不能有单独成行的 ###FORMULA###、###END### 或 USAGE:，注释中不能有单独成行的 "
                "###FORMULA### 或 ###END###。");
    else {
      // What may be saved reads back unchanged.
      std::string block = formulaBlockText(def);
      FormulaFileContent content = parseFormulaFile(block);
      ASSERT_EQ(content.formulas.size(), 1u);
      EXPECT_EQ(content.formulas[0].source, def.source);
      EXPECT_EQ(content.formulas[0].usage, def.usage);
    }
  }
}

}  // namespace
}  // namespace zor
