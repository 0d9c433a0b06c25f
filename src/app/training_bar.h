// The K-line training bar, painted in the toolbar's place on the K-line training tabs: the
// code and date fields, the buttons that start and drive a game, the autoplay speeds, the
// game's progress and "F12交易"; and what its buttons do, with the questions that guard the
// commands which throw the training account away.
#pragma once

#include <vector>

#include "app/bar_button.h"
#include "chart/chart_style.h"
#include "platform/canvas.h"
#include "platform/hit_area.h"
#include "training/train_state.h"

namespace zor {

struct AppState;
struct LastPainted;

// The bar's fields and buttons in the toolbar `area`, from the left: the fields, "开始训练",
// "随机换股", the days button, then the steps, "后退一根", "自动播放", "显示答案", the speeds,
// "结束训练" and "重置账户" while they fit before the width - 70; "F12交易" at the right.
struct TrainingBarLayout {
  Rect codeField, dateField;
  std::vector<FlatButton> buttons;  // in that order, "F12交易" last
  int lastRight = 0;                // the right edge of the last button before "F12交易"
};
TrainingBarLayout trainingBarLayout(const TrainState& t, const Rect& area, TextMeasure& m);

// Paints the bar into the toolbar `area` and registers its buttons' areas.
void drawTrainingBar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out);

// Runs a training-bar button (kinds 36, 37, 41-43, 80, 100-115); false for other kinds.
bool runTrainingBarAction(AppState& app, const HitArea& h);

// Before a new game replaces a running one whose account holds positions, asks whether to
// throw them away. True to go on (also when there is nothing to lose).
bool confirmNewGame(AppState& app);

// "开始训练" and Enter in the training fields: a new game on the typed code (a random one when
// the code field is empty), after confirmNewGame.
void startGameFromFields(AppState& app);

// The autoplay intervals of the speed buttons 0.5x, 1x, 2x, 4x, in milliseconds.
constexpr int kAutoplayMs[4] = {3000, 1500, 750, 375};

}  // namespace zor
