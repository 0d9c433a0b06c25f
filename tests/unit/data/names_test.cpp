// Instrument names: normalisation, stock_names.txt, THS name files.
#include <gtest/gtest.h>

#include "data/names.h"
#include "data_fixture.h"
#include "platform/text.h"

namespace zor {
namespace {

TEST(Names, Normalise) {
  struct {
    const char* in;
    const char* want;
  } cases[] = {
      {"ＡＢＣ\xE3\x80\x80科技", "ABC科技"},
      {"万 科 Ａ", "万科A"},
      {"！～｀", "!~`"},           // U+FF01, U+FF5E, U+FF40
      {"\xEF\xBD\x9F", "\xEF\xBD\x9F"},  // U+FF5F stays
      {"\xEF\xBC", "\xEF\xBC"},    // a cut sequence is copied
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(normaliseName(c.in), c.want) << c.in;
  std::string longName;
  for (int i = 0; i < 30; ++i) longName += "长";  // 90 bytes
  EXPECT_EQ(normaliseName(longName).size(), 60u);
  EXPECT_EQ(normaliseName("a" + longName).size(), 58u);  // never ends inside a character
}

TEST(Names, StockNamesFile) {
  struct {
    const char* what;
    std::string text;
    std::vector<std::pair<std::string, std::string>> want;
  } cases[] = {
      {"tab separated", "600519\t茅台\n", {{"600519", "茅台"}}},
      {"CR LF, blanks before the code, comments", "# c\r\n  \t000001\t平安\r\n\r\n#600000\tx\n", {{"000001", "平安"}}},
      {"a code alone gives an empty name", "600000\n", {{"600000", ""}}},
      {"BOM", "\xEF\xBB\xBF" "600519\t茅台\n", {{"600519", "茅台"}}},
      {"GBK", utf8ToGbk("600519\t茅台\n000001\t平安银行\n"), {{"600519", "茅台"}, {"000001", "平安银行"}}},
      {"full-width name normalised", "600000\tＰＦ 银行\n", {{"600000", "PF银行"}}},
      {"code of 15 bytes at most", "1234567890123456789\tx\n", {{"123456789012345", "6789\tx"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    NameMap names;
    parseStockNames(c.text, names);
    NameMap want(c.want.begin(), c.want.end());
    EXPECT_EQ(names, want);
  }
  NameMap names;
  std::string longName(100, 'x');
  parseStockNames("600000\t" + longName + "\n", names);
  EXPECT_EQ(names["600000"].size(), 60u);  // 63 bytes read, then the normalised limit
}

TEST(Names, ThsNameFile) {
  std::string text = utf8ToGbk(
      "ConfigVer=3\n[STOCK]\n600000=浦发银行|PFYH|x\n000001=平安银行@x\n600000=别名\n  600519 = 贵州茅台 \r\n"
      "noequals\n=空\n600036=\n600900=|x\n");
  NameMap names;
  parseThsNameFile(text, names);
  NameMap want = {{"600000", "浦发银行"}, {"000001", "平安银行"}, {"600519", "贵州茅台"}};
  EXPECT_EQ(names, want);

  // 丂 is 81 40 in GBK and 亅 is 81 7C: their second bytes are "@" and "|", not separators.
  NameMap gbk;
  parseThsNameFile(utf8ToGbk("600001=丂亅号|x\n"), gbk);
  EXPECT_EQ(gbk["600001"], "丂亅号");
}

TEST(Names, ThsNameFilesInGroupOrder) {
  TempDir dir("zornames");
  std::string root = dir.file("ths/history");
  dir.mkdir("ths/history");
  dir.write("ths/stockname/stockname_32_a.txt", thsNameFileBytes({{"600000", "三十二"}}, "S"));
  dir.write("ths/stockname/stockname_16_b.txt", thsNameFileBytes({{"600000", "十六"}}, "S"));
  dir.write("ths/stockname/stockname_144_a.txt", thsNameFileBytes({{"600001", "一四四"}}, "S"));
  dir.write("ths/stockname/other.txt", thsNameFileBytes({{"600002", "其他"}}, "S"));
  dir.mkdir("ths/stockname/stockname_16_dir.txt");  // a directory where a file is expected
  NameMap names;
  loadThsNames(root, names);
  NameMap want = {{"600000", "十六"}, {"600001", "一四四"}};
  EXPECT_EQ(names, want);
}

}  // namespace
}  // namespace zor
