// Drawing statements: the items each function makes, their fields and colours.
#include "formula_test_support.h"

namespace zor::test {
namespace {

// Ten bars; bars 2, 3, 5 and 8 close up (C > O).
FormulaInput tenBars() {
  FormulaInput in = inputFromCloses({10, 11, 13, 14, 12, 13, 11, 10, 12, 12});
  in.open = {11, 12, 12, 13, 13, 12, 12, 11, 11, 12};
  for (size_t i = 0; i < 10; ++i) {
    in.high[i] = std::max(in.open[i], in.close[i]) + 0.5;
    in.low[i] = std::min(in.open[i], in.close[i]) - 0.5;
  }
  return in;
}

RunResult draw(const std::string& text, const FormulaInput& in = tenBars()) {
  RunResult r = runText(text, in);
  EXPECT_TRUE(r.ok) << text << ": " << r.error;
  return r;
}

std::vector<int> barsOf(const std::vector<DrawingItem>& items) {
  std::vector<int> bars;
  for (const DrawingItem& d : items) bars.push_back(d.bar);
  return bars;
}

TEST(Drawing, SticksIconsAndColours) {
  FormulaInput in = tenBars();
  RunResult r = draw("STICKLINE(C>O,C,O,6,0);", in);
  EXPECT_TRUE(r.lines.empty());
  ASSERT_EQ(r.drawings.size(), 4u);
  EXPECT_EQ(barsOf(r.drawings), (std::vector<int>{2, 3, 5, 8}));
  for (const DrawingItem& d : r.drawings) {
    EXPECT_EQ(d.kind, ItemStick);
    EXPECT_EQ(d.param, 6);
    EXPECT_EQ(d.colour, -1);
    EXPECT_EQ(d.value1, in.close[size_t(d.bar)]);
    EXPECT_EQ(d.value2, in.open[size_t(d.bar)]);
  }
  r = draw("STICKLINE(C>O,C,O,2.9,0),COLORRED; STICKLINE(C>O,C,O),COLOR00FF00;", in);
  ASSERT_EQ(r.drawings.size(), 8u);
  EXPECT_EQ(r.drawings[0].colour, 0xFF0000);
  EXPECT_EQ(r.drawings[0].param, 2);  // truncated toward zero
  EXPECT_EQ(r.drawings[4].colour, 0x00FF00);
  EXPECT_EQ(r.drawings[4].param, 0);  // a missing width is stored below 1

  r = draw("X:STICKLINE(C>O,C,O,6,0);", in);  // also an output line of zeros
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_TRUE(seriesNear(r.line(0), Series(10, 0)));

  r = draw("DRAWICON(C>O,L,7);DRAWICON(C>O,L);", in);
  ASSERT_EQ(r.drawings.size(), 8u);
  EXPECT_EQ(r.drawings[0].kind, ItemIcon);
  EXPECT_EQ(r.drawings[0].param, 7);
  EXPECT_EQ(r.drawings[0].value1, in.low[2]);
  EXPECT_EQ(r.drawings[4].param, 1);

  r = draw("VERTLINE(C>O);", in);
  ASSERT_EQ(r.drawings.size(), 4u);
  EXPECT_EQ(r.drawings[0].kind, ItemVertLine);

  // A candle is a thin low-high stick and a wide open-close stick.
  r = draw("DRAWKLINE(H,O,L,C);", in);
  ASSERT_EQ(r.drawings.size(), 20u);
  EXPECT_EQ(r.drawings[0].kind, ItemStick);
  EXPECT_EQ(r.drawings[0].value1, in.low[0]);
  EXPECT_EQ(r.drawings[0].value2, in.high[0]);
  EXPECT_EQ(r.drawings[0].param, 1);
  EXPECT_EQ(r.drawings[1].value1, in.open[0]);
  EXPECT_EQ(r.drawings[1].value2, in.close[0]);
  EXPECT_EQ(r.drawings[1].param, 4);
}

TEST(Drawing, Texts) {
  FormulaInput in = tenBars();
  RunResult r = draw("DRAWTEXT(CROSS(C,O),L,'金叉'),COLORRED;", in);
  ASSERT_EQ(r.drawings.size(), 3u);  // bars 2, 5 and 8 cross upwards
  EXPECT_EQ(barsOf(r.drawings), (std::vector<int>{2, 5, 8}));
  EXPECT_EQ(r.drawings[0].kind, ItemText);
  EXPECT_EQ(r.drawings[0].text, "金叉");
  EXPECT_EQ(r.drawings[0].value1, in.low[2]);
  EXPECT_EQ(r.drawings[0].colour, 0xFF0000);

  r = draw("DRAWTEXT(C>O,H,C);", in);
  ASSERT_EQ(r.drawings.size(), 4u);
  EXPECT_EQ(r.drawings[0].text, "");
  // Without a text form the number is printed at each item's own bar.
  r = draw("DRAWNUMBER(C>O,H,C);", in);
  ASSERT_EQ(r.drawings.size(), 4u);
  EXPECT_EQ(r.drawings[0].text, "13.00");
  EXPECT_EQ(r.drawings[1].text, "14.00");
  r = draw("DRAWNUMBER(C>O,H,IF(C>13,C,DRAWNULL));", in);
  ASSERT_EQ(r.drawings.size(), 1u);  // no item where the number is missing
  EXPECT_EQ(r.drawings[0].bar, 3);
  r = draw("DRAWNUMBER(C>O,H,CON2STR(C,1));", in);
  EXPECT_EQ(r.drawings[0].text, "13.0");
  r = draw("DRAWTEXT(C>O,H,STRCAT('收',VAR2STR(C/3,3)));", in);
  EXPECT_EQ(r.drawings[0].text, "收4.333");
  r = draw("DRAWTEXT(C>O,H,STRCAT(STRCAT('A',CON2STR(C,9)),'B'));", in);
  EXPECT_EQ(r.drawings[0].text, "A13.000000B");  // at most six decimals
  r = draw("DRAWTEXT(C>O,H,CON2STR(REF(C,3),0));", in);
  EXPECT_EQ(r.drawings[0].text, "");  // missing at bar 2
  EXPECT_EQ(r.drawings[1].text, "10");
  r = draw("DRAWTEXT(C>O,H,STRCAT('A',C));", in);
  EXPECT_EQ(r.drawings[0].text, "");  // STRCAT of something without a text form
  r = draw("DRAWTEXT(C>O,REF(H,3),'X');", in);
  EXPECT_EQ(barsOf(r.drawings), (std::vector<int>{3, 5, 8}));  // no item without its price
}

TEST(Drawing, PanelRelativeItems) {
  RunResult r = draw("DRAWTEXT_FIX(1,0.1,0.2,0,'T');");
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].bar, -1);
  EXPECT_EQ(r.drawings[0].param, 0);
  EXPECT_EQ(r.drawings[0].value1, 0.1);
  EXPECT_EQ(r.drawings[0].value2, 0.2);
  EXPECT_EQ(r.drawings[0].text, "T");
  EXPECT_TRUE(draw("DRAWTEXT_FIX(0,0.1,0.2,0,'T');").drawings.empty());
  r = draw("DRAWTEXT_FIX(C>0,0.5,0.5,1,'R');");
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].param, 1);  // right-aligned
  r = draw("DRAWTEXT_FIX(1,0.5,0.5,'文字');");
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].param, 0);
  EXPECT_EQ(r.drawings[0].text, "文字");

  EXPECT_TRUE(draw("DRAWNUMBER_FIX(0,0.5,0.5,0,C);").drawings.empty());
  r = draw("DRAWNUMBER_FIX(1,0.5,0.6,1,C);");
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].text, "12.00");
  EXPECT_EQ(r.drawings[0].param, 1);
  r = draw("DRAWNUMBER_FIX(1);");
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].text, "0.00");
  EXPECT_EQ(r.drawings[0].value1, 0);

  r = draw("DRAWRECTREL(100,100,900,900,0),COLORBLUE;");
  ASSERT_EQ(r.drawings.size(), 1u);
  const DrawingItem& rect = r.drawings[0];
  EXPECT_EQ(rect.kind, ItemRelRect);
  EXPECT_DOUBLE_EQ(rect.value1, 0.1);
  EXPECT_DOUBLE_EQ(rect.value2, 0.1);
  EXPECT_DOUBLE_EQ(rect.value3, 0.9);
  EXPECT_DOUBLE_EQ(rect.value4, 0.9);
  EXPECT_EQ(rect.colour, 0x0000FF);
  r = draw("DRAWRECTREL();");
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].value3, 0);

  r = draw("DRAWGBK(1,0,RGB(0,0,64));");
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].kind, ItemBackground);
  EXPECT_EQ(r.drawings[0].colour, 64);
  EXPECT_TRUE(draw("DRAWGBK(0,RGB(0,0,64),0);").drawings.empty());
  EXPECT_TRUE(draw("DRAWGBK(1,0,0);").drawings.empty());
  EXPECT_EQ(draw("DRAWGBK(1,RGB(1,0,0),64);").drawings[0].colour, 65536);
}

TEST(Drawing, LinesBandsAndSlopes) {
  // Only bars 2 and 3 close up and only 5 and 6 close down.
  FormulaInput in = inputFromCloses({10, 10, 12, 13, 13, 11, 10, 10});
  in.open = {10, 10, 11, 12, 13, 12, 11, 10};
  for (size_t i = 0; i < 8; ++i) in.high[i] = in.close[i] + 1, in.low[i] = in.close[i] - 1;
  RunResult r = draw("DRAWLINE(C>O,H,C<O,L,0);", in);
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].kind, ItemSegment);
  EXPECT_EQ(r.drawings[0].bar, 2);
  EXPECT_EQ(r.drawings[0].value1, in.high[2]);
  EXPECT_EQ(r.drawings[0].param, 5);
  EXPECT_EQ(r.drawings[0].value2, in.low[5]);
  // A start bar never closes its own segment.
  EXPECT_TRUE(draw("DRAWLINE(C>O,H,C>O,L,0);", inputFromCloses({1, 1})).drawings.empty());
  r = draw("DRAWLINE(C>O,H,C>O,L,0);", in);
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].param, 3);

  r = draw("DRAWBAND(C,RGB(255,0,0),O,0),COLORWHITE;", in);
  ASSERT_EQ(r.drawings.size(), 8u);
  EXPECT_EQ(r.drawings[2].kind, ItemBandColumn);
  EXPECT_EQ(r.drawings[2].colour, 0xFF0000);  // close above open
  EXPECT_EQ(r.drawings[5].colour, 0xFFFFFF);  // colour 0: the statement's
  EXPECT_EQ(r.drawings[5].value1, 11);
  EXPECT_EQ(r.drawings[5].value2, 12);

  FormulaInput ten = tenBars();
  r = draw("DRAWSL(BARSCOUNT=2,C,0.1,3,2);", ten);
  ASSERT_EQ(r.drawings.size(), 1u);
  EXPECT_EQ(r.drawings[0].bar, 0);
  EXPECT_EQ(r.drawings[0].param, 4);
  EXPECT_DOUBLE_EQ(r.drawings[0].value1, ten.close[1] - 0.1);
  EXPECT_DOUBLE_EQ(r.drawings[0].value2, ten.close[1] + 0.3);
  r = draw("DRAWSL(BARSCOUNT=2,C,0.1,3,1);", ten);
  EXPECT_EQ(r.drawings[0].bar, 0);
  EXPECT_EQ(r.drawings[0].param, 1);
  r = draw("DRAWSL(BARSCOUNT=2,C,0.1,3,0);", ten);
  EXPECT_EQ(r.drawings[0].bar, 1);
  EXPECT_EQ(r.drawings[0].param, 4);
  EXPECT_TRUE(draw("DRAWSL(BARSCOUNT=10,C,0.1,3,0);", ten).drawings.empty());  // s = e
  r = draw("DRAWSL(C>O,C,10000,3,0);", ten);
  ASSERT_EQ(r.drawings.size(), 4u);
  EXPECT_EQ(r.drawings[0].kind, ItemStick);
  EXPECT_EQ(r.drawings[0].value1, r.drawings[0].value2);

  // POLYLINE and PARTLINE return their broken line and draw nothing.
  r = draw("A:=POLYLINE(C>O,C);", ten);
  EXPECT_TRUE(r.lines.empty());
  EXPECT_TRUE(r.drawings.empty());
  r = draw("L:PARTLINE(C>O,C);", ten);
  EXPECT_TRUE(seriesNear(r.line(0), {NA, NA, 13, 14, NA, 13, NA, NA, 12, NA}));
}

}  // namespace
}  // namespace zor::test
