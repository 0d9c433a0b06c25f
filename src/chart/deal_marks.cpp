// B and S marks of the current account's deals on the K-line chart, netted per bar.
#include <algorithm>
#include <map>

#include "chart/chart_draw.h"
#include "chart/kline_parts.h"

namespace zor {

namespace {

constexpr Color kBuyColor = rgb(255, 0, 0);
constexpr Color kSellColor = rgb(0, 255, 0);

// The clock minute (minutes after midnight) a deal's time stands for: times below 500 are
// positions 0..240 of the trading day, others clock times folded onto the sessions.
int dealClockMinute(int time) {
  int pos;
  if (time < 500) {
    pos = std::clamp(time, 0, 240);
  } else if (time <= 690) {
    pos = std::max(0, time - 570);
  } else if (time <= 780) {
    pos = 120;
  } else {
    pos = std::min(240, time - 660);
  }
  return pos <= 120 ? 570 + pos : 780 + (pos - 120);
}

int twoDigits(const char* p) {
  return (p[0] >= '0' && p[0] <= '9' && p[1] >= '0' && p[1] <= '9') ? (p[0] - '0') * 10 + (p[1] - '0') : -1;
}

// Series index of the bar a deal belongs to, or -1.
int dealBar(const KLineParts& k, const Deal& d) {
  std::span<const DayBar> bars = k.bars();
  if (!isMinutePeriod(k.ctx.view.period)) {
    // The last bar dated on or before the deal (day-based dates ascend).
    auto it = std::upper_bound(bars.begin(), bars.end(), d.date,
                               [](int date, const DayBar& b) { return date < b.dateInt(); });
    for (; it != bars.begin(); --it) {
      const DayBar& b = *(it - 1);
      if (b.dateText().size() >= 8) return int(it - 1 - bars.begin());
    }
    return -1;
  }
  // Minute bars carry month and day only: the bars on screen of the deal's month and day, the
  // last not after its trading minute, else the first of them.
  const int monthDay = d.date % 10000;
  const int clock = dealClockMinute(d.time);
  int first = -1, best = -1;
  for (int i = 0; i < k.visible(); ++i) {
    const char* t = k.bar(i).date;
    if (twoDigits(t) * 100 + twoDigits(t + 3) != monthDay) continue;
    if (first < 0) first = i;
    if (twoDigits(t + 6) * 60 + twoDigits(t + 9) <= clock) best = i;
  }
  const int i = best >= 0 ? best : first;
  return i < 0 ? -1 : k.w.start + i;
}

struct BarDeals {
  int64_t buyQty = 0, sellQty = 0;
  double buyAmount = 0, sellAmount = 0;
  bool lastBuy = true;
  double lastPrice = 0;
};

}  // namespace

void buildDealMarks(KLineParts& k) {
  const std::string code = k.rec.code.substr(0, 9);
  std::map<int, BarDeals> perBar;
  for (const Deal& d : k.ctx.dealAccount->deals) {
    if (d.qty <= 0 || !(d.price > 0) || d.date <= 0) continue;
    if (!code.empty() && d.code.substr(0, 9) != code) continue;
    const int bar = dealBar(k, d);
    if (bar < 0) continue;
    BarDeals& b = perBar[bar];
    const bool buy = d.side == 0;
    (buy ? b.buyQty : b.sellQty) += d.qty;
    (buy ? b.buyAmount : b.sellAmount) += d.price * double(d.qty);
    b.lastBuy = buy;
    b.lastPrice = d.price;
  }
  if (perBar.empty()) return;

  const Rect& pr = k.pr;
  const double span = k.price.hi - k.price.lo;
  auto y = [&](double p) {
    const double f = std::clamp((p - k.price.lo) / span, -0.2, 1.2);
    return toPixel(pr.bottom - f * (pr.bottom - pr.top));
  };
  const Font font = markFont();
  int prevX[2] = {-1000000, -1000000}, prevY[2] = {0, 0};
  k.out.pushClip(pr);
  for (const auto& [bar, b] : perBar) {
    const std::optional<int> xo = barX(k, bar);
    if (!xo || *xo < pr.left - 6 || *xo > pr.right + 6) continue;
    const int x = *xo;
    const bool buy = b.buyQty > b.sellQty ? true : b.sellQty > b.buyQty ? false : b.lastBuy;
    const double price = b.buyQty > b.sellQty   ? b.buyAmount / double(b.buyQty)
                         : b.sellQty > b.buyQty ? b.sellAmount / double(b.sellQty)
                                                : b.lastPrice;
    const DayBar& bb = k.bars()[size_t(bar)];
    const int side = buy ? 0 : 1;
    const int t = buy ? std::max(pr.top + 1, std::min(pr.bottom - 28, y(bb.low) + 5)) : std::max(pr.top + 1, y(bb.high) - 32);
    if (x - prevX[side] <= 13 && std::abs(t - prevY[side]) < 27) continue;
    prevX[side] = x;
    prevY[side] = t;
    const Color c = buy ? kBuyColor : kSellColor;
    const int py = y(price);
    k.out.add(EllipseOp{Rect{x - 3, py - 3, x + 4, py + 4}, c, true});
    if (buy) {
      textCenter(k.out, k.m, font, x, t, "B", c);
      k.out.add(PolygonOp{{Point{x, t + 18}, Point{x - 6, t + 27}, Point{x + 6, t + 27}}, c, true});
    } else {
      k.out.add(PolygonOp{{Point{x - 6, t}, Point{x + 6, t}, Point{x, t + 9}}, c, true});
      textCenter(k.out, k.m, font, x, t + 13, "S", c);
    }
  }
  k.out.popClip();
}

}  // namespace zor
