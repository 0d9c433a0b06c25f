#include "app/score_card.h"

#include "app/app_state.h"
#include "app/training_ops.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr Color kYellowTitle = rgb(0xFF, 0xE6, 0x5A);
constexpr Color kDim = rgb(0x7A, 0x7A, 0x7A);
constexpr size_t kLineBytesMax = 179;

Color returnColor(double v) {
  return v > 1e-9 ? rgb(0xD6, 0x30, 0x30) : v < -1e-9 ? rgb(0x28, 0xB4, 0x6E) : rgb(0x8C, 0x8C, 0x96);
}

std::string dateText(int d) { return strPrintf("%04d-%02d-%02d", d / 10000, d / 100 % 100, d % 100); }

}  // namespace

std::vector<std::string> wrapText(Canvas& c, std::string_view text, int width, int maxLines) {
  std::vector<std::string> lines;
  std::string line;
  size_t i = 0;
  while (i < text.size() && int(lines.size()) < maxLines) {
    char32_t cp = 0;
    size_t n = decodeUtf8(text, i, cp);
    if (n == 0) n = 1;
    std::string next = line + std::string(text.substr(i, n));
    if (!line.empty() && (c.textSize(next).cx > width || next.size() > kLineBytesMax)) {
      lines.push_back(line);
      line.clear();
      continue;
    }
    line = std::move(next);
    i += n;
  }
  if (!line.empty() && int(lines.size()) < maxLines) lines.push_back(line);
  return lines;
}

void drawScoreCard(const AppState& app, Canvas& c, int top, int left, int width, int bottom) {
  if (bottom - 2 - top < 120) return;
  auto at = [&](int x, int y) { return Point{left + x, top + y}; };
  auto textAt = [&](int x, int y, std::string_view s, Color col) { c.text(left + x, top + y, s, col); };
  // Centred on x, or right-aligned ending at x.
  auto centred = [&](int x, int y, std::string_view s, Color col) { textAt(x - c.textSize(s).cx / 2, y, s, col); };
  auto rightAt = [&](int x, int y, std::string_view s, Color col) { textAt(x - c.textSize(s).cx, y, s, col); };
  const Font simsun{"SimSun", 12, false}, small{"SimSun", 11, false};

  c.setFont(simsun);
  c.fillRect(Rect{left - 2, top, left + width + 2, top + 20}, rgb(0x38, 0x38, 0x38));
  centred(width / 2, 4, "训练评分", kYellowTitle);

  ScoreInput in;
  if (!scoreInput(app, in)) {
    centred(width / 2, 42, "未开始训练", rgb(0x96, 0x96, 0x96));
    return;
  }
  ScoreResult r = gradeScore(in);
  if (!r.scored) {
    centred(width / 2, 42, r.note, rgb(0x96, 0x96, 0x96));
    return;
  }
  const Color rc = r.ratingColor;
  c.setFont(Font{"SimSun", 40, true});
  centred(width / 2 - 20, 30, std::to_string(r.score), rc);
  c.setFont(simsun);
  textAt(width / 2 + 12, 58, "分", rc);
  Rect badge{left + width - 74, top + 36, left + width - 8, top + 64};
  c.fillRect(badge, rgb(0x2E, 0x2A, 0x0C));
  c.frameRect(badge, rc, 1);
  centred(width - 41, 43, r.rating, rc);

  const int trackW = width - 16;
  c.fillRect(Rect{left + 8, top + 84, left + width - 8, top + 92}, rgb(0x20, 0x20, 0x20));
  c.fillRect(Rect{left + 8, top + 84, left + 8 + trackW * r.score / 100, top + 92}, rc);
  c.setFont(small);
  for (int pct : {60, 80}) {
    int x = 8 + trackW * pct / 100;
    c.line(at(x, 84), at(x, 92), Pen{rgb(0, 0, 0)});
    centred(x, 94, std::to_string(pct), kDim);
  }
  rightAt(width - 8, 94, "100", kDim);

  c.setFont(simsun);
  struct Row {
    const char* label;
    std::string value;
    Color color;
  };
  const bool drawdown = in.maxDrawdownPct > 0.0001, winRate = in.winRatePct > 0.0001;
  const Row rows[] = {
      {"年化回报", strPrintf("%+.2f%%", r.annualPct), returnColor(r.annualPct)},
      {"累计回报", strPrintf("%+.2f%%", r.cumulativePct), returnColor(r.cumulativePct)},
      {"最大回撤", drawdown ? strPrintf("%.2f%%", in.maxDrawdownPct) : "--", drawdown ? rgb(0x00, 0xE6, 0x66) : kDim},
      {"胜率", winRate ? strPrintf("%.1f%%", in.winRatePct) : "--", winRate ? rgb(0xC0, 0xC0, 0x00) : kDim},
      {"交易", strPrintf("%d 笔 / %d 天", in.dealCount, r.distinctDays), rgb(0xE6, 0xE6, 0xE6)},
      {"跨度", strPrintf("%d 日", r.spanDays), rgb(0xC0, 0xC0, 0xC0)},
  };
  int y = 112;
  for (const Row& row : rows) {
    textAt(6, y, row.label, rgb(0xC0, 0xC0, 0xC0));
    rightAt(width - 3, y, row.value, row.color);
    y += 19;
  }
  c.line(at(6, 227), at(width - 3, 227), Pen{rgb(0xB0, 0, 0)});

  y = 237;
  textAt(6, y, "评语", kYellowTitle);
  for (const std::string& line : wrapText(c, r.verdict, width - 14, 2)) {
    y += 18;
    textAt(6, y, line, rgb(0xD8, 0xD8, 0xD8));
  }
  y += 18 + 8;
  textAt(6, y, "建议", kYellowTitle);
  for (const std::string& line : wrapText(c, r.advice, width - 14, 2)) {
    y += 18;
    textAt(6, y, line, rgb(0xB8, 0xB8, 0xB8));
  }
  y += 26;
  if (bottom - (top + y) <= 33) return;
  c.setFont(small);
  textAt(6, y, strPrintf("年化 = 累计 %+.2f%% × 250 ÷ 跨度 %d 日", r.cumulativePct, r.spanDays), kDim);
  if (r.firstDate <= 0) return;
  // The deal dates of a blind game are the game's own: they stay masked.
  std::string span;
  if (trnBlind(app.train) && app.train.active)
    span = strPrintf("成交日 %s", kMaskedDate);
  else if (r.firstDate == r.lastDate)
    span = "成交日 " + dateText(r.firstDate);
  else
    span = "成交日 " + dateText(r.firstDate) + " ~ " + dateText(r.lastDate);
  textAt(6, y + 15, span, kDim);
}

}  // namespace zor
