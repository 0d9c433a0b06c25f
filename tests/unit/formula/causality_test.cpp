// No function looks at later bars unless it is meant to: for every function of the library,
// its output at bar i is the same whether the run has the bars after i or not. The functions
// that read ahead by their definition are listed, and each is shown to do so.
#include <map>
#include <set>
#include <string>
#include <type_traits>

#include "formula/library.h"
#include "formula_test_support.h"

namespace zor::test {
namespace {

// Functions whose value at a bar depends on later bars by definition.
const std::set<std::string> kReadAhead = {
    "REFX", "REFXV",                                        // X[i+N]
    "ZIG", "PEAK", "TROUGH", "PEAKBARS", "TROUGHBARS",      // turning points confirmed later
    "BACKSET",                                              // a true bar sets the bars before it
    "CONST", "TOTALBARSCOUNT", "CURRBARSCOUNT", "ISLASTBAR",  // the last bar or the bar count
    "SAR",  // bar 0's stop depends on the first trend, which close[1] decides
};

// Functions that refuse to run: the data they need does not exist in this program.
const std::set<std::string> kRefused = {"FINANCE", "GET", "INBLOCK", "SETCODE", "BETA", "CALCSTOCKINDEX"};

// Arguments that exercise a function; the others get "C", "C,5" or "C,5,3" by their count.
const std::map<std::string, std::vector<std::string>> kArguments = {
    {"IF", {"C>O,H,L"}}, {"IFF", {"C>O,H,L"}}, {"IFN", {"C>O,H,L"}},
    {"BETWEEN", {"C,L,H"}}, {"RANGE", {"C,L,H"}}, {"MAX", {"C,O"}}, {"MIN", {"C,O"}},
    {"MOD", {"C,3"}}, {"POW", {"C,0.5"}}, {"RGB", {"255,0,0"}},
    {"CROSS", {"C,MA(C,5)"}}, {"LONGCROSS", {"C,MA(C,5),3"}},
    {"COVAR", {"C,V,10"}}, {"RELATE", {"C,V,10"}},
    {"SMA", {"C,6,1"}}, {"TMA", {"C,0.3,0.7"}}, {"AMA", {"C,0.2"}}, {"DMA", {"C,0.1", "C,V/100000"}},
    {"EXISTR", {"C>O,5,2"}}, {"NDAY", {"C,O,3"}}, {"UPNDAY", {"C,3"}}, {"DOWNNDAY", {"C,3"}},
    {"SUMBARS", {"V,300000"}}, {"BARSLAST", {"C>O"}}, {"BARSSINCE", {"C>O"}}, {"BARSLASTCOUNT", {"C>O"}},
    {"BARSCOUNT", {"", "REF(C,3)"}}, {"FILTER", {"C>O,3"}}, {"VALUEWHEN", {"C>O,H"}}, {"ISNULL", {"C"}},
    {"DYNAINFO", {"3", "4", "5", "6", "7", "8", "9", "10", "11"}},
    {"ZIG", {"3,5"}}, {"PEAK", {"1,5,1"}}, {"TROUGH", {"2,5,1"}}, {"PEAKBARS", {"1,5,1"}}, {"TROUGHBARS", {"2,5,1"}},
    {"SAR", {"10,2,20"}}, {"SARTURN", {"10,2,20"}}, {"BACKSET", {"C>O,3"}},
    {"STR2CON", {"'12.5'"}}, {"STRCAT", {"'A','B'"}}, {"CON2STR", {"C,2"}}, {"VAR2STR", {"C,2"}},
    {"DRAWICON", {"C>O,L,1"}}, {"DRAWTEXT", {"C>O,L,'x'"}}, {"DRAWNUMBER", {"C>O,H,C"}},
    {"DRAWLINE", {"C>O,H,C<O,L,0"}}, {"STICKLINE", {"C>O,O,C,2,0"}},
    {"DRAWBAND", {"C,RGB(255,0,0),O,RGB(0,255,0)"}}, {"DRAWSL", {"C>O,H,0.5,3,0"}},
    {"DRAWNUMBER_FIX", {"C>O,0.1,0.2,0,C"}}, {"DRAWTEXT_FIX", {"C>O,0.1,0.2,0,'x'"}}, {"VERTLINE", {"C>O"}},
    {"POLYLINE", {"C>O,C"}}, {"PLOYLINE", {"C>O,C"}}, {"PARTLINE", {"C>O,C"}}, {"DRAWKLINE", {"H,O,L,C"}},
    {"DRAWRECTREL", {"0,0,100,100,RGB(255,0,0)"}}, {"DRAWGBK", {"C>O,RGB(255,0,0),RGB(0,0,255)"}},
    // The functions that read their period bar by bar: a constant and a per-bar period.
    {"REF", {"C,3", "C,BARSLAST(C>O)+1"}}, {"REFV", {"C,3", "C,BARSLAST(C>O)+1"}},
    {"MA", {"C,5", "C,BARSLAST(C>O)+1"}}, {"SUM", {"C,5", "C,0", "C,BARSLAST(C>O)+1"}},
    {"HHV", {"H,5", "H,0", "H,BARSLAST(C>O)+1"}}, {"LLV", {"L,5", "L,0", "L,BARSLAST(C>O)+1"}},
    {"HHVBARS", {"H,5", "H,BARSLAST(C>O)+1"}}, {"LLVBARS", {"L,5", "L,BARSLAST(C>O)+1"}},
    {"COUNT", {"C>O,5", "C>O,BARSLAST(C<O)+1"}}, {"EVERY", {"C>O,2", "C>O,BARSLAST(C<O)+1"}},
    {"EXIST", {"C>O,5", "C>O,BARSLAST(C<O)+1"}},
    {"STD", {"C,5"}}, {"STDP", {"C,5"}}, {"VAR", {"C,5"}}, {"VARP", {"C,5"}}, {"AVEDEV", {"C,5"}}, {"DEVSQ", {"C,5"}},
};

std::vector<std::string> argumentsFor(const LibraryFunction& f) {
  auto it = kArguments.find(f.name);
  if (it != kArguments.end()) return it->second;
  static const char* const kByCount[] = {"", "C", "C,5", "C,5,3", "C>O,H,L,2", "C>O,H,L,2,0"};
  return {kByCount[f.maxArgs]};
}

FormulaInput barsWithDates(int n) {
  FormulaInput in = randomBars(n, 777, true);
  for (int i = 0; i < n; ++i) {
    in.dates.push_back(20240101 + (i / 28) * 100 + i % 28);
    in.times.push_back(930 + (i % 4) * 100 + (i * 7) % 60);
  }
  return in;
}

FormulaInput firstBars(const FormulaInput& in, size_t count) {
  FormulaInput out;
  auto cut = [count](const auto& v) { return std::decay_t<decltype(v)>(v.begin(), v.begin() + std::min(count, v.size())); };
  out.open = cut(in.open);
  out.high = cut(in.high);
  out.low = cut(in.low);
  out.close = cut(in.close);
  out.volume = cut(in.volume);
  out.amount = cut(in.amount);
  out.dates = cut(in.dates);
  out.times = cut(in.times);
  return out;
}

// The first bar i (of `cuts`, else of every bar) whose output over bars 0..i differs from the
// full run's, -1 when none.
int firstLookAhead(const std::string& text, const FormulaInput& in, std::vector<int> cuts = {}) {
  const Series full = runLine(text, in);
  const int n = int(in.close.size());
  if (cuts.empty()) {
    for (int i = 0; i < n; ++i) cuts.push_back(i);
  }
  for (int i : cuts) {
    const Series part = runLine(text, firstBars(in, size_t(i) + 1));
    for (int j = 0; j <= i; ++j) {
      if (!sameValue(part[size_t(j)], full[size_t(j)])) return i;
    }
  }
  return -1;
}

TEST(Causality, NoFunctionReadsLaterBarsUnlessListed) {
  const FormulaInput in = barsWithDates(90);
  size_t count = 0;
  const LibraryFunction* table = libraryFunctions(count);
  for (size_t k = 0; k < count; ++k) {
    const LibraryFunction& f = table[k];
    if (kRefused.count(f.name)) {
      RunResult r = runText(std::string("X:") + f.name + "(1);", in);
      EXPECT_FALSE(r.ok) << f.name;
      continue;
    }
    bool readsAhead = false;
    for (const std::string& args : argumentsFor(f)) {
      const std::string text = std::string("X:") + f.name + "(" + args + ");";
      const int at = firstLookAhead(text, in);
      if (kReadAhead.count(f.name)) {
        readsAhead = readsAhead || at >= 0;
      } else {
        EXPECT_EQ(at, -1) << text << " reads bars after bar " << at;
      }
    }
    // The list stays honest: every function on it does read ahead on these bars.
    if (kReadAhead.count(f.name)) {
      EXPECT_TRUE(readsAhead) << f.name << " is listed as reading ahead";
    }
  }
  for (const std::string& name : kReadAhead) EXPECT_GE(findLibraryFunction(name), 0) << name;
  for (const std::string& name : kRefused) EXPECT_GE(findLibraryFunction(name), 0) << name;
}

// Operators, shared expressions and names used in later statements keep the property too.
TEST(Causality, FormulasOfManyStatements) {
  const FormulaInput in = barsWithDates(90);
  const char* texts[] = {
      "LC:=REF(CLOSE,1); X:SMA(MAX(C-LC,0),6,1)/SMA(ABS(C-LC),6,1)*100;",
      "TR1:=SUM(MAX(MAX(H-L,ABS(H-REF(C,1))),ABS(REF(C,1)-L)),14); HD:=H-REF(H,1); LD:=REF(L,1)-L;"
      "P:SUM(IF(HD>0 AND HD>LD,HD,0),14)*100/TR1;",
      "M:=MA(C,20); X:M+2*STD(C,20)-REF(M+2*STD(C,20),2);",
      "A:=C; B:=A*2; A:=O; X:B-A+NOT(C>O)+(-V);",
  };
  for (const char* text : texts) EXPECT_EQ(firstLookAhead(text, in), -1) << text;
}

// Long series cross the block boundaries of the fused arithmetic (256 bars) and the bars where
// the running sums are taken afresh (every 1024 bars for a short MA or SUM, 256 for STD).
TEST(Causality, AcrossBlockBoundaries) {
  const FormulaInput in = barsWithDates(2100);
  const std::vector<int> cuts = {254, 255, 256, 257, 300, 511, 512, 1022, 1023, 1024, 1025, 2047, 2048, 2049};
  const char* texts[] = {
      "X:MA(C,5);", "X:SUM(V,20);", "X:STD(C,20);", "X:VARP(C,3);", "X:DEVSQ(C,300);", "X:HHV(H,7);",
      "X:LLVBARS(L,7);", "X:EMA(C,12)-REF(C,2)*ABS(O-C)/MAX(H-L,0.01);", "X:SMA(IF(C>O,C-O,0),6,1);",
  };
  for (const char* text : texts) EXPECT_EQ(firstLookAhead(text, in, cuts), -1) << text;
}

}  // namespace
}  // namespace zor::test
