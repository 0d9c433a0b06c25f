// The training score card at the foot of the quote panel: the grade of the running game (or
// of the history account) with the statistics behind it, recomputed at every paint.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"
#include "training/scoring.h"

namespace zor {

struct AppState;

// `text` broken between UTF-8 characters into lines no wider than `width` (each at most 179
// bytes), at most `maxLines` of them.
std::vector<std::string> wrapText(Canvas& c, std::string_view text, int width, int maxLines);

// Paints the card from (left, top), `width` wide, down to `bottom`: nothing when fewer than
// 120 pixels remain; "未开始训练" without an input, the note of an unscored result, else the
// score, rating, bar, statistics, verdict and advice.
void drawScoreCard(const AppState& app, Canvas& c, int top, int left, int width, int bottom);

}  // namespace zor
