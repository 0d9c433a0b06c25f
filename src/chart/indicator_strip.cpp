#include "chart/indicator_strip.h"

#include "platform/text.h"

namespace zor {

namespace {

// Keep in the order of the strip (the item numbers are hit-area indices).
constexpr const char* kItems[kIndicatorStripItems] = {
    "指标A", "窗口", "MACD", "DMI", "DMA", "FSL", "TRIX", "BRAR", "CR",  "VR",  "OBV",  "ASI",  "EMV",
    "VOL-ZOR", "RSI", "WR", "SAR", "KDJ", "CCI", "ROC", "MTM", "BOLL", "PSY", "MCST", "更多", "设置"};

constexpr int kStripMacd = 2, kStripVol = 13, kStripRsi = 14, kStripKdj = 17;

bool choosesNothing(int item) { return item == 0 || item == 1 || item == 24 || item == 25; }

}  // namespace

const char* indicatorStripText(int item) {
  return item >= 0 && item < kIndicatorStripItems ? kItems[item] : "";
}

int highlightedStripItem(const ChartView& v) {
  switch (v.subInd) {
    case SubMACD: return kStripMacd;
    case SubKDJ: return kStripKdj;
    case SubRSI: return kStripRsi;
    case SubVOL: return kStripVol;
    default:
      if (v.subFormula.empty()) return kStripVol;  // the panel shows VOL then
      for (int i = 0; i < kIndicatorStripItems; ++i)
        if (!choosesNothing(i) && equalsIgnoreCase(kItems[i], v.subFormula)) return i;
      return -1;
  }
}

bool applyIndicatorStripItem(ChartView& v, int item) {
  if (item < 0 || item >= kIndicatorStripItems || choosesNothing(item)) return false;
  switch (item) {
    case kStripMacd: v.subInd = SubMACD; return true;
    case kStripKdj: v.subInd = SubKDJ; return true;
    case kStripRsi: v.subInd = SubRSI; return true;
    case kStripVol: v.subInd = SubVOL; return true;
    default:
      v.subInd = SubFormula;
      v.subFormula = kItems[item];
      v.showSub = true;
      return true;
  }
}

}  // namespace zor
