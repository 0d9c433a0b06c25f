// The training-days picker: six cards (30, 60, 90, 150, 180 days and the whole history)
// inside the main window, chosen by a click or the keys 1 to 6; Esc, the close mark and
// closing the window keep the current setting.
#pragma once

#include "app/dialog.h"
#include "platform/canvas.h"

namespace zor {

struct AppState;

constexpr const char* kTrainingDaysClass = "ZORTRAINDAYS";
constexpr const char* kTrainingDaysTitle = "请选择训练天数";
constexpr Size kTrainingDaysSize{620, 372};
constexpr int kTrainingDayCards = 6;

struct TrainingDaysState {
  int current = 90;  // the game length in force, its card highlighted (0 the whole history)
  int hover = -1;    // the card under the mouse, -1 none
};

// The value of card 0..5: 30, 60, 90, 150, 180, 0 (the whole history).
int trainingDaysOfCard(int card);
Rect trainingDaysCardRect(int card);
int trainingDaysCardAt(int x, int y);
void paintTrainingDays(const TrainingDaysState& s, Canvas& c);
// Result: the chosen number of days (0 = all) or -1 when cancelled.
DialogReply trainingDaysInput(TrainingDaysState& s, Dialog& d, const DialogInput& in);
Dialog trainingDaysSpec(TrainingDaysState& s);

// Shows the picker: the chosen days (0 = all) or -1 when it was left without a choice.
int pickTrainingDays(AppState& app);

}  // namespace zor
