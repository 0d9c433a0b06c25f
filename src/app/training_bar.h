// The K-line training bar, painted in the toolbar's place on the K-line training tabs: the
// code and date fields, the buttons that start and drive a game, the autoplay speeds, the
// game's progress and "F12交易"; and what its buttons do, with the questions that guard the
// commands which throw the training account away.
#pragma once

#include "platform/canvas.h"
#include "platform/hit_area.h"

namespace zor {

struct AppState;
struct LastPainted;

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
